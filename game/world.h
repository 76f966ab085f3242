// world.h - the level world: collision queries and wall destruction.
//
// Collision is two-dimensional in the side view: boxes are pushed out of the
// level grid's solid voxels, the robots and the hero along x and y, and the
// depth axis only selects which voxels count. A creature is named by the
// address of its record (an Enemy or the Hero), so a mover can skip itself.
#pragma once

#include <stdint.h>

#include "../libs/inc/misc/zu_vecmath.h"

struct Enemy;
struct Shot;

// What move_and_collide ran into.
enum CollisionFlags : uint32_t {
    HIT_LEFT = 1,     // the x phase pushed towards +x (an obstacle at the left)
    ON_GROUND = 2,    // the y phase pushed upwards
    HIT_RIGHT = 4,    // the x phase pushed towards -x
    HIT_CEILING = 8,  // the y phase pushed downwards, or a step-up ended inside something
    TOUCH_ENEMY = 16, // a tested box overlapped a robot other than the mover
    TOUCH_HERO = 32,  // a tested box overlapped the living hero (the mover is not the hero)
    TOUCH_EXIT = 64,  // a tested box contained an exit voxel
};

// Push vectors of the box queries: how far the box must move towards +x
// (x), +y (y), -x (z) and -y (w) to leave what it overlaps; each 0 or more.
// A component larger than half the box's extent on its axis is dropped, so
// the box is pushed out on the side it came in from.
Vec4 box_vs_world(const Vec4& lo, const Vec4& hi, uint32_t& flags);

// How the box queries read the grid: 16 voxels at a time with SSE2 (the
// game's reader where the target has it) or eight in a 64-bit word
// (everywhere). Both give the same pushes and flags.
enum GridReader { GRID_READER_SSE2, GRID_READER_PORTABLE };
// Whether this build has the reader; the portable one is always there.
bool has_grid_reader(GridReader reader);
// box_vs_world through a reader that this build has.
Vec4 box_vs_world_by(GridReader reader, const Vec4& lo, const Vec4& hi, uint32_t& flags);
// The robots' boxes, skipping `self`, whatever their health.
Vec4 box_vs_enemies(const void* self, const Vec4& lo, const Vec4& hi);
// The robot, other than `self` and whatever its health, that a box reaching
// `reach` around its centre in x and y meets first when its centre moves
// from `from` to `to`: the one it enters at the smallest part of the way,
// the first in list order on a tie. Null when it enters none; only touching
// is not entering. Unlike the pushes, a box deep inside a robot meets it.
Enemy* sweep_vs_enemies(const void* self, const Vec4& from, const Vec4& to, float reach);
// The hero's box; nothing when self is the hero or the hero is dead.
Vec4 box_vs_hero(const void* self, const Vec4& lo, const Vec4& hi);

// Moves the box [position + lo_offset, position + hi_offset] towards target,
// first along x with its bottom raised by `step`, then along y, where it may
// rise by up to `step` (walking up ledges). Voxels win over creatures on an
// axis. Never ends behind the start or past the target. One pass only: see
// move_with_step for how creatures walk.
uint32_t move_and_collide(Vec4& position, const void* self, const Vec4& target, const Vec4& lo_offset,
    const Vec4& hi_offset, float step);
// How creatures walk: move_and_collide with the step, and when that meets a
// ceiling, again from the start without one (a step-up under a low ceiling
// would wedge the box). The flags are those of the last move.
uint32_t move_with_step(Vec4& position, const void* self, const Vec4& target, const Vec4& lo_offset,
    const Vec4& hi_offset, float step);

// The first cell along the segment a..b whose neighbourhood (radius across
// the segment's main direction and in depth) holds a solid voxel; fills the
// point where the segment entered that cell and the cell. False when the
// segment misses the grid or meets nothing.
bool segment_vs_world(int radius, const Vec4& a, const Vec4& b, Vec4* hit_point, int hit_cell[3]);

// Clamps the inclusive box to the grid; false when nothing of it is left.
bool clamp_to_grid(int& x0, int& y0, int& z0, int& x1, int& y1, int& z1);
// Writes value into every destructible voxel of the inclusive box, clamped
// to the grid.
void fill_box(int x0, int y0, int z0, int x1, int y1, int z1, uint8_t value);

// Half side of the square blown out of a wall; 2 in a new game, at most 4.
int wall_radius();
void set_wall_radius(int radius);

// Tells the cube renderer that the voxels of the inclusive box changed (only
// its x and y bounds matter: the cache keeps whole depths).
void world_changed(int x0, int y0, int z0, int x1, int y1, int z1);

// Blows a square of side 2 * wall_radius + 1 (without its corners) out of
// the wall around a shot's hit cell, through a random depth of 14 to 17
// voxels from the front, throwing debris from the voxels that vanish.
void punch_hole(int cell_x, int cell_y, const Shot& shot);

// Shared by the hero and the robots:
// The frame of a creature: a quarter turn about y (to face +x when facing
// right, -x otherwise) with the position as translation.
Matrix facing_frame(bool facing_right, const Vec4& position);
// v moved towards goal by at most max_change.
float move_towards(float v, float goal, float max_change);
// The position drawn t seconds after an update that moved from previous to
// current (20 updates per second).
Vec4 interpolate_position(const Vec4& previous, const Vec4& current, float t);
