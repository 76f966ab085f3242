// levelGrid.cpp - the voxel grid of the current level and the level palette.
#include "levelGrid.h"

#include "../libs/inc/misc/zu_utils.h"
#include "../platform/platform.h"

// Both start zeroed and are never freed; generation overwrites the whole grid
// for each level, the palette loader fills the palette once at start-up. The
// grid is aligned for huge pages: collision queries and generation touch a
// few bytes in each of hundreds of its rows at a time.
alignas(1 << 21) static uint8_t grid[LEVEL_GRID_BYTES];
static uint32_t palette[LEVEL_PALETTE_SIZE];

uint8_t* level_grid()
{
    static bool advised = (plat_advise_huge_pages(grid, LEVEL_GRID_BYTES), true);
    (void)advised;
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
