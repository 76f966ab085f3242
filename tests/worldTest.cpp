// The level world: box queries, moving with collision, the shot ray, filling
// boxes and blowing holes.
#include "game/world.h"

#include <algorithm>
#include <random>

#include "gameplayFixture.h"

namespace {

const Vec4 HERO_LO = HERO_BOX_LO, HERO_HI = HERO_BOX_HI;

class World : public GameplayTest {
protected:
    // One move of a hero-sized box from `from` towards `to` as creatures walk.
    static uint32_t walk(Vec4& position, const Vec4& to)
    {
        return move_with_step(position, nullptr, to, HERO_LO, HERO_HI, 4);
    }
    static int count_layer(int x0, int y0, int x1, int y1, int z, uint8_t value)
    {
        int n = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                n += voxel(x, y, z) == value;
        return n;
    }
};

TEST_F(World, BoxRangesRoundHalvesToEvenAndDeepVoxelsDoNotPush)
{
    uint32_t flags = 0;
    solid(10, 50, 8, 10, 50, 8);
    // lo.x - 0.49 = 10.5 rounds to 10: the voxel is in range, 0.01 inside.
    Vec4 push = box_vs_world({10.99f, 49, 0, 1}, {18.99f, 60, 20, 1}, flags);
    EXPECT_NEAR(push.x, 0.01f, 1e-5);
    EXPECT_EQ(push.z, 0);
    // lo.x - 0.49 = 11.5 rounds to 12: a voxel at 11 is not looked at.
    solid(10, 50, 8, 10, 50, 8, 0);
    solid(11, 50, 8, 11, 50, 8);
    push = box_vs_world({11.99f, 49, 0, 1}, {19.99f, 60, 20, 1}, flags);
    EXPECT_EQ(push.x, 0);

    // A voxel in the middle of a 8.5 x 11 box is deeper than half the box on
    // both axes: it does not push at all.
    solid(11, 50, 8, 11, 50, 8, 0);
    solid(14, 55, 8, 14, 55, 8);
    push = box_vs_world({10, 50, 0, 1}, {18.5f, 61, 20, 1}, flags);
    EXPECT_EQ(push.x + push.y + push.z + push.w, 0);
    EXPECT_EQ(flags, 0u);

    // Depth selects: the same voxel outside the box's z range is not seen.
    push = box_vs_world({13, 54, 10, 1}, {15, 56, 18, 1}, flags);
    EXPECT_EQ(push.x + push.y + push.z + push.w, 0);

    solid(14, 55, 8, 14, 55, 8, VOXEL_EXIT + 3);
    box_vs_world({13, 54, 0, 1}, {15, 56, 20, 1}, flags);
    EXPECT_EQ(flags, uint32_t(TOUCH_EXIT));
}

// box_vs_world voxel by voxel: the pushes of every solid voxel of the box's
// cells, the components beyond the half extents dropped.
static Vec4 box_vs_world_by_voxel(const Vec4& lo, const Vec4& hi, uint32_t& flags)
{
    auto range = [](float a, float b, int size, int* first, int* end) {
        *first = std::max(static_cast<int>(nearbyintf(a - 0.49f)), 0);
        *end = std::min(static_cast<int>(nearbyintf(b + 0.49f)), size);
    };
    int x0, x1, y0, y1, z0, z1;
    range(lo.x, hi.x, LEVEL_SIZE_X, &x0, &x1);
    range(lo.y, hi.y, LEVEL_SIZE_Y, &y0, &y1);
    range(lo.z, hi.z, LEVEL_SIZE_Z, &z0, &z1);
    const float hx = (hi.x - lo.x) * 0.5f, hy = (hi.y - lo.y) * 0.5f;
    Vec4 r = {0, 0, 0, 0};
    for (int z = z0; z < z1; ++z)
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                uint8_t v = level_grid()[level_voxel_index(x, y, z)];
                if (!v)
                    continue;
                flags |= v >= VOXEL_EXIT ? uint32_t(TOUCH_EXIT) : 0u;
                const float push[4] = {(x + 1) - lo.x, (y + 1) - lo.y, hi.x - x, hi.y - y};
                const float half[4] = {hx, hy, hx, hy};
                float* out[4] = {&r.x, &r.y, &r.z, &r.w};
                for (int i = 0; i < 4; ++i)
                    if (push[i] <= half[i] && push[i] > *out[i])
                        *out[i] = push[i];
            }
    return r;
}

// The query reads many voxels at once: scattered voxels and exits, boxes of
// every width up to past two reads' worth, at the grid's right end and
// with their depth range cut, must push as voxel by voxel.
TEST_F(World, BoxQueryPushesAsEachVoxelDoes)
{
    std::mt19937 random(5);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int i = 0; i < 3000; ++i) {
        int x = i % 2 ? LEVEL_SIZE_X - 1 - pick(120) : 100 + pick(120);
        uint8_t v = static_cast<uint8_t>(pick(8) == 0 ? VOXEL_EXIT + pick(60) : 1 + pick(190));
        level_grid()[level_voxel_index(x, 40 + pick(30), pick(LEVEL_SIZE_Z))] = v;
    }
    for (int i = 0; i < 2000; ++i) {
        float x = (i % 2 ? LEVEL_SIZE_X - 130 : 95) + pick(1200) / 10.0f;
        float y = 35 + pick(300) / 10.0f, z = pick(300) / 10.0f - 5;
        Vec4 lo = {x, y, z, 1};
        Vec4 hi = {x + pick(1300) / 10.0f, y + pick(200) / 10.0f, z + pick(150) / 10.0f, 1};
        uint32_t flags = 0, expectedFlags = 0;
        Vec4 push = box_vs_world(lo, hi, flags), expected = box_vs_world_by_voxel(lo, hi, expectedFlags);
        ASSERT_TRUE(
            push.x == expected.x && push.y == expected.y && push.z == expected.z && push.w == expected.w)
            << "box " << lo.x << " " << lo.y << " " << lo.z << " to " << hi.x << " " << hi.y << " " << hi.z;
        ASSERT_EQ(flags, expectedFlags);
    }
}

// The grid readers agree on a million boxes of every size, depth range and
// place, many reaching out of the grid, in windows at both ends of the grid
// and in its middle where every run of eight voxels is empty, 1 in 64, 1 in 8,
// half or 15 in 16 solid, with exits among them.
TEST_F(World, TheGridReadersGiveTheSamePushesAndFlags)
{
    if (!has_grid_reader(GRID_READER_SSE2))
        GTEST_SKIP() << "the target has no SSE2";
    enum { WINDOW = 256 };
    static const int WINDOWS[3] = {0, LEVEL_SIZE_X / 2, LEVEL_SIZE_X - WINDOW};
    // A voxel is solid when 24 random bits are below its run's share.
    static const uint32_t SOLID_BELOW[5] = {0, 1u << 18, 1u << 21, 1u << 23, 15u << 20};
    std::mt19937 random(11);
    for (int window : WINDOWS)
        for (int z = 0; z < LEVEL_SIZE_Z; ++z)
            for (int y = 0; y < LEVEL_SIZE_Y; ++y)
                for (int x = window; x < window + WINDOW; x += 8) {
                    uint32_t share = SOLID_BELOW[random() % 5];
                    for (int i = 0; i < 8; ++i) {
                        uint32_t r = random();
                        level_grid()[level_voxel_index(x + i, y, z)]
                            = (r >> 8) < share ? static_cast<uint8_t>(1 + (r & 0xFF) % 255) : 0;
                    }
                }
    std::uniform_real_distribution<float> x(-40, WINDOW + 40), y(-20, LEVEL_SIZE_Y + 20), z(-5, 22),
        width(0, 64), height(0, 16), depth(0, 25);
    for (int i = 0; i < 1000000; ++i) {
        Vec4 lo = {WINDOWS[i % 3] + x(random), y(random), z(random), 1};
        Vec4 hi = {lo.x + width(random), lo.y + height(random), lo.z + depth(random), 1};
        uint32_t flags = 0, portableFlags = 0;
        Vec4 push = box_vs_world_by(GRID_READER_SSE2, lo, hi, flags);
        Vec4 portable = box_vs_world_by(GRID_READER_PORTABLE, lo, hi, portableFlags);
        ASSERT_TRUE(memcmp(&push, &portable, sizeof push) == 0 && flags == portableFlags)
            << "box " << lo.x << " " << lo.y << " " << lo.z << " to " << hi.x << " " << hi.y << " " << hi.z;
    }
}

TEST_F(World, WalkingOnAFlatFloorSetsOnlyOnGround)
{
    floor_at(16, 0, 300);
    Vec4 p = {100, 16, 8, 1};
    uint32_t flags = move_and_collide(p, nullptr, {102, 15.7f, 8, 1}, HERO_LO, HERO_HI, 4);
    EXPECT_EQ(flags, uint32_t(ON_GROUND));
    EXPECT_FLOAT_EQ(p.x, 102);
    EXPECT_FLOAT_EQ(p.y, 16);
}

TEST_F(World, AStepOfFourIsClimbedAndAStepOfFiveStopsTheWalker)
{
    floor_at(16, 0, 300);
    solid(110, 16, 0, 120, 19, 19); // 4 high
    solid(190, 16, 0, 200, 20, 19); // 5 high
    Vec4 p = {105, 16, 8, 1};
    uint32_t flags = walk(p, {107, 15.9f, 8, 1});
    EXPECT_EQ(flags, uint32_t(ON_GROUND));
    EXPECT_FLOAT_EQ(p.x, 107);
    EXPECT_FLOAT_EQ(p.y, 20);

    p = {185, 16, 8, 1};
    flags = walk(p, {187, 15.9f, 8, 1});
    EXPECT_EQ(flags, uint32_t(HIT_RIGHT | ON_GROUND));
    EXPECT_FLOAT_EQ(p.x, 186); // the box's right side against the step
    EXPECT_FLOAT_EQ(p.y, 16);

    // The same from the other side.
    p = {205, 16, 8, 1};
    flags = walk(p, {203, 15.9f, 8, 1});
    EXPECT_EQ(flags, uint32_t(HIT_LEFT | ON_GROUND));
    EXPECT_FLOAT_EQ(p.x, 205);
}

TEST_F(World, AStepUpUnderALowCeilingFallsBackToAPlainMove)
{
    floor_at(16, 0, 300);
    solid(110, 16, 0, 120, 19, 19); // a step of 4 ...
    solid(100, 34, 0, 130, 40, 19); // ... under a ceiling 18 above the floor
    Vec4 p = {105, 16, 8, 1}, start = p;
    uint32_t flags = move_and_collide(p, nullptr, {107, 15.9f, 8, 1}, HERO_LO, HERO_HI, 4);
    EXPECT_TRUE(flags & HIT_CEILING);
    p = start;
    flags = move_and_collide(p, nullptr, {107, 15.9f, 8, 1}, HERO_LO, HERO_HI, 0);
    EXPECT_TRUE(flags & HIT_RIGHT);
    EXPECT_FLOAT_EQ(p.x, 106);
}

TEST_F(World, CreaturesPushWhereNoVoxelDoesAndAreTouched)
{
    floor_at(16, 0, 300);
    add_enemy(120, 16); // its box spans x 114 to 126
    Vec4 p = {105, 16, 8, 1};
    uint32_t flags = move_and_collide(p, nullptr, {111, 15.9f, 8, 1}, HERO_LO, HERO_HI, 4);
    EXPECT_EQ(flags, uint32_t(HIT_RIGHT | TOUCH_ENEMY | ON_GROUND));
    EXPECT_FLOAT_EQ(p.x, 110); // stopped at the robot's box

    // The robot itself does not collide with itself, but touches the hero.
    place_hero(133, 16); // its box spans x 129 to 137
    Vec4 r = enemy(0).position;
    flags = move_and_collide(r, &enemy(0), {124, 15.9f, 8, 1}, {-6, 0, -6, 0}, {6, 14, 6, 0}, 4);
    EXPECT_EQ(flags, uint32_t(HIT_RIGHT | TOUCH_HERO | ON_GROUND));
    EXPECT_FLOAT_EQ(r.x, 123);
    // A dead hero is not there for others.
    set_hero_health(0);
    r = enemy(0).position;
    flags = move_and_collide(r, &enemy(0), {124, 15.9f, 8, 1}, {-6, 0, -6, 0}, {6, 14, 6, 0}, 4);
    EXPECT_EQ(flags, uint32_t(ON_GROUND));
    EXPECT_FLOAT_EQ(r.x, 124);

    // Where a voxel pushes on the axis, the creatures' push is ignored.
    solid(116, 16, 0, 130, 40, 19);
    p = {105, 16, 8, 1};
    flags = move_and_collide(p, nullptr, {113, 15.9f, 8, 1}, HERO_LO, HERO_HI, 4);
    EXPECT_TRUE(flags & TOUCH_ENEMY);
    EXPECT_FLOAT_EQ(p.x, 112); // against the wall at 116, not the robot at 114
}

TEST_F(World, RobotsPushWhateverTheirHealthButNotTheMover)
{
    add_enemy(100, 50); // x 94 to 106
    add_enemy(116, 50); // x 110 to 122
    enemy(0).health = 0;
    Vec4 push = box_vs_enemies(nullptr, {105, 55, 0, 1}, {111, 58, 20, 1});
    EXPECT_FLOAT_EQ(push.x, 1); // the dead one still pushes
    EXPECT_FLOAT_EQ(push.z, 1);
    push = box_vs_enemies(&enemy(1), {105, 55, 0, 1}, {111, 58, 20, 1});
    EXPECT_FLOAT_EQ(push.x, 1);
    EXPECT_EQ(push.z, 0);
    // Boxes that only meet at an edge do not push.
    push = box_vs_enemies(nullptr, {122, 55, 0, 1}, {128, 58, 20, 1});
    EXPECT_EQ(push.x + push.y + push.z + push.w, 0);
}

TEST_F(World, TheShotRayStartsAtTheGridBorderAndMissesOutsideIt)
{
    solid(0, 60, 8, 0, 60, 8);
    Vec4 point;
    int cell[3];
    ASSERT_TRUE(segment_vs_world(2, {-50, 60.5f, 8.5f, 1}, {50, 60.5f, 8.5f, 1}, &point, cell));
    EXPECT_EQ(cell[0], 0);
    EXPECT_EQ(cell[1], 60);
    EXPECT_EQ(cell[2], 8);
    EXPECT_NEAR(point.x, 0, 1e-4);

    EXPECT_FALSE(segment_vs_world(2, {-50, 60.5f, 8.5f, 1}, {-10, 60.5f, 8.5f, 1}, &point, cell));
    EXPECT_FALSE(segment_vs_world(2, {10, 300, 8, 1}, {50, 300, 8, 1}, &point, cell));
    EXPECT_FALSE(segment_vs_world(2, {5000, 60, 8, 1}, {5100, 60, 8, 1}, &point, cell));
    // Flying away from the grid from beyond its far side.
    EXPECT_FALSE(segment_vs_world(2, {10, 60, -5, 1}, {10, 60, -25, 1}, &point, cell));
}

TEST_F(World, TheShotRayHitsAWallWhereItEntersTheCellBeforeIt)
{
    solid(200, 40, 0, 210, 80, 19);
    Vec4 point;
    int cell[3];
    ASSERT_TRUE(segment_vs_world(2, {150.5f, 60.5f, 8.5f, 1}, {230.5f, 60.5f, 8.5f, 1}, &point, cell));
    EXPECT_EQ(cell[0], 200);
    EXPECT_NEAR(point.x, 200, 1e-3);
    ASSERT_TRUE(segment_vs_world(2, {250.5f, 60.5f, 8.5f, 1}, {190.5f, 60.5f, 8.5f, 1}, &point, cell));
    EXPECT_EQ(cell[0], 210);
    EXPECT_NEAR(point.x, 211, 1e-3);
    // The segment ends before the wall.
    EXPECT_FALSE(segment_vs_world(2, {150.5f, 60.5f, 8.5f, 1}, {198.5f, 60.5f, 8.5f, 1}, &point, cell));
}

TEST_F(World, TheShotRayIsThickAcrossItsDirectionAndInDepth)
{
    solid(100, 50, 3, 100, 50, 3);
    Vec4 point;
    int cell[3];
    // Sideways: two voxels above and below count, three do not.
    EXPECT_TRUE(segment_vs_world(2, {90.5f, 52.5f, 5.5f, 1}, {110.5f, 52.5f, 5.5f, 1}, &point, cell));
    EXPECT_EQ(cell[0], 100);
    EXPECT_EQ(cell[1], 52);
    EXPECT_FALSE(segment_vs_world(2, {90.5f, 53.5f, 5.5f, 1}, {110.5f, 53.5f, 5.5f, 1}, &point, cell));
    EXPECT_FALSE(segment_vs_world(2, {90.5f, 52.5f, 6.5f, 1}, {110.5f, 52.5f, 6.5f, 1}, &point, cell));
    // Mostly vertical: the thickness lies along x instead.
    EXPECT_TRUE(segment_vs_world(2, {102.5f, 40.5f, 5.5f, 1}, {102.5f, 60.5f, 5.5f, 1}, &point, cell));
    EXPECT_FALSE(segment_vs_world(2, {97.5f, 40.5f, 5.5f, 1}, {97.5f, 60.5f, 5.5f, 1}, &point, cell));
    // ... and none along y: rising from two voxels above it misses.
    EXPECT_FALSE(segment_vs_world(2, {100.5f, 52.5f, 3.5f, 1}, {100.5f, 60.5f, 3.5f, 1}, &point, cell));
}

TEST_F(World, TheShotRayPrefersYToXAndZToBothOnEqualCrossings)
{
    Vec4 point;
    int cell[3];
    // A diagonal through the corners: after (10, 10) comes (10, 11).
    solid(10, 11, 8, 10, 11, 8);
    ASSERT_TRUE(segment_vs_world(0, {10.5f, 10.5f, 8.5f, 1}, {13.5f, 13.5f, 8.5f, 1}, &point, cell));
    EXPECT_EQ(cell[0], 10);
    EXPECT_EQ(cell[1], 11);
    EXPECT_NEAR(point.y, 11, 1e-4);
    // Equal x and z crossings: after (20, 10, 8) comes (20, 10, 9).
    solid(20, 10, 9, 20, 10, 9);
    ASSERT_TRUE(segment_vs_world(0, {20.5f, 10.5f, 8.5f, 1}, {23.5f, 10.5f, 11.5f, 1}, &point, cell));
    EXPECT_EQ(cell[0], 20);
    EXPECT_EQ(cell[2], 9);
}

TEST_F(World, FillBoxIsClampedToTheGridAndKeepsIndestructibleVoxels)
{
    solid(4095, 255, 19, 4095, 255, 19, VOXEL_INDESTRUCTIBLE);
    fill_box(4090, 250, 15, 5000, 300, 40, 7);
    int written = 0;
    for (int z = 0; z < LEVEL_SIZE_Z; ++z)
        written += count_layer(4000, 200, 4095, 255, z, 7);
    EXPECT_EQ(written, 6 * 6 * 5 - 1);
    EXPECT_EQ(voxel(4095, 255, 19), VOXEL_INDESTRUCTIBLE);
    fill_box(-10, -10, -10, 1, 1, 1, 9);
    EXPECT_EQ(voxel(0, 0, 0), 9);
    EXPECT_EQ(voxel(1, 1, 1), 9);
    EXPECT_EQ(voxel(2, 1, 1), 0);
}

TEST_F(World, AHoleOfRadiusTwoErases21VoxelsPerLayerDownToItsRandomDepth)
{
    solid(100, 50, 0, 120, 70, 19, 5);
    solid(110, 60, 0, 110, 60, 19, VOXEL_INDESTRUCTIBLE + 2); // the hit cell itself
    rng_seed(99);
    int depth = 14 + static_cast<int>(rng_next() & 3);
    rng_seed(99);
    punch_hole(110, 60, shot_with_velocity(200, 0));
    for (int z = 0; z < LEVEL_SIZE_Z; ++z) {
        int erased = count_layer(105, 55, 115, 65, z, 0);
        EXPECT_EQ(erased, z <= depth ? 20 : 0) << z; // 21 without the indestructible middle
        EXPECT_EQ(voxel(110, 60, z), VOXEL_INDESTRUCTIBLE + 2);
    }
    // The corners of the 5 x 5 square stand.
    EXPECT_EQ(voxel(108, 58, 0), 5);
    EXPECT_EQ(voxel(112, 62, 0), 5);
    EXPECT_EQ(voxel(109, 58, 0), 0);
    // The debris carries the wall's colour and flies back against the shot.
    ASSERT_GT(debris_count(), 0);
    for (int i = 0; i < debris_count(); ++i) {
        EXPECT_EQ(debris(i).colour, palette_colors()[5]);
        EXPECT_LT(debris(i).velocity.x, -30 + 1e-3);
    }
}

TEST_F(World, TheWallRadiusGrowsTheHole)
{
    solid(100, 50, 0, 120, 70, 19, 5);
    set_wall_radius(4);
    punch_hole(110, 60, shot_with_velocity(200, 0));
    EXPECT_EQ(count_layer(100, 50, 120, 70, 0, 0), 9 * 9 - 4);
}

} // namespace
