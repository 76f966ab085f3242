// levelGrid.cpp - the voxel grid of the current level and the level palette.
#include "levelGrid.h"

#include "../libs/inc/misc/zu_utils.h"

// Both start zeroed and are never freed; generation overwrites the whole grid
// for each level, the palette loader fills the palette once at start-up.
static uint8_t grid[LEVEL_GRID_BYTES];
static uint32_t palette[LEVEL_PALETTE_SIZE];

uint8_t* level_grid()
{
    return grid;
}

uint64_t level_grid_hash()
{
    return hash_bytes(grid, LEVEL_GRID_BYTES);
}

uint32_t* palette_colors()
{
    return palette;
}
