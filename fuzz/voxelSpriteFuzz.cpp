// voxelSpriteFuzz.cpp - the voxel sprite reader on arbitrary files.
#include <stddef.h>
#include <stdint.h>
#include <zlib.h>

#include "fuzzSupport.h"
#include "voxel/dynCubeRender.h"
#include "voxel/loadSprite.h"

// The reader's file links the sprite drawing, which goes to the cube renderer.
void draw_voxel_box(const uint8_t*, int, int, int, int, int, int, const uint32_t*, int, int, int, int)
{
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* path = fuzz_input_file(data, size);
    VoxelSprite* sprite = load_voxel_sprite(path);
    if (!sprite)
        return 0;
    check_and_free_sprite(sprite);
    return 0;
}

// Mutated files keep valid chunk checksums: libpng would reject nearly every
// mutation at its CRC check and never decode the image behind it.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t max_size, unsigned seed)
{
    size = LLVMFuzzerMutate(data, size, max_size);
    if (seed % 8 == 0)
        return size;
    // Chunks follow the 8-byte signature: length (big-endian), type, data, CRC
    // of type and data.
    for (size_t at = 8; at + 12 <= size;) {
        uint32_t length = uint32_t(data[at]) << 24 | uint32_t(data[at + 1]) << 16
            | uint32_t(data[at + 2]) << 8 | data[at + 3];
        if (length > size - at - 12)
            break;
        uint32_t crc = static_cast<uint32_t>(crc32(0, data + at + 4, length + 4));
        uint8_t* out = data + at + 8 + length;
        out[0] = static_cast<uint8_t>(crc >> 24);
        out[1] = static_cast<uint8_t>(crc >> 16);
        out[2] = static_cast<uint8_t>(crc >> 8);
        out[3] = static_cast<uint8_t>(crc);
        at += 12 + length;
    }
    return size;
}
