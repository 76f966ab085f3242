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
// A sprite of the level grid's inclusive box, with a copy of the level palette.
VoxelSprite* voxel_sprite_from_grid(int x0, int y0, int z0, int x1, int y1, int z1);
// Draws the sprite through the cube renderer in the current world matrix's
// object space, offset by (ox, oy, oz) voxels; mirror flips it in x.
void voxel_sprite_draw(const VoxelSprite* sprite, int ox, int oy, int oz, bool mirror);
// Frees the voxels, the palette and the sprite; null is ignored.
void voxel_sprite_free(VoxelSprite* sprite);
