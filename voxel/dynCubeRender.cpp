// dynCubeRender.cpp - the instanced cube renderer and the voxel cache.
#include "dynCubeRender.h"

void cube_renderer_init()
{
    // Cubes need the device layer's buffers and shaders, which come later.
}

void cube_renderer_shutdown()
{
}

void voxel_cache_invalidate_all()
{
}

void draw_world(float)
{
}
