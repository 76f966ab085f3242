// world.cpp - the level world: collision queries and wall destruction.
#include "world.h"

#include "../voxel/dynCubeRender.h"

static int destruction_radius; // reset by new_game through the wall upgrade

int wall_radius()
{
    return destruction_radius;
}

void set_wall_radius(int radius)
{
    destruction_radius = radius;
}

void world_changed(int x0, int y0, int, int x1, int y1, int)
{
    voxel_cache_invalidate(x0, y0, x1, y1);
}
