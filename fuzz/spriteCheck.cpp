// spriteCheck.cpp - what every sprite a fuzz target got accepted must satisfy.
#include "fuzzSupport.h"
#include "voxel/loadSprite.h"

void check_and_free_sprite(VoxelSprite* sprite)
{
    if (sprite->nx < 1 || sprite->ny < 1 || sprite->nz < 1 || sprite->palette[0] != 0)
        __builtin_trap();
    size_t n = size_t(sprite->nx) * sprite->ny * sprite->nz;
    volatile uint32_t sum = 0;
    for (size_t i = 0; i < n; ++i)
        sum = sum + sprite->palette[sprite->voxels[i]];
    voxel_sprite_free(sprite);
}
