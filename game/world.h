// world.h - the level world: collision queries and wall destruction.
#pragma once

// Half side of the square blown out of a wall; 2 in a new game, at most 4.
int wall_radius();
void set_wall_radius(int radius);
