// levelPaletteFuzz.cpp - the palette reader on arbitrary files.
#include <stddef.h>
#include <stdint.h>

#include "fuzzSupport.h"
#include "gen/levelTiles.h"

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
