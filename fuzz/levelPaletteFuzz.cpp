// levelPaletteFuzz.cpp - the palette reader on arbitrary files.
#include <stddef.h>
#include <stdint.h>

#include "fuzzSupport.h"
#include "gen/levelTiles.h"
#include "packedMutator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* path = fuzz_input_file(data, size);
    uint32_t colours[256];
    try {
        int n = load_level_palette(path, colours, 256);
        if (n < 0 || n > 256)
            __builtin_trap();
    } catch (const FuzzRejected&) {
    }
    return 0;
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t max_size, unsigned seed)
{
    return mutate_palette_file(data, size, max_size, seed);
}
