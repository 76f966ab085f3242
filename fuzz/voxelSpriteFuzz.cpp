// voxelSpriteFuzz.cpp - the voxel sprite reader on arbitrary files.
#include <stddef.h>
#include <stdint.h>

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
    // An accepted sprite has a real grid, and every voxel names a palette
    // entry that was filled (the palette holds as many entries as the
    // largest index needs; reading them all must be safe).
    if (sprite->nx < 1 || sprite->ny < 1 || sprite->nz < 1)
        __builtin_trap();
    size_t n = size_t(sprite->nx) * sprite->ny * sprite->nz;
    uint32_t sum = 0;
    for (size_t i = 0; i < n; ++i)
        sum += sprite->palette[sprite->voxels[i]];
    if (sprite->palette[0] != 0 || sum == 0x12345678u)
        __builtin_trap();
    voxel_sprite_free(sprite);
    return 0;
}
