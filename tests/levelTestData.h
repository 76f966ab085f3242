// levelTestData.h - tile libraries and palettes made in tests, and the real level data.
#pragma once

#include <string.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "core/paths.h"
#include "fakePlatform.h"
#include "gen/levelGen.h"
#include "gen/levelTiles.h"
#include "voxel/levelGrid.h"

struct TestTile {
    std::string name;
    uint16_t nx, ny, nz;
    int16_t dx, dy, dz;
    std::vector<uint8_t> voxels;
};

inline std::vector<uint8_t> zlib_packed(const void* data, size_t size)
{
    uLongf n = compressBound(static_cast<uLong>(size));
    std::vector<uint8_t> out(n);
    compress(out.data(), &n, static_cast<const Bytef*>(data), static_cast<uLong>(size));
    out.resize(n);
    return out;
}

inline void append_bytes(std::vector<uint8_t>& to, const void* data, size_t size)
{
    size_t at = to.size();
    to.resize(at + size);
    if (size)
        memcpy(to.data() + at, data, size);
}

// The unpacked block of a library: records, then names, then voxels.
inline std::vector<uint8_t> tile_block(const std::vector<TestTile>& tiles)
{
    std::vector<uint8_t> block(tiles.size() * sizeof(LevelTileRecord));
    std::vector<LevelTileRecord> records;
    for (const TestTile& t : tiles) {
        records.push_back({t.nx, t.ny, t.nz, t.dx, t.dy, t.dz, 0, static_cast<uint32_t>(block.size())});
        append_bytes(block, t.name.c_str(), t.name.size() + 1);
    }
    for (size_t i = 0; i < tiles.size(); ++i) {
        records[i].voxelOffset = static_cast<uint32_t>(block.size());
        append_bytes(block, tiles[i].voxels.data(), tiles[i].voxels.size());
    }
    if (!records.empty())
        memcpy(block.data(), records.data(), records.size() * sizeof(LevelTileRecord));
    return block;
}

// A whole "tiles.bin" around a block; the header's sizes may be overridden
// (count < 0: the block's record count as given; unpacked < 0: the block's size).
inline std::vector<uint8_t> tile_file(
    const std::vector<uint8_t>& block, uint32_t count, int64_t unpacked = -1)
{
    std::vector<uint8_t> packed = zlib_packed(block.data(), block.size());
    std::vector<uint8_t> file;
    LevelTilesHeader h = {LEVEL_TILES_TAG, count,
        static_cast<uint32_t>(unpacked < 0 ? static_cast<int64_t>(block.size()) : unpacked),
        static_cast<int32_t>(packed.size())};
    append_bytes(file, &h, sizeof h);
    append_bytes(file, packed.data(), packed.size());
    return file;
}

inline std::vector<uint8_t> tile_file(const std::vector<TestTile>& tiles)
{
    return tile_file(tile_block(tiles), static_cast<uint32_t>(tiles.size()));
}

// A "level.pal" of the given colours whose header claims `count` colours.
inline std::vector<uint8_t> palette_file(const std::vector<uint32_t>& colours, uint32_t count)
{
    std::vector<uint8_t> packed = zlib_packed(colours.data(), colours.size() * 4);
    std::vector<uint8_t> file;
    LevelPaletteHeader h = {LEVEL_PALETTE_TAG, count, static_cast<int32_t>(packed.size())};
    append_bytes(file, &h, sizeof h);
    append_bytes(file, packed.data(), packed.size());
    return file;
}

// The game's own "level.pal", "tiles.bin" and tile groups, loaded from the
// build's program directory.
inline void load_real_level_data()
{
    fake.exePath = TARNWICK_BIN_DIR "/game";
    find_app_path();
    load_level_data();
}
