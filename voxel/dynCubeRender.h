// dynCubeRender.h - the instanced cube renderer and the voxel cache.
//
// Everything in the world is drawn as cubes: one shared cube mesh on stream 0
// and one CubeInstance per visible voxel on stream 1. Sprites and single
// cubes go through a dynamic instance stream filled anew every frame; a voxel
// grid's cubes are kept per 16 x 16 chunk between frames and rebuilt only
// where the grid changed or came into view.
#pragma once

#include <stdint.h>

#include "../libs/inc/misc/zu_vecmath.h"
#include "cubeInstance.h"

// The cube shader's constant registers that the scene sets too.
enum {
    REG_WORLD_VIEW_PROJECTION = 0, // c0..c3
    REG_LIGHT = 5,
    REG_DEPTH = 6,
};
// Light direction in world space, along (0, 2, -1): from above and in front.
extern const float CUBE_LIGHT_DIRECTION[4];
// Depth shading for the identity world matrix: 0.05 per voxel of depth.
extern const float CUBE_DEPTH_VECTOR[4];

// Creates the declaration, shader and buffers; failures are fatal.
void cube_renderer_init();
void cube_renderer_shutdown();

// Opens a batch of cubes with the identity world matrix; between begin and
// end at most one instance buffer is open.
void begin_cubes();
// Draws what is pending and restores the world-space constants.
void end_cubes();
// Later cubes are placed in the object space of `world` (row-vector matrix).
void set_cube_transform(const Matrix& world);
// One cube whose low corner is at (x16, y16, z16) sixteenths of a voxel.
void emit_cube(int x16, int y16, int z16, uint32_t colour);
// Draws what is pending; force also closes an open buffer with nothing in it.
void flush_cubes(bool force);

enum { VOXEL_BOX_MIRROR_X = 1 };
// One cube for every solid voxel of the box that can be seen (on the box's
// edge or beside an empty voxel), at (ox + i, oy + j, oz + k) voxels.
void draw_voxel_box(const uint8_t* voxels, int stride_x, int stride_y, int stride_z, int nx, int ny, int nz,
    const uint32_t* palette, int ox, int oy, int oz, int flags);

// The cache over one grid of even sizes; the grid and palette outlive it.
void voxel_cache_create(const uint8_t* grid, int stride_x, int stride_y, int stride_z, int nx, int ny, int nz,
    const uint32_t* palette);
void voxel_cache_destroy();
// Forgets the chunks within one voxel of the rectangle (inclusive bounds).
void voxel_cache_invalidate(int x0, int y0, int x1, int y1);
// Forgets every chunk: a new level, or a device reset.
void voxel_cache_invalidate_all();
// Where the picture is taken from: the eye in the grid's voxels, and how far
// the view reaches to each side per voxel of depth in x and y (half the
// view's width and height at a distance of one). The cache draws only the
// chunks this view can show, and of their cubes only the faces that touch
// an empty voxel and can face the eye.
struct CacheView {
    float eyeX, eyeY, eyeZ;
    float slopeX, slopeY;
};
// Keeps the chunks of the voxel rectangle (inclusive; what lies outside the
// grid is ignored), building the missing ones, frees the rest, and draws
// what of them the view shows.
void voxel_cache_draw(int x0, int y0, int x1, int y1, const CacheView& view);
// Builds the chunks of the rectangle that the cache lacks without drawing
// anything (the next draw shows them): for warming the cache ahead of time.
void voxel_cache_build(int x0, int y0, int x1, int y1);
// The cube records the cache holds now, over all its entries in use: one for
// each face that can be seen (each front with fast voxels, whose chunks keep
// no other faces), where the fronts, tops or bottoms of a row of equal cubes
// share one stretched record.
int voxel_cache_instances();
// What building chunks has cost since the program started, for the
// benchmarks' per-frame figures: chunks built and timer ticks spent on them.
struct CacheBuildCounts {
    int64_t chunks, ticks;
};
const CacheBuildCounts& voxel_cache_build_counts();
