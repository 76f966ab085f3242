// levelTemplates.cpp - the room templates: 31 records and the lists the generation run uses.
//
// Each record is written as its room layout, one string per tile row from the
// top, each character one tile cell, and its steps in the order they run. A
// step works on every cell of the layout that carries its symbol, taken row by
// row from the top, each row left to right; the number beside a step is how
// many cells that is, checked when the layouts are compiled into coordinate
// lists.
#include "levelTemplates.h"

#include <string.h>

#include "../libs/inc/misc/zu_utils.h"

namespace {

enum StepKind : uint8_t {
    B73,           // 'B' background mix
    M47,           // 'M' machines or walls
    M7,            // 'm' machines
    X,             // 'X' the exit
    FLOOR,         // 'F' wall, then floor
    HOLLOW_FLOOR,  // 'H' wall, then hollow floor
    STAIR_RIGHT,   // 'R'
    STAIR_LEFT,    // 'L'
    PLATFORM,      // 'P'
    ENEMY,         // 'E' one robot on one of the cells
    HERO,          // 'h' the hero's start
    OPTIONAL_WALL, // '?' background or wall, one draw
};
const char STEP_SYMBOLS[] = "BMmXFHRLPEh?";

enum { MAX_STEPS = 10, MAX_ROWS = ROOM_TILES_Y * ROOM_ROWS, MAX_CELLS = ROOM_TILES_X * MAX_ROWS };

struct StepSource {
    StepKind kind;
    int count; // 0 ends the list
};

struct TemplateSource {
    int16_t width, height;
    uint8_t pattern[ROOM_ROWS]; // top row first
    const char* rows[MAX_ROWS]; // null after the last
    StepSource steps[MAX_STEPS];
};

} // namespace

// clang-format off
static const TemplateSource SOURCES[TEMPLATE_RECORDS] = {
    // 1
    {1, 1, {0x03},
        {"BBBBBBBB", "BBBEEBBB", "BBRFFLBB", "BRMMMMLB", "FMMMMMMF"},
        {{B73, 20}, {ENEMY, 2}, {STAIR_RIGHT, 2}, {FLOOR, 4}, {STAIR_LEFT, 2}, {M47, 10}}},
    // 2
    {1, 1, {0x03},
        {"BBBBBBBB", "BBBFFBBB", "BFB??BFB", "BBE??EBB", "FFFFFFFF"},
        {{B73, 22}, {FLOOR, 12}, {OPTIONAL_WALL, 4}, {ENEMY, 2}}},
    // 3
    {1, 1, {0x03},
        {"BBBmmmBB", "BBBB?BBB", "BBRB?BLB", "BRMEEEML", "FMMFFFMM"},
        {{B73, 18}, {M7, 3}, {OPTIONAL_WALL, 2}, {STAIR_RIGHT, 2}, {STAIR_LEFT, 2}, {M47, 6}, {ENEMY, 3}, {FLOOR, 4}}},
    // 4
    {1, 1, {0x03},
        {"BBBBmBBB", "BBFB?BFB", "BBBB?BBB", "BBEBmBEB", "FFFFFFFF"},
        {{B73, 24}, {M7, 2}, {FLOOR, 10}, {OPTIONAL_WALL, 2}, {ENEMY, 2}}},
    // 5
    {1, 1, {0x03},
        {"B??BBMMB", "BBEBBMMB", "BFFBBMMB", "BMMBBEBB", "FMMFFFFF"},
        {{B73, 18}, {OPTIONAL_WALL, 2}, {M47, 10}, {ENEMY, 2}, {FLOOR, 8}}},
    // 6
    {1, 1, {0x03},
        {"MBBBBBMB", "MBBBFBBB", "BBFBMBBB", "BEMEMEFE", "FFMFMFMF"},
        {{M47, 9}, {B73, 19}, {FLOOR, 8}, {ENEMY, 4}}},
    // 7
    {1, 1, {0x03},
        {"MMMMMMMM", "BBBMMBBB", "BFEEEEFB", "FMFFFFMF", "MMMMMMMM"},
        {{M47, 20}, {B73, 8}, {FLOOR, 8}, {ENEMY, 4}}},
    // 8
    {1, 1, {0x03},
        {"BMMMMMMB", "BBEEEEBB", "BFFFFFFB", "BBEEEEBB", "FFFFFFFF"},
        {{B73, 12}, {M47, 6}, {ENEMY, 8}, {FLOOR, 14}}},
    // 9
    {1, 1, {0x01},
        {"BMMBBBMM", "BMMBBBMM", "BBBBBmmm", "BBEBEmmm", "FFFFFFFF"},
        {{B73, 16}, {M47, 8}, {M7, 6}, {ENEMY, 2}, {FLOOR, 8}}},
    // 10
    {1, 1, {0x01},
        {"BBBBBmmm", "BBBBBBmm", "BBBBBBBm", "BEBEBBBB", "FFFFFFFF"},
        {{B73, 24}, {M7, 6}, {ENEMY, 2}, {FLOOR, 8}}},
    // 11
    {1, 1, {0x01},
        {"BBBBBBBB", "BBBBEBBB", "BBBmmmBB", "BBEmmmBB", "FFFFFFFF"},
        {{B73, 24}, {ENEMY, 2}, {M7, 6}, {FLOOR, 8}}},
    // 12
    {1, 1, {0x02},
        {"MMMBBBBB", "MmmmBBBB", "MmmmBBBB", "MMMBEBBB", "MMMFFFFF"},
        {{M47, 11}, {B73, 17}, {M7, 6}, {ENEMY, 1}, {FLOOR, 5}}},
    // 13
    {1, 1, {0x02},
        {"MmmmBBBB", "MmmBBBBB", "MmBBBBBB", "MBBBEBBB", "MFFFFFFF"},
        {{M47, 5}, {M7, 6}, {B73, 21}, {ENEMY, 1}, {FLOOR, 7}}},
    // 14
    {1, 1, {0x07},
        {"BBBBBBBB", "BBBBPBBB", "BBBBBBBB", "BBBmBmBB", "FHFMFMFH"},
        {{B73, 29}, {PLATFORM, 1}, {M7, 2}, {FLOOR, 4}, {HOLLOW_FLOOR, 2}, {M47, 2}}},
    // 15
    {1, 1, {0x05},
        {"BBBBBBBB", "BBBBPBEB", "BBBBBBmm", "BEBBEBmm", "FHFFFHMM"},
        {{B73, 24}, {PLATFORM, 1}, {ENEMY, 3}, {M7, 4}, {FLOOR, 4}, {HOLLOW_FLOOR, 2}, {M47, 2}}},
    // 16
    {1, 1, {0x05},
        {"B?BBBBBM", "B?PBBRHM", "BBBBRMMM", "BBBRmmMM", "FHFMmmMM"},
        {{B73, 16}, {OPTIONAL_WALL, 2}, {M47, 10}, {PLATFORM, 1}, {STAIR_RIGHT, 3}, {HOLLOW_FLOOR, 2}, {M7, 4}, {FLOOR, 2}}},
    // 17
    {1, 1, {0x06},
        {"MBBBBBBB", "MBEBPBBB", "MmmBBBBB", "MmmBEBEB", "MMMHFFFH"},
        {{M47, 7}, {B73, 20}, {ENEMY, 3}, {PLATFORM, 1}, {M7, 4}, {HOLLOW_FLOOR, 2}, {FLOOR, 3}}},
    // 18
    {1, 1, {0x06},
        {"MMBBBBB?", "MMHLBBP?", "MMMMLBBB", "MMMmmLBB", "MMMmmFFH"},
        {{M47, 14}, {B73, 12}, {OPTIONAL_WALL, 2}, {HOLLOW_FLOOR, 2}, {STAIR_LEFT, 3}, {PLATFORM, 1}, {M7, 4}, {FLOOR, 2}}},
    // 19
    {1, 1, {0x04},
        {"MBBBBBBB", "MBEBPBEB", "MmmBBBmm", "MmmBBBmm", "MMMFHFMM"},
        {{M47, 9}, {B73, 17}, {ENEMY, 2}, {PLATFORM, 1}, {M7, 8}, {FLOOR, 2}, {HOLLOW_FLOOR, 1}}},
    // 20
    {1, 1, {0x08},
        {"MBBBBBBB", "MBBBBBBB", "MBBBBBBB", "MBBBBBBB", "MHBBBBBH"},
        {{M47, 5}, {B73, 33}, {HOLLOW_FLOOR, 2}}},
    // 21
    {1, 1, {0x0B},
        {"BBBBBBBB", "BBBBBBBB", "BBBBBBBB", "BBBBBBBB", "FHBBBBBH"},
        {{B73, 37}, {FLOOR, 1}, {HOLLOW_FLOOR, 2}}},
    // 22
    {1, 1, {0x09},
        {"BBBBBBBB", "BBBBBBBB", "BBBBBBBB", "BBBBBBBB", "FHBBBBBH"},
        {{B73, 37}, {FLOOR, 1}, {HOLLOW_FLOOR, 2}}},
    // 23
    {1, 1, {0x0A},
        {"MBBBBBBB", "MBBBBBBB", "MBBBBBBB", "MBBBBBBB", "MHBBBBBH"},
        {{M47, 5}, {B73, 33}, {HOLLOW_FLOOR, 2}}},
    // 24
    {1, 1, {0x0C},
        {"MBBBPBBB", "MBBBBBBB", "MBBPPPBB", "MBBBBBBB", "MHBBBBBH"},
        {{M47, 5}, {B73, 29}, {PLATFORM, 4}, {HOLLOW_FLOOR, 2}}},
    // 25
    {1, 1, {0x0E},
        {"MBBBPBBB", "MBBBBBBB", "MBBPPPBB", "MBBBBBBB", "MHBBBBBH"},
        {{M47, 5}, {B73, 29}, {PLATFORM, 4}, {HOLLOW_FLOOR, 2}}},
    // 26
    {1, 1, {0x0D},
        {"BBBBPBBB", "BBBBBBBB", "BBBPPPBB", "BBBBBBBB", "FHBBBBBH"},
        {{B73, 33}, {PLATFORM, 4}, {FLOOR, 1}, {HOLLOW_FLOOR, 2}}},
    // 27
    {1, 1, {0x0F},
        {"BBBBPBBB", "BBBBBBBB", "BBBPPPBB", "BBBBBBBB", "FHBBBBBH"},
        {{B73, 33}, {PLATFORM, 4}, {FLOOR, 1}, {HOLLOW_FLOOR, 2}}},
    // 28
    {1, 1, {0x02},
        {"MBBBBBMB", "MBBBBBMB", "MBBBBBMB", "MBBhBBBB", "MFFFFFFF"},
        {{M47, 8}, {B73, 24}, {HERO, 1}, {FLOOR, 7}}},
    // 29
    {1, 1, {0x01},
        {"BBBBBBBB", "BBBBBBBB", "BBBBBBBB", "BBBRXLBB", "FFFMMMFF"},
        {{B73, 29}, {STAIR_RIGHT, 1}, {X, 1}, {STAIR_LEFT, 1}, {FLOOR, 5}, {M47, 3}}},
    // 30
    {1, 2, {0x00, 0x01},
        {"MBBBBBBB", "MBBBBBBB", "MBBBBBBB", "MBBBBBBB", "MBBBBBBB",
         "MBBBBBBB", "MBBBBBBB", "BBBBBBBB", "BBBRXLBB", "FFFMMMFF"},
        {{M47, 10}, {B73, 62}, {STAIR_RIGHT, 1}, {X, 1}, {STAIR_LEFT, 1}, {FLOOR, 5}}},
    // 31
    {1, 3, {0x00, 0x00, 0x00},
        {"M.......", "M.......", "M.......", "M.......", "M.......",
         "M.......", "M.......", "M.......", "M.......", "M.......",
         "M.......", "M.......", "M.......", "M.......", "M......."},
        {{M47, 15}}},
};
// clang-format on

namespace {

struct CompiledStep {
    StepKind kind;
    int first; // index of its first cell in the record's pairs
    int count;
};

// The records and their coordinate lists, built once from SOURCES.
struct CompiledTemplates {
    LevelGenTemplate records[TEMPLATE_RECORDS];
    uint8_t pairs[TEMPLATE_RECORDS][2 * MAX_CELLS];
    CompiledStep steps[TEMPLATE_RECORDS][MAX_STEPS];
    int numSteps[TEMPLATE_RECORDS];
    int numRows[TEMPLATE_RECORDS];
    const LevelGenTemplate* lists[TEMPLATE_RECORDS]; // records 1..31 in order; the lists are slices
};

} // namespace

static const CompiledTemplates& compiled();

static void run_step(StepKind kind, const ILevelGenCoords& cells)
{
    switch (kind) {
    case B73:
        return place_tiles(GROUP_B73, cells);
    case M47:
        return place_tiles(GROUP_M47, cells);
    case M7:
        return place_tiles(GROUP_M7, cells);
    case X:
        return place_tiles(GROUP_X, cells);
    case FLOOR:
        return place_floor(cells);
    case HOLLOW_FLOOR:
        return place_hollow_floor(cells);
    case STAIR_RIGHT:
        return place_stair_right(cells);
    case STAIR_LEFT:
        return place_stair_left(cells);
    case PLATFORM:
        return place_platform(cells);
    case ENEMY:
        return place_enemy(cells);
    case HERO:
        return place_hero_start(cells);
    case OPTIONAL_WALL:
        return place_optional_wall(cells);
    }
}

// The placing operation of every record: its steps in order, with the lists
// placed at the room's lower-left tile cell.
static void place_layout(const LevelGenTemplate& t, int column, int row)
{
    const CompiledTemplates& c = compiled();
    int r = t.record - 1;
    for (int s = 0; s < c.numSteps[r]; ++s) {
        const CompiledStep& step = c.steps[r][s];
        LevelGenCoordList cells(
            c.pairs[r] + 2 * step.first, step.count, column * ROOM_TILES_X, row * ROOM_TILES_Y);
        run_step(step.kind, cells);
    }
}

// Collects one step's cells, row by row from the top; returns how many.
static int collect_cells(const TemplateSource& src, int numRows, char symbol, uint8_t* pairs)
{
    int n = 0;
    for (int row = 0; row < numRows; ++row)
        for (int x = 0; src.rows[row][x]; ++x)
            if (src.rows[row][x] == symbol) {
                pairs[2 * n] = static_cast<uint8_t>(x);
                pairs[2 * n + 1] = static_cast<uint8_t>(numRows - 1 - row);
                ++n;
            }
    return n;
}

static void compile_record(CompiledTemplates& c, int r)
{
    const TemplateSource& src = SOURCES[r];
    int numRows = 0;
    while (numRows < MAX_ROWS && src.rows[numRows]) {
        ASSERT(strlen(src.rows[numRows]) == size_t(ROOM_TILES_X * src.width));
        ++numRows;
    }
    ASSERT(numRows == ROOM_TILES_Y * src.height);
    c.numRows[r] = numRows;
    int used = 0;
    int s = 0;
    for (; s < MAX_STEPS && src.steps[s].count > 0; ++s) {
        const StepSource& step = src.steps[s];
        int n = collect_cells(src, numRows, STEP_SYMBOLS[step.kind], c.pairs[r] + 2 * used);
        ASSERT(n == step.count);
        c.steps[r][s] = {step.kind, used, n};
        used += n;
    }
    c.numSteps[r] = s;
    c.records[r] = {place_layout, src.width, src.height, src.pattern, r + 1};
    c.lists[r] = &c.records[r];
}

static CompiledTemplates compile_templates()
{
    CompiledTemplates c = {};
    for (int r = 0; r < TEMPLATE_RECORDS; ++r)
        compile_record(c, r);
    return c;
}

static const CompiledTemplates& compiled()
{
    static const CompiledTemplates c = compile_templates();
    return c;
}

static int record_index(int record)
{
    ASSERT(record >= 1 && record <= TEMPLATE_RECORDS);
    return record - 1;
}

const LevelGenTemplate& level_template(int record)
{
    return compiled().records[record_index(record)];
}

TemplateList filler_templates()
{
    return {compiled().lists, 27};
}

TemplateList start_templates()
{
    return {compiled().lists + 27, 1};
}

TemplateList exit_templates()
{
    return {compiled().lists + 28, 2};
}

TemplateList end_templates()
{
    return {compiled().lists + 30, 1};
}

int template_layout_rows(int record)
{
    return compiled().numRows[record_index(record)];
}

const char* template_layout_row(int record, int row)
{
    int r = record_index(record);
    ASSERT(row >= 0 && row < compiled().numRows[r]);
    return SOURCES[r].rows[row];
}

int template_step_count(int record)
{
    return compiled().numSteps[record_index(record)];
}

TemplateStepView template_step(int record, int step)
{
    const CompiledTemplates& c = compiled();
    int r = record_index(record);
    ASSERT(step >= 0 && step < c.numSteps[r]);
    const CompiledStep& s = c.steps[r][step];
    return {STEP_SYMBOLS[s.kind], LevelGenCoordList(c.pairs[r] + 2 * s.first, s.count, 0, 0)};
}
