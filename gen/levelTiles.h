// levelTiles.h - the level tile library ("tiles.bin") and the level palette ("level.pal").
//
// Both files are little-endian: a header and one zlib stream. The tile
// library's stream unpacks to one block that starts with the tile records;
// names and voxels lie in the same block, addressed by offsets from its start.
// The block stays in memory until free_level_tiles, and every LevelTile points
// into it. Loading failures are fatal.
#pragma once

#include <stdint.h>

enum : uint32_t {
    LEVEL_TILES_TAG = 0x12021200,
    LEVEL_PALETTE_TAG = 0x12020900,
};

// The header of "tiles.bin"; the packed stream follows it.
struct LevelTilesHeader {
    uint32_t tag;
    uint32_t count;        // tile records at the start of the unpacked block
    uint32_t unpackedSize; // bytes of the unpacked block
    int32_t packedSize;    // bytes of the zlib stream
};
static_assert(sizeof(LevelTilesHeader) == 16, "tiles.bin header layout");

// One tile record of the unpacked block.
struct LevelTileRecord {
    uint16_t nx, ny, nz;  // size in tile voxels
    int16_t dx, dy, dz;   // placement offset in level voxels
    uint32_t voxelOffset; // nx*ny*nz bytes, i + nx*(j + ny*k)
    uint32_t nameOffset;  // NUL-terminated
};
static_assert(sizeof(LevelTileRecord) == 20, "tiles.bin record layout");

// The header of "level.pal"; the packed stream of count*4 bytes follows it.
struct LevelPaletteHeader {
    uint32_t tag;
    uint32_t count;
    int32_t packedSize;
};
static_assert(sizeof(LevelPaletteHeader) == 12, "level.pal header layout");

// A loaded tile: a box of palette indices, each tile voxel stamped as 2x2x2
// level voxels. Byte (i, j, k) is voxels[i + nx*(j + ny*k)]; j = 0 is the
// bottom layer, k = 0 the front. Values 0x40, 0x80 and 0xC0 cut holes.
struct LevelTile {
    uint16_t nx, ny, nz;
    int16_t dx, dy, dz; // placement offset in level voxels; dz is the tile's depth
    const uint8_t* voxels;
    const char* name;
};

// Reads a palette file into colours (room for capacity entries, 0xAARRGGBB)
// and returns its colour count; entries beyond it are left alone.
int load_level_palette(const char* name, uint32_t* colours, int capacity);

// Reads a tile library and replaces the loaded one.
void load_level_tiles(const char* name);

// The first tile with exactly this name, in file order. Fatal when no library
// is loaded or the name is missing. The tile may be adjusted by its user (the
// generator lowers the stairs once per load).
LevelTile* find_level_tile(const char* name);

// Frees the library; safe when none is loaded.
void free_level_tiles();
// Makes a copy of an unpacked block (the tile records first, then names and
// voxels, as in the file after unpacking) the library; false, with the reason
// logged and the old library kept, when a record points outside the block.
bool load_level_tiles_block(const uint8_t* data, uint32_t size, uint32_t count);

int level_tile_count();
// Tile 0..level_tile_count()-1, in file order.
const LevelTile* level_tile(int index);
// Counts the successful loads, so that once-per-load adjustments can tell a
// fresh library from one they have already adjusted.
int level_tiles_load_count();
