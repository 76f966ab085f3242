// hero.h - the player's hero: placement, health, fire rate, the camera focus and its update.
#pragma once

#include "../libs/inc/misc/zu_vecmath.h"

// The camera centre (x, y, 0, 1) as of this update and the one before; a
// frame interpolates between them.
struct CameraFocus {
    Vec4 current;
    Vec4 previous;
};

// Puts the hero at a spawn point (x = its centre, y = its feet, depth 8) at
// rest, and snaps the camera onto it. Health is kept.
void place_hero(float x, float y);

// The hero's position and its position before the current update.
Vec4 hero_position();
Vec4 hero_previous_position();

const CameraFocus& camera_focus();
// Moves the camera focus: the current value becomes the previous one.
void set_camera_focus(Vec4 focus);

// 4 in a new game; carried over from level to level.
int hero_health();
void set_hero_health(int health);

// Shots per second; 10 in a new game.
float fire_rate();
void set_fire_rate(float rate);

// The hero's two half-steps and the camera; part of every world step.
void update_hero(float seconds);
// Draws the hero's sprites between begin_cubes and end_cubes; t = time since the last update.
void draw_hero(float t);
// The hero's collision box and aim marker (F4).
void draw_hero_debug();
