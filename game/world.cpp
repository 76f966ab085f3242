// world.cpp - the level world: collision queries and wall destruction.
#include "world.h"

static int destruction_radius; // reset by new_game through the wall upgrade

int wall_radius()
{
    return destruction_radius;
}

void set_wall_radius(int radius)
{
    destruction_radius = radius;
}
