// tgaImageFuzz.cpp - the TGA reader on arbitrary files.
#include <stddef.h>
#include <stdint.h>

#include "core/tgaImage.h"
#include "fuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* path = fuzz_input_file(data, size);
    int width = 0, height = 0;
    DynArray<uint32_t> pixels;
    if (!load_tga(path, &width, &height, &pixels))
        return 0;
    // A successful read is exactly what the header promised and no more than
    // the file holds.
    if (width < 1 || height < 1 || pixels.size() != width * height)
        __builtin_trap();
    if (static_cast<size_t>(pixels.size()) * 4 + TGA_HEADER_SIZE > size)
        __builtin_trap();
    return 0;
}
