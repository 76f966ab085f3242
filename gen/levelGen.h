// levelGen.h - making a level: the generation run over the room map.
#pragma once

#include <stdint.h>

struct LevelGenTemplate;

// Loads the game's level data in order: the palette "level.pal" into
// palette_colors, the tile library "tiles.bin", the tile groups. Fatal on
// failure.
void load_level_data();
// Frees what load_level_data loaded; safe when nothing is loaded.
void free_level_data();
// A hash of the level data as load_level_data left it: every tile (size,
// offset, name and voxels) and the palette's colours. Levels generated from
// one seed are the same wherever this is the same.
uint64_t level_data_hash();

// Clears the room map, the level grid and the spawns and builds a new level
// into them, in the default floating-point environment (it may run outside
// an update). The tile library and the tile groups must be loaded.
void generate_level();
// The generator's state when the last generate_level began: started from
// this seed, a game's first level is that level.
uint64_t level_seed();

// The steps of a generation run, on the room map as it stands:
// Lays the path: openings into free cells, the walk across the columns with
// its stairs, the side branches; then logs "final path:" and the map.
void make_path();
// One pass of growing a side branch; true when another pass is needed.
bool grow_branch();
// Places a template from the list on every free cell; fatal when a cell has
// no applicable template.
void fill_rooms(const LevelGenTemplate* const* list, int n);
// Logs the room map, three text lines per room row from the top.
void log_room_map();
