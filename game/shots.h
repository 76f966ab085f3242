// shots.h - shots and debris particles.
#pragma once

void clear_shots();
void clear_debris();
// Moves the shots and tests them against robots and walls.
void update_shots(float seconds);
// Lets the debris particles fall and fade.
void update_debris(float seconds);
