// levelTilesBlockFuzz.cpp - the tile records' checks on arbitrary unpacked blocks.
//
// The input is a record count (4 bytes) and the block as the file holds it
// once unpacked, so every input reaches the checks of names and voxel boxes.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "fuzzSupport.h"
#include "gen/levelTiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    uint32_t count;
    memcpy(&count, data, 4);
    if (!load_level_tiles_block(data + 4, static_cast<uint32_t>(size - 4), count))
        return 0;
    // Every accepted tile is safe to read whole and is found by its name.
    volatile unsigned sum = 0;
    for (int i = 0; i < level_tile_count(); ++i) {
        const LevelTile* t = level_tile(i);
        size_t n = size_t(t->nx) * t->ny * t->nz;
        for (size_t v = 0; v < n; ++v)
            sum = sum + t->voxels[v];
        if (!find_level_tile(t->name))
            __builtin_trap();
    }
    free_level_tiles();
    return 0;
}
