// levelGenRuntime.cpp - coordinate sets, tile groups, stamping and placement.
#include "levelGenRuntime.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "../core/random.h"
#include "../libs/inc/cont/zu_dynArray.h"
#include "../voxel/levelGrid.h"

// Each group as its entries in order; "name*N" lists a tile N times in a row.
static const struct {
    const char* entries;
    int size;
} GROUP_SOURCES[TILE_GROUP_COUNT] = {
    {"back0*10 back1*10 back2*10 back3*10 back4*10 backC1*10 backC2*10 backS1 backS2 backS3", 73},
    {"back0 back1 back2 back3 back4 backC1 backC2", 7},
    {"back2", 1},
    {"wall0 wall1 wall2 wall3", 4},
    {"floor1 floor2 floor3", 3},
    {"hfloor1 hfloor2", 2},
    {"mach1 mach2 mach3 mach4 mach5 mach6 mach7", 7},
    {"mach1 mach2 mach3 mach4 mach5 mach6 mach7 wall0*10 wall1*10 wall2*10 wall3*10", 47},
    {"plat0 plat1 plat2 plat3 plat4", 5},
    {"stairR", 1},
    {"stairL", 1},
    {"exit", 1},
};

enum { GROUP_ENTRIES = 73 + 7 + 1 + 4 + 3 + 2 + 7 + 47 + 5 + 1 + 1 + 1 };
// The stairs are stored 2 level voxels higher than they are placed.
enum { STAIR_LOWERING = 2 };

// How much of a tile row writes to the level.
enum RowCover : uint8_t { COVERS_NOTHING, COVERS_PART, COVERS_ALL };

// Where a tile's doubled rows start in the runtime's doubledBytes.
struct DoubledTile {
    const LevelTile* tile;
    int at;
};

// A tile placed by a generation run, waiting for write_placed_tiles.
struct PlacedTile {
    const LevelTile* tile;
    int doubledAt; // in doubledBytes
    int x, y;
};

// A tile at its place, ready to be written a level row at a time.
struct Stamp {
    const uint8_t *keep, *value, *cover; // its doubled rows
    int nx, ny;
    int bx, by, bz;     // its low corner in the level
    int offset, n;      // the bytes of each doubled row that land inside the grid
    int y0, y1, z0, z1; // the level rows and depths it writes: [y0, y1) x [z0, z1)
};

// write_placed_tiles writes the grid a band of this many rows at a time.
enum { BAND_ROWS = 16 };
static_assert(LEVEL_SIZE_Y % BAND_ROWS == 0, "the bands tile the grid");

static struct {
    const LevelTile* entries[GROUP_ENTRIES];   // filled by load_tile_groups
    TileGroup groups[TILE_GROUP_COUNT];        // empty until load_tile_groups
    int stairsLoweredAt;                       // the library load whose stairs were lowered; 0 for none
    uint8_t roomMap[ROOM_COLUMNS * ROOM_ROWS]; // reset by each generation run
    LevelSpawns spawns;                        // likewise
    DynArray<PlacedTile> placed;               // emptied by write_placed_tiles and clear_placed_tiles
    DynArray<Stamp> stamps;                    // write_placed_tiles' own, kept to spare allocations
    DynArray<int> band;                        // likewise
    // Tiles doubled for stamping (see double_tile): first the groups' tiles,
    // by load_tile_groups for the library load doubledAt (0 for none), the
    // first groupDoubled entries; then any other tile (a test's own) that is
    // stamped or placed, dropped again once it is written.
    DynArray<uint8_t> doubledBytes;
    DynArray<DoubledTile> doubledTiles;
    int doubledAt;
    int groupDoubled;
} runtime;

static void double_group_tiles();
static int doubled_tile(const LevelTile* tile);

LevelGenCoord LevelGenCoordList::get(int i) const
{
    ASSERT(i >= 0 && i < num);
    return {pairs[2 * i] + dx, pairs[2 * i + 1] + dy};
}

LevelGenCoordRect::LevelGenCoordRect(int x0, int y0, int x1, int y1)
    : x0(x0)
    , y0(y0)
    , w(x1 > x0 ? x1 - x0 : 0)
    , h(y1 > y0 ? y1 - y0 : 0)
    , num(w * h)
{
}

LevelGenCoord LevelGenCoordRect::get(int i) const
{
    ASSERT(i >= 0 && i < num);
    return {x0 + i % w, y0 + i / w};
}

// Appends the group's entries to the entry table from `at`; returns the count.
static int fill_group(const char* source, const LevelTile** at)
{
    int n = 0;
    for (const char* p = source; *p;) {
        size_t len = strcspn(p, " *");
        PathText name;
        ASSERT(len < sizeof name.s);
        memcpy(name.s, p, len);
        name.s[len] = 0;
        p += len;
        int repeat = 1;
        if (*p == '*') {
            char* end;
            repeat = static_cast<int>(strtol(p + 1, &end, 10));
            p = end;
        }
        const LevelTile* tile = find_level_tile(name.s);
        for (int r = 0; r < repeat; ++r)
            at[n++] = tile;
        p += strspn(p, " ");
    }
    return n;
}

static void lower_stairs_once()
{
    if (runtime.stairsLoweredAt == level_tiles_load_count())
        return;
    find_level_tile("stairR")->dy -= STAIR_LOWERING;
    find_level_tile("stairL")->dy -= STAIR_LOWERING;
    runtime.stairsLoweredAt = level_tiles_load_count();
}

void load_tile_groups()
{
    int used = 0;
    for (int g = 0; g < TILE_GROUP_COUNT; ++g) {
        const LevelTile** at = runtime.entries + used;
        int n = fill_group(GROUP_SOURCES[g].entries, at);
        ASSERT(n == GROUP_SOURCES[g].size);
        runtime.groups[g] = {at, n};
        used += n;
    }
    lower_stairs_once();
    double_group_tiles();
}

TileGroup tile_group(TileGroupId id)
{
    ASSERT(id >= 0 && id < TILE_GROUP_COUNT);
    return runtime.groups[id];
}

// Tiles and templates are chosen alike: nothing from nothing, the only
// entry without a draw, else a random entry.
template <typename T> static const T* choose_among(const T* const* list, int n)
{
    if (!list || n < 1)
        return nullptr;
    if (n == 1)
        return list[0];
    return list[rng_choice(static_cast<uint32_t>(n))];
}

const LevelTile* choose_tile(const LevelTile* const* group, int n)
{
    return choose_among(group, n);
}

void place_tiles(const LevelTile* const* group, int n, const ILevelGenCoords& coords)
{
    int count = coords.count();
    for (int i = 0; i < count; ++i) {
        LevelGenCoord c = coords.get(i);
        const LevelTile* tile = choose_tile(group, n);
        if (tile)
            runtime.placed.push({tile, doubled_tile(tile), c.x * TILE_CELL, c.y * TILE_CELL});
    }
}

void place_tiles(TileGroupId id, const ILevelGenCoords& coords)
{
    TileGroup g = tile_group(id);
    place_tiles(g.tiles, g.count, coords);
}

static int floor_half(int v)
{
    return v >= 0 ? v / 2 : -((1 - v) / 2);
}

// Tile voxel indices along one axis whose 2-voxel blocks reach into the grid's
// [0, size): block i covers base + 2i and base + 2i + 1.
struct BlockRange {
    int first, last; // inclusive; empty when first > last
};

static BlockRange blocks_inside(int base, int n, int size)
{
    int first = -floor_half(base + 1);
    int last = floor_half(size - 1 - base);
    return {first > 0 ? first : 0, last < n - 1 ? last : n - 1};
}

// A tile's voxels doubled along x into keep/value pairs, made once per tile:
// a level byte becomes (byte & keep) | value, which leaves it for 0, clears
// it for the cutting values and writes every other value. For row r = j +
// ny * k, 2 * nx keep bytes from 2 * nx * r on, as many value bytes from
// 2 * nx * (rows + r) on, then a RowCover per row from 4 * nx * rows on.
static void double_tile(const LevelTile* tile, DynArray<uint8_t>& out)
{
    const int nx = tile->nx, rows = tile->ny * tile->nz, at = out.size();
    out.resize(at + (4 * nx + 1) * rows);
    uint8_t* keep = out.data() + at;
    uint8_t* value = keep + 2 * nx * rows;
    uint8_t* cover = keep + 4 * nx * rows;
    for (int r = 0; r < rows; ++r) {
        const uint8_t* src = tile->voxels + nx * r;
        int written = 0;
        for (int i = 0; i < nx; ++i) {
            uint8_t v = src[i];
            int t = 2 * (nx * r + i);
            keep[t] = keep[t + 1] = v ? 0 : 0xFF;
            value[t] = value[t + 1] = (v & 0x3F) ? v : 0;
            written += v != 0;
        }
        cover[r] = written == 0 ? COVERS_NOTHING : written == nx ? COVERS_ALL : COVERS_PART;
    }
}

// The doubled rows of the tile at doubledTiles[from...], or -1.
static int find_doubled(const LevelTile* tile, int from)
{
    for (int i = from; i < runtime.doubledTiles.size(); ++i)
        if (runtime.doubledTiles[i].tile == tile)
            return runtime.doubledTiles[i].at;
    return -1;
}

static int add_doubled(const LevelTile* tile)
{
    int at = runtime.doubledBytes.size();
    runtime.doubledTiles.push({tile, at});
    double_tile(tile, runtime.doubledBytes);
    return at;
}

// Doubles every tile of the groups, once each.
static void double_group_tiles()
{
    runtime.doubledBytes.clear();
    runtime.doubledTiles.clear();
    for (const LevelTile* tile : runtime.entries)
        if (find_doubled(tile, 0) < 0)
            add_doubled(tile);
    runtime.groupDoubled = runtime.doubledTiles.size();
    runtime.doubledAt = level_tiles_load_count();
}

// Where the tile's doubled rows start in doubledBytes: a group's as doubled
// at load, any other doubled now until drop_other_doubled.
static int doubled_tile(const LevelTile* tile)
{
    if (runtime.groupDoubled > 0 && runtime.doubledAt != level_tiles_load_count()) {
        // The library was loaded again without its groups: the doubled
        // tiles may be freed ones whose addresses come back.
        runtime.doubledTiles.clear();
        runtime.doubledBytes.clear();
        runtime.groupDoubled = 0;
    }
    int at = find_doubled(tile, 0);
    return at >= 0 ? at : add_doubled(tile);
}

static void drop_other_doubled()
{
    if (runtime.groupDoubled == runtime.doubledTiles.size())
        return;
    runtime.doubledBytes.resize(runtime.doubledTiles[runtime.groupDoubled].at);
    runtime.doubledTiles.resize(runtime.groupDoubled);
}

// Merges n doubled bytes into a level row from x on, inside the grid. A
// piece that covers everything is copied without reading the level (the
// grid is far larger than the caches); otherwise eight bytes are merged at a
// time, the bytes being independent. Pieces are short (a tile row is tens of
// bytes): words are copied in line rather than by a call.
static void merge_piece(uint8_t* row, int x, int n, RowCover cover, const uint8_t* keep, const uint8_t* value)
{
    int t = x < 0 ? -x : 0;
    int to = x + n > LEVEL_SIZE_X ? LEVEL_SIZE_X - x : n;
    uint8_t* d = row + x;
    if (cover == COVERS_ALL) {
        for (; t + 8 <= to; t += 8)
            memcpy(d + t, value + t, 8);
        for (; t < to; ++t)
            d[t] = value[t];
        return;
    }
    for (; t + 8 <= to; t += 8) {
        uint64_t dw, kw, vw;
        memcpy(&dw, d + t, 8);
        memcpy(&kw, keep + t, 8);
        memcpy(&vw, value + t, 8);
        dw = (dw & kw) | vw;
        memcpy(d + t, &dw, 8);
    }
    for (; t < to; ++t)
        d[t] = static_cast<uint8_t>((d[t] & keep[t]) | value[t]);
}

static Stamp make_stamp(const LevelTile* tile, int doubledAt, int x, int y)
{
    Stamp s;
    const int rows = tile->ny * tile->nz;
    s.keep = runtime.doubledBytes.data() + doubledAt;
    s.value = s.keep + 2 * tile->nx * rows;
    s.cover = s.keep + 4 * tile->nx * rows;
    s.nx = tile->nx;
    s.ny = tile->ny;
    s.bx = x + tile->dx;
    s.by = y + tile->dy;
    s.bz = tile->dz;
    BlockRange ri = blocks_inside(s.bx, tile->nx, LEVEL_SIZE_X);
    BlockRange rj = blocks_inside(s.by, tile->ny, LEVEL_SIZE_Y);
    BlockRange rk = blocks_inside(s.bz, tile->nz, LEVEL_SIZE_Z);
    s.offset = 2 * ri.first;
    s.n = 2 * (ri.last - ri.first + 1);
    s.y0 = std::max(s.by + 2 * rj.first, 0);
    s.y1 = std::min(s.by + 2 * rj.last + 2, static_cast<int>(LEVEL_SIZE_Y));
    s.z0 = std::max(s.bz + 2 * rk.first, 0);
    s.z1 = std::min(s.bz + 2 * rk.last + 2, static_cast<int>(LEVEL_SIZE_Z));
    if (ri.first > ri.last)
        s.y1 = s.y0; // nothing of it inside the grid
    return s;
}

// Writes the stamp's part of level rows [ya, yb) at depth z, which it covers.
static void stamp_rows(const Stamp& s, int z, int ya, int yb)
{
    uint8_t* grid = level_grid();
    const int layer = s.ny * ((z - s.bz) / 2);
    for (int y = ya; y < yb; ++y) {
        const int r = (y - s.by) / 2 + layer;
        const uint8_t cover = s.cover[r];
        if (cover == COVERS_NOTHING)
            continue;
        const int at = 2 * s.nx * r + s.offset;
        merge_piece(grid + level_voxel_index(0, y, z), s.bx + s.offset, s.n, static_cast<RowCover>(cover),
            s.keep + at, s.value + at);
    }
}

void stamp_tile(const LevelTile* tile, int x, int y)
{
    if (!tile)
        return;
    Stamp s = make_stamp(tile, doubled_tile(tile), x, y);
    for (int z = s.z0; z < s.z1; ++z)
        stamp_rows(s, z, s.y0, s.y1);
    drop_other_doubled();
}

// Stamping tile after tile sends each tile's rows to places a megabyte
// apart, which share the same few cache sets and miss the cache nearly every
// time. Instead the grid is cleared and written a band of rows at one depth
// at a time (64 KB, which stays in the cache), from the tiles over it in the
// order they were placed.
void write_placed_tiles()
{
    DynArray<Stamp>& stamps = runtime.stamps;
    stamps.clear();
    for (const PlacedTile& p : runtime.placed)
        stamps.push(make_stamp(p.tile, p.doubledAt, p.x, p.y));
    DynArray<int>& band = runtime.band; // the stamps over a band of rows
    for (int y0 = 0; y0 < LEVEL_SIZE_Y; y0 += BAND_ROWS) {
        const int y1 = y0 + BAND_ROWS;
        band.clear();
        for (int i = 0; i < stamps.size(); ++i)
            if (stamps[i].y0 < y1 && stamps[i].y1 > y0)
                band.push(i);
        for (int z = 0; z < LEVEL_SIZE_Z; ++z) {
            memset(level_grid() + level_voxel_index(0, y0, z), 0, BAND_ROWS * LEVEL_STRIDE_Y);
            for (int i : band) {
                const Stamp& s = stamps[i];
                if (s.z0 <= z && z < s.z1)
                    stamp_rows(s, z, std::max(s.y0, y0), std::min(s.y1, y1));
            }
        }
    }
    clear_placed_tiles();
}

void clear_placed_tiles()
{
    runtime.placed.clear();
    drop_other_doubled();
}

void spawn_enemies(int n, const ILevelGenCoords& coords)
{
    int count = coords.count();
    int wanted = n < count ? n : count;
    DynArray<uint8_t> taken;
    taken.resize(count);
    for (int placed = 0; placed < wanted;) {
        int k = static_cast<int>(rng_choice(static_cast<uint32_t>(count)));
        if (taken[k])
            continue;
        taken[k] = 1;
        ++placed;
        LevelGenCoord c = coords.get(k);
        runtime.spawns.robots.push(
            {static_cast<float>(c.x * TILE_CELL + 8), static_cast<float>(c.y * TILE_CELL)});
    }
}

void place_hero_at_random(const ILevelGenCoords& coords)
{
    int count = coords.count();
    int k = count <= 1 ? 0 : static_cast<int>(rng_choice(static_cast<uint32_t>(count)));
    LevelGenCoord c = coords.get(k);
    runtime.spawns.heroPlaced = true;
    runtime.spawns.hero = {static_cast<float>(c.x * TILE_CELL + 8), static_cast<float>(c.y * TILE_CELL)};
}

const LevelSpawns& level_spawns()
{
    return runtime.spawns;
}

void clear_level_spawns()
{
    runtime.spawns.heroPlaced = false;
    runtime.spawns.robots.clear();
}

void place_floor(const ILevelGenCoords& coords)
{
    place_tiles(GROUP_W4, coords);
    place_tiles(GROUP_F3, coords);
}

void place_hollow_floor(const ILevelGenCoords& coords)
{
    place_tiles(GROUP_W4, coords);
    place_tiles(GROUP_H2, coords);
}

void place_stair_right(const ILevelGenCoords& coords)
{
    place_tiles(GROUP_B7, coords);
    place_tiles(GROUP_SR, coords);
}

void place_stair_left(const ILevelGenCoords& coords)
{
    place_tiles(GROUP_B7, coords);
    place_tiles(GROUP_SL, coords);
}

void place_platform(const ILevelGenCoords& coords)
{
    place_tiles(GROUP_B7, coords);
    place_tiles(GROUP_P5, coords);
}

void place_enemy(const ILevelGenCoords& coords)
{
    spawn_enemies(1, coords);
    place_tiles(GROUP_B7, coords);
}

void place_hero_start(const ILevelGenCoords& coords)
{
    place_hero_at_random(coords);
    place_tiles(GROUP_B2, coords);
}

void place_optional_wall(const ILevelGenCoords& coords)
{
    bool open = rng_next() < 0x80000000u;
    place_tiles(open ? GROUP_B7 : GROUP_W4, coords);
}

uint8_t* room_map()
{
    return runtime.roomMap;
}

void place_template(const LevelGenTemplate& t, int column, int row)
{
    if (column < 0)
        column = ROOM_COLUMNS - t.width;
    if (row < 0)
        row = ROOM_ROWS - t.height;
    ASSERT(column >= 0 && column + t.width <= ROOM_COLUMNS);
    ASSERT(row >= 0 && row + t.height <= ROOM_ROWS);
    if (t.pattern) {
        for (int ry = 0; ry < t.height; ++ry)
            for (int rx = 0; rx < t.width; ++rx)
                room_cell(column + rx, row + t.height - 1 - ry) = t.pattern[ry * t.width + rx];
    }
    t.place(t, column, row);
}

const LevelGenTemplate* choose_template(const LevelGenTemplate* const* list, int n)
{
    return choose_among(list, n);
}
