// levelGenRuntime.h - what room templates are written against: coordinate
// sets, tile groups, stamping tiles into the level grid, choosing where the
// hero and the robots start, and the room map that templates are placed on.
//
// Coordinates here are tile cells of 16 x 16 level voxels, y up. Every random
// choice draws from rng_state in a fixed order, so one seed gives one level.
#pragma once

#include <stdint.h>

#include "../libs/inc/cont/zu_dynArray.h"
#include "levelTiles.h"

enum {
    TILE_CELL = 16,   // level voxels per tile cell, in x and y
    ROOM_TILES_X = 8, // tile cells per room cell
    ROOM_TILES_Y = 5,
    ROOM_COLUMNS = 32, // room cells of a level
    ROOM_ROWS = 3,
};

// Bits of a room map cell: the sides it opens to, and whether it is still free.
enum : uint8_t { ROOM_LEFT = 1, ROOM_RIGHT = 2, ROOM_UP = 4, ROOM_DOWN = 8, ROOM_FREE = 0x10 };

struct LevelGenCoord {
    int32_t x, y;
};

// An ordered, indexable set of tile-cell coordinates.
class ILevelGenCoords {
public:
    virtual int count() const = 0;
    // Coordinate i of 0..count-1; any other index fails "i>=0 && i<num".
    virtual LevelGenCoord get(int i) const = 0;

protected:
    ~ILevelGenCoords() = default; // small values on the stack of a placing operation
};

// Packed (x, y) byte pairs, shifted by an origin.
class LevelGenCoordList final : public ILevelGenCoords {
public:
    LevelGenCoordList(const uint8_t* pairs, int num, int dx, int dy)
        : pairs(pairs)
        , num(num)
        , dx(dx)
        , dy(dy)
    {
    }
    int count() const override { return num; }
    LevelGenCoord get(int i) const override;

private:
    const uint8_t* pairs;
    int num;
    int dx, dy;
};

// The cells from (x0, y0) up to but excluding (x1, y1), row by row from the
// bottom, each row left to right. A second corner left of or below the first
// gives no cells.
class LevelGenCoordRect final : public ILevelGenCoords {
public:
    LevelGenCoordRect(int x0, int y0, int x1, int y1);
    int count() const override { return num; }
    LevelGenCoord get(int i) const override;

private:
    int x0, y0;
    int w, h;
    int num;
};

// The twelve tile groups; a tile listed several times is chosen more often.
enum TileGroupId {
    GROUP_B73, // background mix
    GROUP_B7,  // plain background
    GROUP_B2,  // the hero's background
    GROUP_W4,  // walls
    GROUP_F3,  // floors
    GROUP_H2,  // hollow floors
    GROUP_M7,  // machines
    GROUP_M47, // machines or walls
    GROUP_P5,  // platforms
    GROUP_SR,  // stairs up to the right
    GROUP_SL,  // stairs up to the left
    GROUP_X,   // the exit
    TILE_GROUP_COUNT
};

struct TileGroup {
    const LevelTile* const* tiles;
    int count; // 0 until load_tile_groups
};

// Fills the groups from the loaded tile library (a missing tile is fatal) and
// lowers the stairs by 2 level voxels, once per load of the library.
void load_tile_groups();
TileGroup tile_group(TileGroupId id);

// Null for a null group or n < 1, the first entry for n = 1 (no draw), else a
// random entry.
const LevelTile* choose_tile(const LevelTile* const* group, int n);
// For each coordinate in order, chooses a tile and places it at its cell;
// write_placed_tiles stamps the placed tiles into the grid.
void place_tiles(const LevelTile* const* group, int n, const ILevelGenCoords& coords);
void place_tiles(TileGroupId id, const ILevelGenCoords& coords);
// Clears the level grid and stamps every tile placed since the last call,
// each voxel receiving its tiles in the order they were placed; then forgets
// them.
void write_placed_tiles();
// Forgets the tiles placed and not written; each generation run starts with it.
void clear_placed_tiles();
// Writes the tile into the level grid with its low corner at level voxel
// (x, y) plus its offsets, each tile voxel as a 2 x 2 x 2 block. Zero leaves
// the level alone, 0x40/0x80/0xC0 erase, anything else is written. What falls
// outside the grid is dropped. A null tile stamps nothing.
void stamp_tile(const LevelTile* tile, int x, int y);

// Where a generation run wants the hero and the robots, in level voxels, in
// the order it chose them. Generation owns no game objects: the game reads
// these after generate_level and puts its hero and robots there.
struct LevelSpawn {
    float x, y;
};
struct LevelSpawns {
    bool heroPlaced; // the hero's start; the last one chosen wins
    LevelSpawn hero;
    DynArray<LevelSpawn> robots;
};
const LevelSpawns& level_spawns();
// Forgets every spawn; each generation run starts with it.
void clear_level_spawns();

// Adds min(n, count) robot spawns at distinct random cells of the set.
void spawn_enemies(int n, const ILevelGenCoords& coords);
// Sets the hero's start at a random cell of the set (the only one without a draw).
void place_hero_at_random(const ILevelGenCoords& coords);

// The composite steps of the templates, each on one set of cells.
void place_floor(const ILevelGenCoords& coords);         // W4 then F3
void place_hollow_floor(const ILevelGenCoords& coords);  // W4 then H2
void place_stair_right(const ILevelGenCoords& coords);   // B7 then SR
void place_stair_left(const ILevelGenCoords& coords);    // B7 then SL
void place_platform(const ILevelGenCoords& coords);      // B7 then P5
void place_enemy(const ILevelGenCoords& coords);         // one robot, then B7
void place_hero_start(const ILevelGenCoords& coords);    // the hero, then B2
void place_optional_wall(const ILevelGenCoords& coords); // B7 or W4, one draw

struct LevelGenTemplate;
// A template's placing operation, called with its room column and row.
using PlaceTemplateFn = void (*)(const LevelGenTemplate& t, int column, int row);

struct LevelGenTemplate {
    PlaceTemplateFn place;
    int16_t width, height;  // in room cells
    const uint8_t* pattern; // width*height openings, top row first; null never matches
    int record;             // 1..31, 0 for the root record
};

// The room map: ROOM_COLUMNS x ROOM_ROWS cells, row 0 (the bottom) first.
uint8_t* room_map();
inline uint8_t& room_cell(int column, int row)
{
    return room_map()[row * ROOM_COLUMNS + column];
}

// Writes the template's pattern into the room map at (column, row) and runs
// its placing operation there. A negative column or row means the rightmost
// or topmost position.
void place_template(const LevelGenTemplate& t, int column, int row);
// A choice among n templates with the rules of choose_tile.
const LevelGenTemplate* choose_template(const LevelGenTemplate* const* list, int n);
