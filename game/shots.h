// shots.h - shots and debris particles.
//
// Shots fly straight, damage the first robot they meet on their way and
// otherwise blow a hole into the wall they hit. Debris pieces are single
// coloured cubes thrown by every destruction; they fall and vanish within
// two seconds. Both lists are emptied at each level start and keep their
// storage until free_shots_and_debris.
#pragma once

#include <stdint.h>

#include "../libs/inc/misc/zu_vecmath.h"

enum ShotFlags : uint32_t {
    SHOT_HITS_ENEMIES = 1, // the shot damages robots
};

struct Shot {
    Vec4 position; // voxels, w = 1
    Vec4 velocity; // voxels per second, w = 0
    uint32_t colour;
    uint32_t flags;    // ShotFlags
    const void* owner; // the creature that fired it; robots skip it
};

struct Debris {
    Vec4 position;
    Vec4 velocity;
    uint32_t colour;
    float lifetime; // seconds left
};

// Appends a shot; the hero is the only shooter.
void fire_shot(
    uint32_t flags, const void* owner, const Vec4& position, const Vec4& velocity, uint32_t colour);
// Moves the shots and tests them against robots, then walls; part of every world step.
void update_shots(float seconds);
// Draws every shot as two small crosses of cubes; t = time since the last update.
void draw_shots(float t);

// Appends one piece (bursts of the hero and the robots, hole debris).
void emit_debris(const Vec4& position, const Vec4& velocity, uint32_t colour, float lifetime);
// A creature bursting: 200 pieces thrown from random points of its box
// (x within +-half_width, y up to height, z within +-6 of the position).
void emit_burst(const Vec4& position, float half_width, float height, uint32_t colour);
// Throws debris from the destructible voxels of a hole's box (inclusive,
// clamped to the grid for positions), one try per 8 voxels of the unclamped box.
void emit_hole_debris(int x0, int y0, int z0, int x1, int y1, int z1, const Shot& shot);
// Lets the debris fall and fade; part of every world step.
void update_debris(float seconds);
// Draws the pieces still alive at time t after the last update.
void draw_debris(float t);

// Empty the lists (level start, elevator); the storage is kept.
void clear_shots();
void clear_debris();
// Releases both lists' storage (game shutdown).
void free_shots_and_debris();

int shot_count();
const Shot& shot(int index);
int debris_count();
const Debris& debris(int index);
