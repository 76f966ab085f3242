// levelGen.cpp - making a level: the generation run over the room map.
//
// A level is 32 x 3 room cells. The end column, the ceiling, the start room
// and the exit room are placed first; a path of openings is then laid from
// left to right with stairs between rows, side branches grow into the
// untouched cells, and every free cell is filled with a template whose
// openings match. All draws come from rng_state in a fixed order.
#include "levelGen.h"

#include <string.h>

#include <algorithm>

#include "../core/floatRules.h"
#include "../core/log.h"
#include "../core/random.h"
#include "../libs/inc/cont/zu_dynArray.h"
#include "../voxel/levelGrid.h"
#include "levelGenRuntime.h"
#include "levelTemplates.h"

// The ceiling: wall tiles over the top tile row of the level.
enum { CEILING_ROW = 15, CEILING_END = 249 };
// Room map candidates are packed as column | row << 16.
enum { MAX_ROOM_CELLS = ROOM_COLUMNS * ROOM_ROWS };

static void build_level(const LevelGenTemplate&, int, int);

// The root record: its placing operation is the whole run.
static const LevelGenTemplate ROOT_TEMPLATE = {build_level, 1, 1, nullptr, 0};

static uint64_t data_hash; // of the level data; set by load_level_data

// Hashed after the tile groups are set up, which adjust some tiles once per load.
static uint64_t hash_level_data()
{
    uint64_t h = hash_bytes(palette_colors(), LEVEL_PALETTE_SIZE * sizeof(uint32_t));
    for (int i = 0; i < level_tile_count(); ++i) {
        const LevelTile& t = *level_tile(i);
        const int16_t shape[] = {static_cast<int16_t>(t.nx), static_cast<int16_t>(t.ny),
            static_cast<int16_t>(t.nz), t.dx, t.dy, t.dz};
        h = hash_value(h, shape);
        h = hash_bytes(t.name, strlen(t.name) + 1, h);
        h = hash_block(t.voxels, static_cast<size_t>(t.nx) * t.ny * t.nz, h);
    }
    return hash_value(h, level_tile_count());
}

void load_level_data()
{
    load_level_palette("level.pal", palette_colors(), LEVEL_PALETTE_SIZE);
    load_level_tiles("tiles.bin");
    load_tile_groups();
    data_hash = hash_level_data();
}

uint64_t level_data_hash()
{
    return data_hash;
}

void free_level_data()
{
    free_level_tiles();
}

static uint64_t seed_of_level; // the generator's state when the last level began

void generate_level()
{
    pin_float_environment();
    seed_of_level = rng_state();
    memset(room_map(), ROOM_FREE, MAX_ROOM_CELLS);
    clear_level_spawns();
    clear_placed_tiles();
    place_template(ROOT_TEMPLATE, 0, 0);
    write_placed_tiles();
}

uint64_t level_seed()
{
    return seed_of_level;
}

static const LevelGenTemplate& choose_from(TemplateList list)
{
    return *choose_template(list.templates, list.count);
}

static void build_level(const LevelGenTemplate&, int, int)
{
    place_template(choose_from(end_templates()), ROOM_COLUMNS - 1, 0);
    place_tiles(GROUP_W4, LevelGenCoordRect(0, CEILING_ROW, CEILING_END, CEILING_ROW + 1));
    place_template(choose_from(start_templates()), 0, 0);
    // The exit room stands left of the end column, whatever its width.
    const LevelGenTemplate& exit = choose_from(exit_templates());
    place_template(exit, ROOM_COLUMNS - 1 - exit.width, 0);
    make_path();
    TemplateList fillers = filler_templates();
    fill_rooms(fillers.templates, fillers.count);
}

static bool is_free(int column, int row)
{
    return (room_cell(column, row) & ROOM_FREE) != 0;
}

static bool is_untouched(int column, int row)
{
    return room_cell(column, row) == ROOM_FREE;
}

static uint32_t pack_cell(int column, int row)
{
    return static_cast<uint32_t>(column) | static_cast<uint32_t>(row) << 16;
}

struct Step {
    int dc, dr;
    uint8_t bit, opposite;
};

// The four directions between neighbouring cells, in the order a branch walk
// offers them.
static const Step BRANCH_STEPS[] = {
    {-1, 0, ROOM_LEFT, ROOM_RIGHT},
    {1, 0, ROOM_RIGHT, ROOM_LEFT},
    {0, -1, ROOM_DOWN, ROOM_UP},
    {0, 1, ROOM_UP, ROOM_DOWN},
};

static bool inside_map(int column, int row)
{
    return column >= 0 && column < ROOM_COLUMNS && row >= 0 && row < ROOM_ROWS;
}

// Free cells take over the openings that their neighbours require of them.
static void propagate_openings()
{
    for (int r = 0; r < ROOM_ROWS; ++r)
        for (int c = 0; c < ROOM_COLUMNS; ++c) {
            if (!is_free(c, r))
                continue;
            for (const Step& s : BRANCH_STEPS)
                if (inside_map(c + s.dc, r + s.dr) && (room_cell(c + s.dc, r + s.dr) & s.opposite))
                    room_cell(c, r) |= s.bit;
        }
}

// One column of the walk: carries the path on to the right when it only
// comes in from the left, then joins the column's open rows with stairs.
static void walk_column(int c)
{
    int left = 0, right = 0, low = ROOM_ROWS, high = -1;
    for (int m = 0; m < ROOM_ROWS; ++m) {
        if (!is_free(c, m))
            continue;
        uint8_t cell = room_cell(c, m);
        left += (cell & ROOM_LEFT) != 0;
        right += (cell & ROOM_RIGHT) != 0;
        if (cell & (ROOM_LEFT | ROOM_RIGHT)) {
            low = std::min(low, m);
            high = std::max(high, m);
        }
    }
    if (left == 0 && right == 0)
        return;
    if (left > 0 && right == 0) {
        int rows[ROOM_ROWS];
        int n = 0;
        for (int m = 0; m < ROOM_ROWS; ++m)
            if (is_free(c, m) && is_free(c + 1, m))
                rows[n++] = m;
        if (n == 0)
            return;
        int h = rows[rng_choice(static_cast<uint32_t>(n))];
        room_cell(c, h) |= ROOM_RIGHT;
        room_cell(c + 1, h) |= ROOM_LEFT;
        low = std::min(low, h);
        high = std::max(high, h);
    }
    if (high > low) {
        room_cell(c, low) |= ROOM_UP;
        for (int m = low + 1; m < high; ++m)
            room_cell(c, m) |= ROOM_UP | ROOM_DOWN;
        room_cell(c, high) |= ROOM_DOWN;
    }
}

void make_path()
{
    propagate_openings();
    for (int c = 1; c < ROOM_COLUMNS - 1; ++c)
        walk_column(c);
    while (grow_branch()) { }
    log_message("final path:");
    log_room_map();
}

// The directions from (c, r) to untouched neighbours; returns how many.
static int untouched_steps(int c, int r, const Step** out)
{
    int n = 0;
    for (const Step& s : BRANCH_STEPS)
        if (inside_map(c + s.dc, r + s.dr) && is_untouched(c + s.dc, r + s.dr))
            out[n++] = &s;
    return n;
}

bool grow_branch()
{
    DynArray<uint32_t> starts;
    const Step* steps[4];
    for (int r = 0; r < ROOM_ROWS; ++r)
        for (int c = 0; c < ROOM_COLUMNS; ++c)
            if (is_free(c, r) && !is_untouched(c, r) && untouched_steps(c, r, steps) > 0)
                starts.push(pack_cell(c, r));
    if (starts.empty())
        return false;
    uint32_t start = starts[static_cast<int>(rng_choice(static_cast<uint32_t>(starts.size())))];
    int c = start & 0xFFFF, r = start >> 16;
    for (;;) {
        int n = untouched_steps(c, r, steps);
        if (n == 0)
            return true;
        const Step& s = *steps[rng_choice(static_cast<uint32_t>(n))];
        room_cell(c, r) |= s.bit;
        c += s.dc;
        r += s.dr;
        room_cell(c, r) |= s.opposite;
    }
}

// Whether the template may stand with its lower-left cell at (c, r): every
// cell it covers is free and requires exactly the template's openings.
static bool template_fits(const LevelGenTemplate& t, int c, int r)
{
    if (!t.pattern || c + t.width > ROOM_COLUMNS || r + t.height > ROOM_ROWS)
        return false;
    for (int ry = 0; ry < t.height; ++ry)
        for (int rx = 0; rx < t.width; ++rx) {
            int row = r + t.height - 1 - ry;
            if (!is_free(c + rx, row))
                return false;
            if ((room_cell(c + rx, row) & ~ROOM_FREE) != t.pattern[ry * t.width + rx])
                return false;
        }
    return true;
}

static bool covers(const LevelGenTemplate& t, int c, int r, uint32_t cell)
{
    int column = cell & 0xFFFF, row = cell >> 16;
    return column >= c && column < c + t.width && row >= r && row < r + t.height;
}

void fill_rooms(const LevelGenTemplate* const* list, int n)
{
    DynArray<uint32_t> cells;
    cells.reserve(MAX_ROOM_CELLS);
    for (int r = 0; r < ROOM_ROWS; ++r)
        for (int c = 0; c < ROOM_COLUMNS; ++c)
            if (is_free(c, r))
                cells.push(pack_cell(c, r));
    DynArray<const LevelGenTemplate*> applicable;
    while (!cells.empty()) {
        uint32_t cell = cells[static_cast<int>(rng_choice(static_cast<uint32_t>(cells.size())))];
        int c = cell & 0xFFFF, r = cell >> 16;
        applicable.clear();
        for (int i = 0; i < n; ++i)
            if (template_fits(*list[i], c, r))
                applicable.push(list[i]);
        if (applicable.empty())
            fatal_error("no applicable level generator templates!");
        const LevelGenTemplate& t = *choose_template(applicable.data(), applicable.size());
        place_template(t, c, r);
        for (int i = cells.size() - 1; i >= 0; --i)
            if (covers(t, c, r, cells[i]))
                cells.remove_fast(i);
    }
}

// One of the three text lines of a room row; `vertical` is the bit shown by
// the top (ROOM_UP) or bottom (ROOM_DOWN) line, 0 for the middle line.
static void log_map_line(int r, uint8_t vertical)
{
    for (int c = 0; c < ROOM_COLUMNS; ++c) {
        uint8_t cell = room_cell(c, r);
        char side = (cell & ROOM_FREE) ? '-' : '+';
        if (vertical) {
            char mid = (cell & vertical) ? '#' : side;
            log_text("%c%c%c", side, mid, side);
            continue;
        }
        char left = (cell & ROOM_LEFT) ? '#' : side;
        char mid = cell == ROOM_FREE ? ' ' : '#';
        char right = (cell & ROOM_RIGHT) ? '#' : side;
        log_text("%c%c%c", left, mid, right);
    }
    log_message("%s", "");
}

void log_room_map()
{
    for (int r = ROOM_ROWS - 1; r >= 0; --r) {
        log_map_line(r, ROOM_UP);
        log_map_line(r, 0);
        log_map_line(r, ROOM_DOWN);
    }
}
