// enemies.h - the robots of the level.
#pragma once

// Empties the robot list (a new level starts without robots).
void clear_enemies();
// Wakes, walks and turns the robots; part of every world step.
void update_enemies(float seconds);
