// The robots: sleeping until seen or shot, walking, turning at walls, falling
// off ledges and out of the world, hurting the hero, bursting.
#include "game/enemies.h"
#include "game/scene.h"

#include "app/window.h"
#include "gameplayFixture.h"

namespace {

class Robots : public DrawingGameplayTest {
protected:
    void SetUp() override
    {
        DrawingGameplayTest::SetUp();
        floor_at(16, 0, 1000);
        place_hero(900, 16); // well away, unless a test moves it
    }
    static Enemy& awake_robot(float x, float y, bool facing_right)
    {
        add_enemy(x, y);
        Enemy& e = enemy(enemy_count() - 1);
        e.dormant = false;
        e.facingRight = facing_right;
        return e;
    }
    // One frame with the camera on (x, y).
    static void frame_at(float x, float y)
    {
        Vec4 hero_at = hero().position;
        place_hero(x, y - 9);
        draw_world(0);
        place_hero(hero_at.x, hero_at.y);
    }
};

TEST_F(Robots, ADormantRobotInMidAirStaysUntilAFrameShowsIt)
{
    add_enemy(100, 100);
    add_enemy(600, 100);
    update(20);
    EXPECT_EQ(enemy(0).position.y, 100);
    EXPECT_TRUE(enemy(0).dormant);
    // The body frame is kept up to date while asleep.
    EXPECT_EQ(enemy(0).body.m[3][0], 100);
    EXPECT_EQ(enemy(0).body.m[0][2], -1); // facing left

    frame_at(100, 100); // 640 x 360 at 3 pixels per voxel: x -46 to 247 are in view
    // The frame only notes the robot: the next update wakes it through its
    // input, and it moves in that update.
    EXPECT_TRUE(enemy(0).dormant);
    update();
    EXPECT_FALSE(enemy(0).dormant);
    EXPECT_TRUE(enemy(1).dormant);
    EXPECT_LT(enemy(0).position.y, 100);
    EXPECT_EQ(enemy(1).position.y, 100);
}

TEST_F(Robots, SightingsOfARobotListThatWasReplacedWakeNothing)
{
    add_enemy(100, 100);
    add_enemy(150, 100);
    frame_at(100, 100); // notes robots 0 and 1
    // A new level between the frame and the next update: its one robot,
    // far out of view, is not the robot 0 the frame showed, and there is no
    // robot 1 to wake.
    clear_enemies();
    add_enemy(600, 100);
    update();
    EXPECT_TRUE(enemy(0).dormant);
    EXPECT_EQ(enemy(0).position.y, 100);
}

TEST_F(Robots, ARobotTurnsAtAWallAndWalksBackAtThirtyVoxelsPerSecond)
{
    solid(50, 16, 0, 60, 60, 19);
    awake_robot(80, 16, false);
    update(4);
    EXPECT_FLOAT_EQ(enemy(0).velocityX, -30);
    EXPECT_FALSE(enemy(0).facingRight);
    update(20); // 13 voxels from the wall at 30 voxels/s
    EXPECT_TRUE(enemy(0).facingRight);
    EXPECT_GE(enemy(0).position.x - 6, 61);
    float x = enemy(0).position.x;
    update(10);
    EXPECT_FLOAT_EQ(enemy(0).velocityX, 30);
    EXPECT_NEAR(enemy(0).position.x - x, 15, 1.5f);
    EXPECT_TRUE(enemy(0).onGround);
}

TEST_F(Robots, ARobotWalksOffALedgeWithoutTurning)
{
    memset(level_grid(), 0, LEVEL_GRID_BYTES);
    floor_at(16, 50, 200);
    awake_robot(60, 16, false);
    update(30);
    EXPECT_LT(enemy(0).position.y, 0);
    EXPECT_FALSE(enemy(0).facingRight);
    EXPECT_FALSE(enemy(0).onGround);
    EXPECT_LT(enemy(0).position.x, 44);
}

TEST_F(Robots, ARobotFallingOutOfTheWorldIsRemovedWithoutDebris)
{
    awake_robot(2000, -300, false);
    update(10);
    EXPECT_EQ(enemy_count(), 1);
    update(20);
    EXPECT_EQ(enemy_count(), 0);
    EXPECT_EQ(debris_count(), 0);
}

TEST_F(Robots, ARobotWalkingIntoTheHeroHurtsIt)
{
    place_hero(100, 16);
    awake_robot(80, 16, true);
    update(6);
    EXPECT_EQ(hero_health(), 4);
    update(10);
    EXPECT_EQ(hero_health(), 3);
    // It stands at the hero's side, turning back only after hitting it.
    EXPECT_LE(enemy(0).position.x + 6, 96.001f);
}

TEST_F(Robots, OneHitBurstsARobotAndADeadRobotOnlyWakes)
{
    for (float x : {100, 200, 300, 400})
        add_enemy(x, 100);
    damage_enemy(enemy(1), 1);
    EXPECT_EQ(enemy(1).health, 0);
    EXPECT_FALSE(enemy(1).dormant);
    EXPECT_EQ(debris_of_colour(ROBOT_BURST_COLOUR), 200);
    for (int i = 0; i < debris_count(); ++i) {
        const Debris& d = debris(i);
        EXPECT_LE(fabsf(d.position.x - 200), 6);
        EXPECT_GE(d.position.y, 100);
        EXPECT_LE(d.position.y, 114);
        EXPECT_GE(d.velocity.y, 0);
    }
    // Hit again while dead: awake, nothing more.
    enemy(1).dormant = true;
    damage_enemy(enemy(1), 1);
    EXPECT_FALSE(enemy(1).dormant);
    EXPECT_EQ(debris_count(), 200);

    // Removed by the next update; the last robot takes its place.
    update();
    ASSERT_EQ(enemy_count(), 3);
    EXPECT_EQ(enemy(0).position.x, 100);
    EXPECT_EQ(enemy(1).position.x, 400);
    EXPECT_EQ(enemy(2).position.x, 300);
}

// The debug vertices of the last frame in one colour, as (x, y, z) triples.
std::vector<Vec4> debug_points(uint32_t colour)
{
    struct DebugVertex {
        float x, y, z;
        uint32_t colour;
    };
    std::vector<Vec4> points;
    for (const FakePrimDraw& d : fake_device.primDraws) {
        const DebugVertex* v = reinterpret_cast<const DebugVertex*>(d.vertices.data());
        for (size_t i = 0; i < d.vertices.size() / sizeof(DebugVertex); ++i)
            if (v[i].colour == colour)
                points.push_back({v[i].x, v[i].y, v[i].z, 1});
    }
    return points;
}

TEST_F(Robots, F4ShowsTheHerosBoxAndAimInGreenAndTheRobotsBoxesInRed)
{
    place_hero(100, 16);
    add_enemy(150, 16);
    add_enemy(180, 16);
    update(); // the hero stands and aims at the cursor
    fake.focused = true;
    WindowMessage activate = {};
    activate.type = WMSG_ACTIVATE;
    window_proc(activate);
    press(VK_F4);
    take_update_eye();
    input_end_update();
    ASSERT_TRUE(debug_shapes_on());
    fake_device.primDraws.clear();
    draw_world(0);
    std::vector<Vec4> green = debug_points(0xff00ff00), red = debug_points(0xffff0000);
    EXPECT_EQ(green.size(), (12 + 3) * 2u); // the box's edges and the aim marker's three lines
    EXPECT_EQ(red.size(), 2 * 12 * 2u);
    // The box around the hero's feet at (100, 16), and a cross of half size 2 on the aim point.
    const Vec4 aim = hero().aimPoint;
    int onBox = 0, onCross = 0;
    for (const Vec4& p : green) {
        onBox += (p.x == 96 || p.x == 104) && (p.y == 16 || p.y == 31) && (p.z == 2 || p.z == 14);
        onCross += fabsf(p.x - aim.x) + fabsf(p.y - aim.y) + fabsf(p.z - aim.z) == 2;
    }
    EXPECT_EQ(onBox, 24);
    EXPECT_EQ(onCross, 6);
    for (const Vec4& p : red) {
        EXPECT_TRUE(p.x == 144 || p.x == 156 || p.x == 174 || p.x == 186) << p.x;
        EXPECT_TRUE(p.y == 16 || p.y == 30) << p.y;
    }
    press(VK_F4);
    take_update_eye();
    input_end_update();
    EXPECT_FALSE(debug_shapes_on());
}

} // namespace
