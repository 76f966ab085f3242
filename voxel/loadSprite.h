// loadSprite.h - voxel sprites: small voxel models stored as PNG images.
//
// A sprite PNG holds nz slices of nx x ny pixels side by side (slice 0, the
// front, at the left; the top row is the top of the model) and the grid size
// in the text chunks "VoxelGridDimX", "VoxelGridDimY" and "VoxelGridDimZ".
// Every distinct 32-bit colour becomes one entry of the sprite's palette;
// 0x00000000 is entry 0, an empty voxel.
#pragma once

#include <stdint.h>

struct VoxelSprite {
    int nx, ny, nz;
    uint32_t* palette; // 0xAARRGGBB, entry 0 = 0; owned
    uint8_t* voxels;   // nx*ny*nz palette indices, x + nx*(y + ny*z); owned
};

// Reads a sprite PNG from the program's directory; null (nothing logged but
// the reason) when anything fails. Logs "voxel PNG from '%s' ok" on success.
VoxelSprite* load_voxel_sprite(const char* name);
// A decoded sprite image: width x height 0xAARRGGBB pixels, rows from the
// top, and the texts of its three grid-size chunks (null where missing).
struct VoxelSpriteImage {
    const uint32_t* pixels; // read only when eightBitRgba
    uint32_t width, height;
    bool eightBitRgba; // the file's pixels were four 8-bit channels
    const char* dims[3];
};
// Builds the sprite the image describes; null, with *why saying what is
// wrong, when the grid size is missing or does not match the image, the
// pixels are not four 8-bit channels, or there are more than 255 colours.
VoxelSprite* voxel_sprite_from_image(const VoxelSpriteImage& image, const char** why);
// A sprite of the level grid's inclusive box, with a copy of the level palette.
VoxelSprite* voxel_sprite_from_grid(int x0, int y0, int z0, int x1, int y1, int z1);
// Draws the sprite through the cube renderer in the current world matrix's
// object space, offset by (ox, oy, oz) voxels; mirror flips it in x.
void voxel_sprite_draw(const VoxelSprite* sprite, int ox, int oy, int oz, bool mirror);
// Frees the voxels, the palette and the sprite; null is ignored.
void voxel_sprite_free(VoxelSprite* sprite);
