// shots.h - shots and debris particles.
#pragma once

void clear_shots();
void clear_debris();
// Moves the shots and tests them against robots and walls.
void update_shots(float seconds);
// Lets the debris particles fall and fade.
void update_debris(float seconds);
// Draw the shots and the debris as cubes; t = time since the last update.
void draw_shots(float t);
void draw_debris(float t);
