// levelTilesFuzz.cpp - the tile library reader on arbitrary files.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "fuzzSupport.h"
#include "gen/levelTiles.h"
#include "packedMutator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* path = fuzz_input_file(data, size);
    try {
        load_level_tiles(path);
        // Every tile the reader accepted must be safe to read whole, and be
        // found by its name.
        unsigned sum = 0;
        for (int i = 0; i < level_tile_count(); ++i) {
            const LevelTile* t = level_tile(i);
            size_t n = size_t(t->nx) * t->ny * t->nz;
            for (size_t v = 0; v < n; ++v)
                sum += t->voxels[v];
            sum += static_cast<unsigned>(strlen(t->name));
            if (!find_level_tile(t->name))
                __builtin_trap();
        }
        if (sum == 0xFFFFFFFFu)
            free_level_tiles();
    } catch (const FuzzRejected&) {
    }
    free_level_tiles();
    return 0;
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t max_size, unsigned seed)
{
    return mutate_tiles_file(data, size, max_size, seed);
}
