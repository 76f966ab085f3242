// levelGrid.h - the voxel grid of the current level and the level palette.
//
// Both are program-wide and live for the whole run: generation writes the
// grid, gameplay reads and erases it, the renderer draws it with the palette.
#pragma once

#include <stdint.h>

enum {
    LEVEL_SIZE_X = 4096,
    LEVEL_SIZE_Y = 256,
    LEVEL_SIZE_Z = 20,
    LEVEL_STRIDE_Y = LEVEL_SIZE_X,                // bytes from one row to the next
    LEVEL_STRIDE_Z = LEVEL_SIZE_X * LEVEL_SIZE_Y, // bytes from one depth layer to the next
    LEVEL_GRID_BYTES = LEVEL_STRIDE_Z * LEVEL_SIZE_Z,
    LEVEL_PALETTE_SIZE = 256,
};

// Voxel values: 0 empty, below 128 destructible, 128 and up indestructible,
// 192 and up the exit.
enum { VOXEL_INDESTRUCTIBLE = 128, VOXEL_EXIT = 192 };

// The grid's bytes; voxel (x, y, z) is at level_voxel_index(x, y, z).
uint8_t* level_grid();

constexpr int level_voxel_index(int x, int y, int z)
{
    return x + LEVEL_STRIDE_Y * y + LEVEL_STRIDE_Z * z;
}

// A hash (64-bit FNV-1a) of every byte of the grid: one level, one hash.
uint64_t level_grid_hash();

// The 256 colours (0xAARRGGBB) of the level palette; voxel value v has colour v.
uint32_t* palette_colors();
