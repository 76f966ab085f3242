// levelGen.h - making a level: the generation run over the room map.
#pragma once

// A fresh level: level_complete cleared, robots, shots and debris dropped, a
// new level generated into the level grid and the voxel cache emptied. The
// hero's health, the level number and the points stay.
void new_level();
// Clears the level grid and builds a new level into it.
void generate_level();
