// The generator runtime: coordinate sets, stamping, tile groups, robot and
// hero placement, templates and their layouts.
#include "gen/levelGenRuntime.h"

#include <gtest/gtest.h>
#include <string.h>

#include <set>
#include <utility>

#include "core/random.h"
#include "deathTest.h"
#include "gen/levelTemplates.h"
#include "levelTestData.h"
#include "tempFile.h"
#include "voxel/levelGrid.h"

namespace {

uint8_t voxel(int x, int y, int z)
{
    return level_grid()[level_voxel_index(x, y, z)];
}

int non_empty_voxels()
{
    int n = 0;
    const uint8_t* g = level_grid();
    for (int i = 0; i < LEVEL_GRID_BYTES; ++i)
        n += g[i] != 0;
    return n;
}

// A tile of the given size whose voxels are all `value`, at depth dz.
struct SolidTile {
    SolidTile(int nx, int ny, int nz, uint8_t value, int dz = 0)
        : voxels(size_t(nx) * ny * nz, value)
    {
        tile = {uint16_t(nx), uint16_t(ny), uint16_t(nz), 0, 0, int16_t(dz), voxels.data(), "solid"};
    }
    std::vector<uint8_t> voxels;
    LevelTile tile;
};

class Runtime : public ::testing::Test {
protected:
    void SetUp() override
    {
        memset(level_grid(), 0, LEVEL_GRID_BYTES);
        clear_level_spawns();
    }
};

} // namespace

TEST(Coords, RectanglesRunRowByRowFromTheirFirstCorner)
{
    LevelGenCoordRect ceiling(0, 15, 249, 16);
    EXPECT_EQ(ceiling.count(), 249);
    EXPECT_EQ(ceiling.get(0).x, 0);
    EXPECT_EQ(ceiling.get(0).y, 15);
    EXPECT_EQ(ceiling.get(248).x, 248);
    EXPECT_EQ(ceiling.get(248).y, 15);

    LevelGenCoordRect block(2, 3, 5, 5);
    EXPECT_EQ(block.count(), 6);
    EXPECT_EQ(block.get(3).x, 2);
    EXPECT_EQ(block.get(3).y, 4);

    EXPECT_EQ(LevelGenCoordRect(5, 0, 4, 3).count(), 0);
    EXPECT_EQ(LevelGenCoordRect(0, 5, 3, 4).count(), 0);
    EXPECT_EQ(LevelGenCoordRect(0, 5, -3, 4).count(), 0);
}

TEST(Coords, ListsAreShiftedByTheirOriginAndIndexesAreChecked)
{
    const uint8_t pairs[] = {0, 4, 7, 0, 255, 1};
    LevelGenCoordList list(pairs, 3, 16, 5);
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.get(1).x, 23);
    EXPECT_EQ(list.get(1).y, 5);
    EXPECT_EQ(list.get(2).x, 271); // bytes are unsigned
    EXPECT_FATAL(list.get(3), "failed ASSERT\\(i>=0 && i<num\\)");
    EXPECT_FATAL(list.get(-1), "failed ASSERT\\(i>=0 && i<num\\)");
    EXPECT_FATAL(LevelGenCoordRect(0, 0, 2, 2).get(4), "failed ASSERT\\(i>=0 && i<num\\)");
}

TEST_F(Runtime, EachTileVoxelBecomesADoubledBlockAtTheTilesOffsets)
{
    uint8_t v[2 * 1 * 2] = {5, 0, 0, 9}; // (0,0,0) = 5, (1,0,1) = 9
    LevelTile t = {2, 1, 2, 3, -1, 4, v, "t"};
    stamp_tile(&t, 100, 50);
    for (int z = 4; z <= 5; ++z)
        for (int y = 49; y <= 50; ++y)
            for (int x = 103; x <= 104; ++x)
                EXPECT_EQ(voxel(x, y, z), 5);
    for (int z = 6; z <= 7; ++z)
        for (int y = 49; y <= 50; ++y)
            for (int x = 105; x <= 106; ++x)
                EXPECT_EQ(voxel(x, y, z), 9);
    EXPECT_EQ(non_empty_voxels(), 16);
    stamp_tile(nullptr, 0, 0);
    EXPECT_EQ(non_empty_voxels(), 16);
}

TEST_F(Runtime, ZeroLeavesTheLevelAndTheCuttingValuesEraseTheirBlock)
{
    SolidTile wall(4, 1, 1, 33);
    stamp_tile(&wall.tile, 0, 0);
    uint8_t v[4] = {0, 0x40, 0x80, 0xC0};
    LevelTile cutter = {4, 1, 1, 0, 0, 0, v, "cut"};
    stamp_tile(&cutter, 0, 0);
    EXPECT_EQ(voxel(0, 0, 0), 33);
    EXPECT_EQ(voxel(1, 1, 1), 33);
    for (int x = 2; x < 8; ++x)
        for (int yz = 0; yz < 2; ++yz)
            EXPECT_EQ(voxel(x, yz, yz), 0) << x;
    EXPECT_EQ(non_empty_voxels(), 8);

    // Values whose low six bits are not all zero are colours, even above 0x40.
    uint8_t colours[3] = {0x41, 0x81, 0xC1};
    LevelTile painter = {3, 1, 1, 0, 0, 0, colours, "paint"};
    stamp_tile(&painter, 0, 0);
    EXPECT_EQ(voxel(2, 0, 0), 0x81);
    EXPECT_EQ(voxel(5, 1, 1), 0xC1);
}

// Placed tiles are written together, a band of rows at a time: each voxel
// must still receive its tiles in the order they were placed, across band
// edges, and the write clears what the grid held before.
TEST_F(Runtime, PlacedTilesAreWrittenInPlacingOrderOverAClearedGrid)
{
    memset(level_grid() + level_voxel_index(0, 200, 3), 77, 100); // stale
    SolidTile tall(2, 20, 2, 11);                                 // rows 0..39 at cell (1, 0)
    uint8_t cut[2 * 2 * 2] = {0xC0, 0xC0, 0xC0, 0xC0, 0xC0, 0xC0, 0xC0, 0xC0};
    LevelTile cutter = {2, 2, 2, 0, 14, 0, cut, "cut"}; // rows 14..17, over a band edge
    SolidTile over(1, 1, 1, 22);                        // rows 0..1, written last
    const LevelTile* group[] = {&tall.tile, &cutter, &over.tile};
    place_tiles(group, 1, LevelGenCoordRect(1, 0, 2, 1));
    place_tiles(group + 1, 1, LevelGenCoordRect(1, 0, 2, 1));
    place_tiles(group + 2, 1, LevelGenCoordRect(1, 0, 2, 1));
    write_placed_tiles();
    EXPECT_EQ(voxel(16, 0, 0), 22);
    EXPECT_EQ(voxel(17, 1, 1), 22);
    EXPECT_EQ(voxel(18, 0, 0), 11);
    for (int y = 14; y < 18; ++y)
        EXPECT_EQ(voxel(16, y, 0), 0) << y;
    EXPECT_EQ(voxel(16, 13, 0), 11);
    EXPECT_EQ(voxel(19, 39, 3), 11);
    EXPECT_EQ(non_empty_voxels(), 4 * 40 * 4 - 4 * 4 * 4);

    write_placed_tiles(); // nothing placed since: an empty grid
    EXPECT_EQ(non_empty_voxels(), 0);
}

TEST_F(Runtime, StampingClipsAtTheHighFacesWithoutWrapping)
{
    SolidTile t(2, 2, 2, 7);
    stamp_tile(&t.tile, 4095, 0);
    EXPECT_EQ(voxel(4095, 0, 0), 7);
    EXPECT_EQ(voxel(0, 1, 0), 0); // x = 4096 would wrap into the next row
    EXPECT_EQ(non_empty_voxels(), 1 * 4 * 4);

    memset(level_grid(), 0, LEVEL_GRID_BYTES);
    stamp_tile(&t.tile, 0, 255);
    EXPECT_EQ(voxel(3, 255, 3), 7);
    EXPECT_EQ(non_empty_voxels(), 4 * 1 * 4);

    memset(level_grid(), 0, LEVEL_GRID_BYTES);
    SolidTile deep(2, 2, 2, 7, 19);
    stamp_tile(&deep.tile, 0, 0);
    EXPECT_EQ(voxel(3, 3, 19), 7);
    EXPECT_EQ(non_empty_voxels(), 4 * 4 * 1);
}

TEST_F(Runtime, StampingDropsTheBlocksBelowTheLowFacesAndKeepsTheOthersInPlace)
{
    uint8_t v[3] = {1, 2, 3};
    LevelTile row = {3, 1, 1, 0, 0, 0, v, "row"};
    stamp_tile(&row, -2, 0); // block 0 at x -2..-1 is dropped
    EXPECT_EQ(voxel(0, 0, 0), 2);
    EXPECT_EQ(voxel(1, 0, 0), 2);
    EXPECT_EQ(voxel(2, 0, 0), 3);
    EXPECT_EQ(voxel(4095, 255, 19), 0);
    EXPECT_EQ(non_empty_voxels(), 4 * 4);

    memset(level_grid(), 0, LEVEL_GRID_BYTES);
    stamp_tile(&row, -3, 0); // block 1 half outside: only x = 0
    EXPECT_EQ(voxel(0, 0, 0), 2);
    EXPECT_EQ(voxel(1, 0, 0), 3);
    EXPECT_EQ(non_empty_voxels(), 3 * 4);

    memset(level_grid(), 0, LEVEL_GRID_BYTES);
    LevelTile column = {1, 3, 1, 0, -3, 0, v, "column"};
    stamp_tile(&column, 0, 0); // rows -3..2: only y 0, 1 (value 2) and 1.. (value 3)
    EXPECT_EQ(voxel(0, 0, 0), 2);
    EXPECT_EQ(voxel(0, 1, 0), 3);
    EXPECT_EQ(voxel(0, 2, 0), 3);
    EXPECT_EQ(non_empty_voxels(), 3 * 4);

    memset(level_grid(), 0, LEVEL_GRID_BYTES);
    LevelTile layers = {1, 1, 3, 0, 0, -2, v, "layers"};
    stamp_tile(&layers, 0, 0);
    EXPECT_EQ(voxel(0, 0, 0), 2);
    EXPECT_EQ(voxel(1, 1, 2), 3);
    EXPECT_EQ(non_empty_voxels(), 4 * 4);
}

TEST(TileChoice, DrawsOnlyWhenThereIsAChoice)
{
    LevelTile a = {}, b = {}, c = {};
    const LevelTile* group[] = {&a, &b, &c};
    rng_seed(1234);
    EXPECT_EQ(choose_tile(nullptr, 3), nullptr);
    EXPECT_EQ(choose_tile(group, 0), nullptr);
    EXPECT_EQ(choose_tile(group, 1), &a);
    EXPECT_EQ(rng_state(), 1234u);

    rng_seed(1234);
    uint32_t r = rng_next();
    rng_seed(1234);
    EXPECT_EQ(choose_tile(group, 3), group[r % 3]);
    rng_seed(1234);
    EXPECT_EQ(choose_template(nullptr, 2), nullptr);
    EXPECT_EQ(rng_state(), 1234u);
}

TEST_F(Runtime, PlaceTilesStampsOneChoiceAtEachCellInOrder)
{
    SolidTile first(8, 8, 1, 11), second(8, 8, 1, 22);
    const LevelTile* group[] = {&first.tile, &second.tile};
    LevelGenCoordRect cells(1, 0, 4, 1);
    rng_seed(99);
    uint32_t draws[3];
    for (uint32_t& d : draws)
        d = rng_next() % 2;
    rng_seed(99);
    place_tiles(group, 2, cells);
    write_placed_tiles();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(voxel(16 * (1 + i) + 5, 7, 1), draws[i] ? 22 : 11);
    EXPECT_EQ(voxel(5, 7, 1), 0);
}

TEST_F(Runtime, ARobotOnASetOfOneStillDrawsAndStandsOnItsCell)
{
    const uint8_t cell[] = {3, 1};
    LevelGenCoordList one(cell, 1, 8, 5);
    spawn_enemies(1, one);
    const DynArray<LevelSpawn>& robots = level_spawns().robots;
    ASSERT_EQ(robots.size(), 1);
    EXPECT_EQ(robots[0].x, 16 * 11 + 8);
    EXPECT_EQ(robots[0].y, 16 * 6);
}

TEST_F(Runtime, SpawningDrawsAgainUntilTheCellsAreDistinct)
{
    rng_seed(5);
    uint64_t before = rng_state();
    rng_seed(before);
    rng_next();
    uint64_t afterOne = rng_state();
    rng_seed(5);
    const uint8_t cell[] = {3, 1};
    spawn_enemies(1, LevelGenCoordList(cell, 1, 0, 0));
    EXPECT_EQ(rng_state(), afterOne);

    const DynArray<LevelSpawn>& robots = level_spawns().robots;
    clear_level_spawns();
    const uint8_t cells[] = {0, 0, 1, 0};
    spawn_enemies(5, LevelGenCoordList(cells, 2, 0, 0));
    ASSERT_EQ(robots.size(), 2);
    EXPECT_NE(robots[0].x, robots[1].x);

    clear_level_spawns();
    spawn_enemies(3, LevelGenCoordList(cells, 0, 0, 0));
    EXPECT_EQ(robots.size(), 0);
}

TEST(HeroPlacement, OneCellDrawsNothingAndTheLastStartChosenWins)
{
    clear_level_spawns();
    EXPECT_FALSE(level_spawns().heroPlaced);
    const uint8_t cell[] = {3, 1};
    rng_seed(77);
    place_hero_at_random(LevelGenCoordList(cell, 1, 0, 0));
    EXPECT_EQ(rng_state(), 77u);
    EXPECT_TRUE(level_spawns().heroPlaced);
    EXPECT_EQ(level_spawns().hero.x, 56);
    EXPECT_EQ(level_spawns().hero.y, 16);

    const uint8_t cells[] = {0, 0, 1, 0, 2, 0};
    rng_seed(77);
    uint32_t k = rng_next() % 3;
    rng_seed(77);
    place_hero_at_random(LevelGenCoordList(cells, 3, 0, 0));
    EXPECT_EQ(level_spawns().hero.x, 16 * k + 8);
}

TEST(PlaceTemplate, WritesThePatternTopRowFirstAndResolvesNegativePlaces)
{
    static int calls, column, row;
    static const uint8_t pattern[] = {0x04, 0x09};
    LevelGenTemplate tall = {[](const LevelGenTemplate&, int c, int r) {
                                 ++calls;
                                 column = c;
                                 row = r;
                             },
        1, 2, pattern, 99};
    memset(room_map(), ROOM_FREE, ROOM_COLUMNS * ROOM_ROWS);
    place_template(tall, -1, -1);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(column, 31);
    EXPECT_EQ(row, 1);
    EXPECT_EQ(room_cell(31, 2), 0x04);
    EXPECT_EQ(room_cell(31, 1), 0x09);
    EXPECT_EQ(room_cell(31, 0), ROOM_FREE);

    LevelGenTemplate root = {tall.place, 1, 1, nullptr, 0};
    place_template(root, 4, 0);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(room_cell(4, 0), ROOM_FREE);
}

TEST(Templates, EveryStepWorksOnItsLayoutCellsRowByRowFromTheTop)
{
    for (int record = 1; record <= TEMPLATE_RECORDS; ++record) {
        SCOPED_TRACE(record);
        const LevelGenTemplate& t = level_template(record);
        int rows = template_layout_rows(record);
        ASSERT_EQ(rows, ROOM_TILES_Y * t.height);
        std::set<std::pair<int, int>> covered;
        for (int s = 0; s < template_step_count(record); ++s) {
            TemplateStepView step = template_step(record, s);
            int n = 0;
            for (int row = 0; row < rows; ++row) {
                const char* line = template_layout_row(record, row);
                ASSERT_EQ(strlen(line), size_t(ROOM_TILES_X * t.width));
                for (int x = 0; line[x]; ++x) {
                    if (line[x] != step.symbol)
                        continue;
                    ASSERT_LT(n, step.cells.count());
                    EXPECT_EQ(step.cells.get(n).x, x);
                    EXPECT_EQ(step.cells.get(n).y, rows - 1 - row);
                    EXPECT_TRUE(covered.insert({x, row}).second) << "cell in two steps";
                    ++n;
                }
            }
            EXPECT_EQ(n, step.cells.count()) << step.symbol;
        }
        int used = 0;
        for (int row = 0; row < rows; ++row)
            for (const char* p = template_layout_row(record, row); *p; ++p)
                used += *p != '.';
        EXPECT_EQ(used, static_cast<int>(covered.size())) << "a layout cell that no step uses";
    }
}

TEST(Templates, ListsAndPatterns)
{
    TemplateList fillers = filler_templates();
    ASSERT_EQ(fillers.count, 27);
    for (int i = 0; i < 27; ++i)
        EXPECT_EQ(fillers.templates[i]->record, i + 1);
    EXPECT_EQ(start_templates().templates[0]->record, 28);
    ASSERT_EQ(exit_templates().count, 2);
    EXPECT_EQ(exit_templates().templates[1]->record, 30);
    EXPECT_EQ(end_templates().templates[0]->height, 3);

    // Every non-empty single-cell opening set has a filler.
    std::set<int> patterns;
    for (int i = 0; i < 27; ++i)
        patterns.insert(fillers.templates[i]->pattern[0]);
    for (int p = 1; p < 16; ++p)
        EXPECT_TRUE(patterns.count(p)) << p;
    const LevelGenTemplate& tall = level_template(30);
    EXPECT_EQ(tall.pattern[0], 0x00);
    EXPECT_EQ(tall.pattern[1], 0x01);
}

class RealTiles : public Runtime {
protected:
    static void SetUpTestSuite() { load_real_level_data(); }
    static void TearDownTestSuite() { free_level_data(); }
};

TEST_F(RealTiles, TheGroupsHoldTheirTilesInOrder)
{
    TileGroup b73 = tile_group(GROUP_B73);
    ASSERT_EQ(b73.count, 73);
    EXPECT_STREQ(b73.tiles[0]->name, "back0");
    EXPECT_STREQ(b73.tiles[9]->name, "back0");
    EXPECT_STREQ(b73.tiles[10]->name, "back1");
    EXPECT_STREQ(b73.tiles[69]->name, "backC2");
    EXPECT_STREQ(b73.tiles[70]->name, "backS1");
    EXPECT_STREQ(b73.tiles[72]->name, "backS3");
    TileGroup m47 = tile_group(GROUP_M47);
    ASSERT_EQ(m47.count, 47);
    EXPECT_STREQ(m47.tiles[6]->name, "mach7");
    EXPECT_STREQ(m47.tiles[7]->name, "wall0");
    EXPECT_STREQ(m47.tiles[46]->name, "wall3");
    const int sizes[TILE_GROUP_COUNT] = {73, 7, 1, 4, 3, 2, 7, 47, 5, 1, 1, 1};
    for (int g = 0; g < TILE_GROUP_COUNT; ++g)
        EXPECT_EQ(tile_group(TileGroupId(g)).count, sizes[g]) << g;
    EXPECT_STREQ(tile_group(GROUP_B2).tiles[0]->name, "back2");
    EXPECT_STREQ(tile_group(GROUP_X).tiles[0]->name, "exit");
}

TEST_F(RealTiles, TheStairsAreLoweredOncePerLoadOfTheLibrary)
{
    load_level_tiles("tiles.bin");
    int fileDy = find_level_tile("stairR")->dy;
    EXPECT_EQ(find_level_tile("stairL")->dy, fileDy);
    load_tile_groups();
    load_tile_groups();
    EXPECT_EQ(tile_group(GROUP_SR).tiles[0]->dy, fileDy - 2);
    EXPECT_EQ(tile_group(GROUP_SL).tiles[0]->dy, fileDy - 2);
    EXPECT_EQ(find_level_tile("back0")->dy, 0);

    load_level_tiles("tiles.bin");
    EXPECT_EQ(find_level_tile("stairR")->dy, fileDy);
    load_tile_groups();
    EXPECT_EQ(find_level_tile("stairR")->dy, fileDy - 2);
}

TEST_F(RealTiles, AGroupNamingAMissingTileIsFatal)
{
    TempFile file(tile_file({{"back0", 1, 1, 1, 0, 0, 0, {1}}}));
    EXPECT_FATAL(
        {
            load_level_tiles(file.path.c_str());
            load_tile_groups();
        },
        "ERROR: can't find level tile 'back1'");
}

TEST_F(RealTiles, TheStartRoomPutsTheHeroOnItsFloor)
{
    memset(room_map(), ROOM_FREE, ROOM_COLUMNS * ROOM_ROWS);
    place_template(*start_templates().templates[0], 0, 0);
    write_placed_tiles();
    EXPECT_EQ(room_cell(0, 0), 0x02);
    EXPECT_EQ(level_spawns().hero.x, 56);
    EXPECT_EQ(level_spawns().hero.y, 16);
    EXPECT_EQ(voxel(56, 15, 8) != 0, true); // standing on the floor
    EXPECT_EQ(voxel(56, 16, 8), 0);         // with room to stand in
    EXPECT_EQ(level_spawns().robots.size(), 0);
}

// The content as the game needs it, checked by stamping each tile alone into
// an empty level at tile cell (10, 5) the way the templates do.
class Content : public RealTiles {
protected:
    static const int X0 = 160, Y0 = 80;

    void stamp(TileGroupId underneath, const char* name)
    {
        memset(level_grid(), 0, LEVEL_GRID_BYTES);
        if (underneath != TILE_GROUP_COUNT)
            stamp_tile(tile_group(underneath).tiles[0], X0, Y0);
        stamp_tile(find_level_tile(name), X0, Y0);
    }

    // Height of the walkable surface over column x (relative to the cell),
    // seen in the depths the walkers collide with: the top of the highest
    // solid voxel, or 0 if there is none.
    static int surface(int x)
    {
        for (int y = Y0 + 18; y >= Y0 - 2; --y)
            for (int z = 2; z <= 13; ++z)
                if (voxel(X0 + x, y, z))
                    return y + 1 - Y0;
        return 0;
    }
};

TEST_F(Content, EveryTileIsDestructibleExceptTheExitWhichIsAllExit)
{
    for (int i = 0; i < level_tile_count(); ++i) {
        const LevelTile* t = level_tile(i);
        bool exit = strcmp(t->name, "exit") == 0;
        for (int v = 0; v < t->nx * t->ny * t->nz; ++v) {
            uint8_t value = t->voxels[v];
            if (!value || (value & 0x3F) == 0)
                continue;
            if (exit)
                ASSERT_GE(value, VOXEL_EXIT) << t->name;
            else
                ASSERT_LT(value, VOXEL_INDESTRUCTIBLE) << t->name;
        }
    }
}

TEST_F(Content, WallsAndMachinesFillTheirCellAndBackgroundsStayBehindTheWalkers)
{
    // The front layer may be carved in relief; behind it the block is solid.
    for (const char* name :
        {"wall0", "wall1", "wall2", "wall3", "mach1", "mach2", "mach3", "mach4", "mach5", "mach6", "mach7"}) {
        stamp(TILE_GROUP_COUNT, name);
        for (int z = 2; z < 20; ++z)
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    ASSERT_NE(voxel(X0 + x, Y0 + y, z), 0) << name << " " << x << "," << y << "," << z;
    }
    for (int g : {GROUP_B73, GROUP_B7}) {
        TileGroup group = tile_group(TileGroupId(g));
        for (int i = 0; i < group.count; ++i) {
            const LevelTile* t = group.tiles[i];
            EXPECT_GE(t->dz, 14) << t->name;
            stamp(TILE_GROUP_COUNT, t->name);
            EXPECT_NE(voxel(X0 + 8, Y0 + 8, 19), 0) << t->name << " leaves a hole in the back wall";
        }
    }
}

TEST_F(Content, FloorsPlatformsAndGratesAreWalkedOnAtTheTopOfTheirCell)
{
    for (const char* name : {"floor1", "floor2", "floor3", "hfloor1", "hfloor2"}) {
        stamp(GROUP_W4, name);
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(surface(x), 16) << name << " " << x;
    }
    for (const char* name : {"plat0", "plat1", "plat2", "plat3", "plat4"}) {
        stamp(GROUP_B7, name);
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(surface(x), 16) << name << " " << x;
        EXPECT_EQ(voxel(X0 + 8, Y0 + 4, 8), 0) << name << ": room to walk under";
    }
    // A hollow floor is a thin grate: the depths of the walkers are empty below it.
    for (const char* name : {"hfloor1", "hfloor2"}) {
        stamp(GROUP_W4, name);
        for (int z = 0; z < 14; ++z)
            for (int y = 0; y < 12; ++y)
                ASSERT_EQ(voxel(X0 + 8, Y0 + y, z), 0) << name << " " << y << "," << z;
        EXPECT_NE(voxel(X0 + 8, Y0 + 8, 19), 0) << name << ": the wall stays behind the hollow";
    }
}

TEST_F(Content, StairsClimbOneCellInStepsAWalkerCanTake)
{
    for (const char* name : {"stairR", "stairL"}) {
        stamp(GROUP_B7, name);
        bool right = name[5] == 'R';
        int previous = 0;
        for (int i = 0; i < 16; ++i) {
            int h = surface(right ? i : 15 - i);
            EXPECT_LE(h - previous, 4) << name << " at " << i;
            EXPECT_GE(h, previous) << name << " at " << i;
            previous = h;
        }
        EXPECT_EQ(previous, 16) << name << " ends level with the next cell's top";
    }
}

TEST_F(Content, TheExitIsStoodOnAndMarkedAtDepthTen)
{
    stamp(TILE_GROUP_COUNT, "exit");
    for (int x = 0; x < 16; ++x) {
        ASSERT_EQ(surface(x), 16);
        ASSERT_GE(voxel(X0 + x, Y0 + 15, 10), VOXEL_EXIT);
        for (int z = 2; z < 14; ++z)
            ASSERT_GE(voxel(X0 + x, Y0 + 15, z), VOXEL_EXIT) << "the surface the hero stands on";
    }
}
