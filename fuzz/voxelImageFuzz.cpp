// voxelImageFuzz.cpp - building sprites from arbitrary decoded images.
//
// The input is three grid-size texts (each ended by a zero byte), a width
// byte and then the pixels, so every input reaches the grid checks, the
// colour table and the voxel layout without passing through libpng.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "fuzzSupport.h"
#include "voxel/loadSprite.h"

// The reader's file links the sprite drawing, which goes to the cube renderer.
void draw_voxel_box(const uint8_t*, int, int, int, int, int, int, const uint32_t*, int, int, int, int)
{
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* texts[3];
    std::vector<char> copy(data, data + size);
    copy.push_back(0);
    size_t at = 0;
    for (const char*& text : texts) {
        if (at >= size)
            return 0;
        text = copy.data() + at;
        at += strlen(text) + 1;
    }
    if (at >= size)
        return 0;
    uint32_t width = data[at++] % 64 + 1;
    size_t pixelCount = (size - at) / 4 / width * width;
    std::vector<uint32_t> pixels(pixelCount ? pixelCount : 1);
    memcpy(pixels.data(), data + at, pixelCount * 4);
    VoxelSpriteImage image = {pixels.data(), width, static_cast<uint32_t>(pixelCount / width), true,
        {texts[0], texts[1], texts[2]}};
    const char* why = nullptr;
    VoxelSprite* sprite = voxel_sprite_from_image(image, &why);
    if (!sprite) {
        if (!why)
            __builtin_trap();
        return 0;
    }
    // The grid is the image's.
    if (uint64_t(sprite->nx) * sprite->nz != width || uint32_t(sprite->ny) != image.height)
        __builtin_trap();
    check_and_free_sprite(sprite);
    return 0;
}
