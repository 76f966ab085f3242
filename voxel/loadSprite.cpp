// loadSprite.cpp - voxel sprites: small voxel models stored as PNG images.
#include "loadSprite.h"

VoxelSprite* load_voxel_sprite(const char*)
{
    // Reading PNG files comes with libpng.
    return nullptr;
}

VoxelSprite* voxel_sprite_from_grid(int, int, int, int, int, int)
{
    return nullptr;
}

void voxel_sprite_draw(const VoxelSprite*, int, int, int, bool)
{
}

void voxel_sprite_free(VoxelSprite*)
{
}
