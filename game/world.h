// world.h - the level world: collision queries and wall destruction.
#pragma once

// Half side of the square blown out of a wall; 2 in a new game, at most 4.
int wall_radius();
void set_wall_radius(int radius);

// Tells the cube renderer that the voxels of the inclusive box changed (only
// its x and y bounds matter: the cache keeps whole depths).
void world_changed(int x0, int y0, int z0, int x1, int y1, int z1);
