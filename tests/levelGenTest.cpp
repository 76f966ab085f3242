// The generation run: one seed gives one level, the map invariants hold over
// many seeds, and the path, branch, fill and log steps on prepared maps.
#include "gen/levelGen.h"

#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/random.h"
#include "deathTest.h"
#include "gen/levelGenRuntime.h"
#include "gen/levelTemplates.h"
#include "levelTestData.h"
#include "voxel/levelGrid.h"

namespace {

struct LevelSummary {
    uint64_t hash;
    float heroX, heroY;
    std::vector<float> robots;
    std::string map;

    bool operator==(const LevelSummary& o) const
    {
        return hash == o.hash && heroX == o.heroX && heroY == o.heroY && robots == o.robots && map == o.map;
    }
};

LevelSummary generate_from_here()
{
    ::testing::internal::CaptureStdout();
    generate_level();
    const LevelSpawns& spawns = level_spawns();
    LevelSummary s
        = {level_grid_hash(), spawns.hero.x, spawns.hero.y, {}, ::testing::internal::GetCapturedStdout()};
    for (const LevelSpawn& r : spawns.robots) {
        s.robots.push_back(r.x);
        s.robots.push_back(r.y);
    }
    return s;
}

bool opens(int c, int r, uint8_t bit)
{
    return (room_cell(c, r) & bit) != 0;
}

// Which cells can be reached from the start room through matching openings.
int reachable_cells()
{
    bool seen[ROOM_COLUMNS][ROOM_ROWS] = {};
    int stack[ROOM_COLUMNS * ROOM_ROWS][2];
    int n = 0, count = 0;
    stack[n][0] = 0;
    stack[n++][1] = 0;
    seen[0][0] = true;
    const struct {
        int dc, dr;
        uint8_t bit;
    } moves[] = {{-1, 0, ROOM_LEFT}, {1, 0, ROOM_RIGHT}, {0, 1, ROOM_UP}, {0, -1, ROOM_DOWN}};
    while (n > 0) {
        --n;
        int c = stack[n][0], r = stack[n][1];
        ++count;
        for (const auto& m : moves) {
            int nc = c + m.dc, nr = r + m.dr;
            if (!opens(c, r, m.bit) || nc < 0 || nc >= ROOM_COLUMNS || nr < 0 || nr >= ROOM_ROWS
                || seen[nc][nr])
                continue;
            seen[nc][nr] = true;
            stack[n][0] = nc;
            stack[n++][1] = nr;
        }
    }
    return count;
}

// The map invariants of a finished level; returns the first one broken.
std::string broken_invariant()
{
    for (int r = 0; r < ROOM_ROWS; ++r)
        for (int c = 0; c < ROOM_COLUMNS; ++c) {
            if (room_cell(c, r) & ROOM_FREE)
                return "free cell left";
            if (opens(c, r, ROOM_RIGHT) != (c < ROOM_COLUMNS - 1 && opens(c + 1, r, ROOM_LEFT)))
                return "right opening without its match";
            if (opens(c, r, ROOM_UP) != (r < ROOM_ROWS - 1 && opens(c, r + 1, ROOM_DOWN)))
                return "up opening without its match";
            if ((c == 0 && opens(c, r, ROOM_LEFT)) || (r == 0 && opens(c, r, ROOM_DOWN)))
                return "opening out of the map";
        }
    if (room_cell(0, 0) != ROOM_RIGHT)
        return "start room";
    if (room_cell(30, 0) != ROOM_LEFT)
        return "exit room";
    for (int r = 0; r < ROOM_ROWS; ++r)
        if (room_cell(31, r) != 0)
            return "end column";
    // A closed cell above the exit is the tall exit room's upper half; every
    // other cell is reached from the start.
    bool tall = room_cell(30, 1) == 0;
    if (reachable_cells() != ROOM_COLUMNS * ROOM_ROWS - 3 - (tall ? 1 : 0))
        return "unreachable rooms";
    if (level_spawns().hero.x != 56 || level_spawns().hero.y != 16)
        return "hero start";
    return "";
}

class Generation : public ::testing::Test {
protected:
    static void SetUpTestSuite() { load_real_level_data(); }
    static void TearDownTestSuite() { free_level_data(); }
};

} // namespace

TEST_F(Generation, OneSeedGivesOneLevelAndConsecutiveLevelsDiffer)
{
    rng_seed(7);
    LevelSummary first = generate_from_here();
    LevelSummary second = generate_from_here();
    place_tiles(GROUP_W4, LevelGenCoordRect(0, 0, 256, 15)); // placed outside a run: not the next level's
    rng_seed(7);
    EXPECT_TRUE(generate_from_here() == first);
    EXPECT_TRUE(generate_from_here() == second);
    EXPECT_NE(first.hash, second.hash);
    EXPECT_NE(first.map, second.map);
    EXPECT_GT(first.robots.size(), 20u);
}

TEST_F(Generation, TheMapInvariantsHoldOverManySeeds)
{
    bool sawTall = false, sawShort = false;
    for (uint64_t seed = 1; seed <= 100; ++seed) {
        rng_seed(seed);
        ::testing::internal::CaptureStdout();
        generate_level();
        ::testing::internal::GetCapturedStdout();
        std::string broken = broken_invariant();
        ASSERT_EQ(broken, "") << "seed " << seed;
        (room_cell(30, 1) == 0 ? sawTall : sawShort) = true;
    }
    EXPECT_TRUE(sawTall);
    EXPECT_TRUE(sawShort);
}

TEST_F(Generation, TheLevelHasItsCeilingExitAndEndColumn)
{
    rng_seed(3);
    generate_from_here();
    const uint8_t* g = level_grid();
    for (int x = 0; x < 249 * 16; x += 16)
        ASSERT_NE(g[level_voxel_index(x + 8, 248, 8)], 0) << x; // the ceiling is solid
    EXPECT_EQ(g[level_voxel_index(249 * 16 + 8, 248, 8)], 0);   // and ends at tile 249
    // The exit stands at tile cell (244, 1) with exit voxels at depth 10 on its top.
    int exitTop = -1;
    for (int y = 16; y < 32; ++y)
        if (g[level_voxel_index(244 * 16 + 8, y, 10)] >= VOXEL_EXIT)
            exitTop = y;
    EXPECT_EQ(exitTop, 31);
    int exitVoxels = 0;
    for (int i = 0; i < LEVEL_GRID_BYTES; ++i)
        exitVoxels += g[i] >= VOXEL_EXIT;
    EXPECT_EQ(exitVoxels, 16 * 16 * 20);
    for (int y = 0; y < 240; y += 16)
        EXPECT_NE(g[level_voxel_index(31 * 128 + 8, y + 8, 8)], 0) << y; // the end column
}

TEST_F(Generation, AColumnOpenOnlyToTheRightStillGetsItsStairs)
{
    memset(room_map(), ROOM_FREE, ROOM_COLUMNS * ROOM_ROWS);
    room_cell(5, 0) |= ROOM_RIGHT;
    room_cell(5, 2) |= ROOM_RIGHT;
    rng_seed(11);
    ::testing::internal::CaptureStdout();
    make_path();
    ::testing::internal::GetCapturedStdout();
    EXPECT_TRUE(opens(5, 0, ROOM_UP));
    EXPECT_TRUE(opens(5, 1, ROOM_UP) && opens(5, 1, ROOM_DOWN));
    EXPECT_TRUE(opens(5, 2, ROOM_DOWN));
    EXPECT_TRUE(opens(6, 0, ROOM_LEFT)); // propagated before the walk
}

TEST_F(Generation, TheWalkCarriesAPathFromTheLeftOnToTheRight)
{
    memset(room_map(), ROOM_FREE, ROOM_COLUMNS * ROOM_ROWS);
    room_cell(0, 1) = ROOM_RIGHT; // a placed cell opening into column 1
    room_cell(2, 0) = 0;          // closed cells the path must go around
    room_cell(2, 2) = 0;
    rng_seed(5);
    ::testing::internal::CaptureStdout();
    make_path();
    ::testing::internal::GetCapturedStdout();
    EXPECT_TRUE(opens(1, 1, ROOM_LEFT));
    EXPECT_TRUE(opens(1, 1, ROOM_RIGHT)); // row 1 is the only way on
    EXPECT_TRUE(opens(2, 1, ROOM_LEFT));
    for (int r = 0; r < ROOM_ROWS; ++r)
        for (int c = 0; c < ROOM_COLUMNS; ++c)
            EXPECT_NE(room_cell(c, r), ROOM_FREE) << "untouched cell " << c << "," << r;
}

TEST_F(Generation, GrowingABranchStopsWhenNoFreeCellHasAnUntouchedNeighbour)
{
    memset(room_map(), 0, ROOM_COLUMNS * ROOM_ROWS);
    room_cell(4, 1) = ROOM_FREE | ROOM_LEFT;
    room_cell(5, 1) = ROOM_FREE;
    rng_seed(1);
    EXPECT_TRUE(grow_branch());
    EXPECT_EQ(room_cell(4, 1), ROOM_FREE | ROOM_LEFT | ROOM_RIGHT);
    EXPECT_EQ(room_cell(5, 1), ROOM_FREE | ROOM_LEFT);
    uint64_t state = rng_state();
    EXPECT_FALSE(grow_branch());
    EXPECT_EQ(rng_state(), state); // nothing to choose from: no draw
}

TEST_F(Generation, FillingACellWithoutAMatchingTemplateIsFatal)
{
    memset(room_map(), 0, ROOM_COLUMNS * ROOM_ROWS);
    room_cell(3, 1) = ROOM_FREE | ROOM_LEFT | ROOM_UP;
    const LevelGenTemplate* onlyRight[] = {&level_template(12)}; // pattern 02
    EXPECT_FATAL(fill_rooms(onlyRight, 1), "ERROR: no applicable level generator templates!");

    TemplateList fillers = filler_templates();
    memset(level_grid(), 0, LEVEL_GRID_BYTES);
    fill_rooms(fillers.templates, fillers.count);
    EXPECT_EQ(room_cell(3, 1), ROOM_LEFT | ROOM_UP); // only record 15 fits
}

TEST_F(Generation, TheMapLogShowsOpeningsFreeCellsAndPlacedCells)
{
    memset(room_map(), 0, ROOM_COLUMNS * ROOM_ROWS);
    room_cell(0, 2) = ROOM_FREE;
    room_cell(1, 2) = ROOM_FREE | ROOM_LEFT | ROOM_DOWN;
    room_cell(2, 2) = ROOM_UP | ROOM_RIGHT;
    ::testing::internal::CaptureStdout();
    log_room_map();
    std::string log = ::testing::internal::GetCapturedStdout();
    std::string placed(3 * 29, '+');
    std::string closedMiddle;
    for (int c = 3; c < ROOM_COLUMNS; ++c)
        closedMiddle += "+#+";
    std::string expected = "------+#+" + placed + "\n" + "- -##-+##" + closedMiddle + "\n" + "---" + "-#-"
        + "+++" + placed + "\n";
    ASSERT_GE(log.size(), expected.size());
    EXPECT_EQ(log.substr(0, expected.size()), expected);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 9);
}
