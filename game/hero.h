// hero.h - the player's hero, the camera that follows it and the row of hearts.
//
// The hero runs, jumps, aims at the mouse cursor and fires while a mouse
// button is held; a robot's touch costs a health point and gives a second of
// invulnerability; it bursts when its health runs out and finishes the level
// by standing on exit voxels for half a second.
#pragma once

#include <stdint.h>

#include "../libs/inc/misc/zu_vecmath.h"

struct Hero {
    Vec4 position;                     // x the centre of the body, y its feet
    Vec4 previousPosition;             // the position before the current update
    Vec4 aimDirection = {1, 0, 0, 0};  // unit length
    Vec4 aimPoint;                     // the world point under the mouse cursor
    Vec4 shoulderPivot = {0, 8, 2, 1}; // in the body frame; the arm turns about it
    Matrix body = MATRIX_IDENTITY;     // facing rotation about y, position as translation
    float velocityX;
    float velocityY;
    float legPhase;     // 0 to 8: which legs are drawn
    float fireCooldown; // seconds until the next shot may leave
    float invulnerable; // seconds left of the invulnerability after a hit
    float exitTime;     // seconds spent on the ground touching the exit
    int32_t health;     // 4 in a new game; carried over from level to level
    bool facingRight;
    bool onGround;
    bool hurt;     // set by a touching robot, cleared after each half-step
    bool shotOwed; // a click since the last shot, fired as soon as the gun may fire
};

// The hero's collision box, as offsets from its position; robots and shots
// meet the same box.
constexpr Vec4 HERO_BOX_LO = {-4, 0, -6, 0}, HERO_BOX_HI = {4, 15, 6, 0};

// The camera centre (x, y, 0, 1) as of this update and the one before; a
// frame interpolates between them.
struct CameraFocus {
    Vec4 current;
    Vec4 previous;
};

// Loads the five hero sprites (body, arm, two legs, heart); fatal when any
// of them can't be loaded.
void load_hero_sprites();
void free_hero_sprites();

// The hero; its address names it as a creature in the collision queries.
const Hero& hero();

// Puts the hero at a spawn point (x = its centre, y = its feet, depth 8) at
// rest, and snaps the camera onto it. Health is kept.
void place_hero(float x, float y);
// Aims right as at the start of the program: a new game keeps nothing of the
// last game's aim (place_hero resets the rest).
void reset_hero_aim();
// Moves the hero to `position` as this update's only motion (the elevator),
// aims again and steps the camera by `seconds`.
void set_hero_position(const Vec4& position, float seconds);

// The hero's position and its position before the current update.
Vec4 hero_position();
Vec4 hero_previous_position();
// Where a frame t seconds after the last update draws the hero.
Vec4 hero_draw_position(float t);

const CameraFocus& camera_focus();
// Moves the camera focus: the current value becomes the previous one.
void set_camera_focus(Vec4 focus);

// 4 in a new game; carried over from level to level.
int hero_health();
void set_hero_health(int health);
// A robot touched the hero; it takes the damage in its next half-step.
void hurt_hero();

// Shots per second; 10 in a new game.
float fire_rate();
void set_fire_rate(float rate);

// The world point under the mouse cursor, on the plane of the hero's depth,
// seen through the eye and view of the last game update. The game update
// takes it into the update's input, where the hero aims.
Vec4 aim_point();
// The point a pad's aim (dx, dy: unit length, y up) picks for a hero at
// `position`: on a circle around the hero's shoulder height.
Vec4 stick_aim_point(const Vec4& position, float dx, float dy);

// What the run and jump input and the level make of the hero's body in one
// half-step: position, velocities and whether it stands on something.
struct HeroMotion {
    Vec4 position;
    float velocityX;
    float velocityY;
    bool onGround;
    float stepVelocityY; // the vertical speed the last step moved at, before a hit stopped it
};
// Gravity, running towards direction (-1, 0 or 1) and a jump when standing,
// then the move against the level and the creatures (as the hero, so the
// hero's own box does not count); the velocity on an axis that hit something
// drops to 0. Returns the move's collision flags. The hero's half-step runs
// this; a planner may run it on copies.
uint32_t hero_motion_step(HeroMotion& m, int direction, bool jump, float dt);

// The hero's two half-steps and the camera; part of every world step.
void update_hero(float seconds);
// Draws the hero's sprites and the hearts between begin_cubes and end_cubes;
// t = time since the last update.
void draw_hero(float t);
// The hero's collision box and aim marker in green (F4), between
// debug_vis_begin and debug_vis_end.
void draw_hero_debug(float t);
