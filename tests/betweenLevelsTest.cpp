// The elevator and the game-over pause on the fake device: the exit search
// and the cab's box, the cleared shaft, the rising speed and the switch at
// the top of the world, the copies of the cab; the world behind "GAME OVER",
// the half-second pause, the restart keys and the shadowed text.
#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "deathTest.h"
#include "game/enemies.h"
#include "game/hero.h"
#include "game/scene.h"
#include "game/shots.h"
#include "game/upgrades.h"
#include "screensFixture.h"
#include "voxel/dynCubeRender.h"
#include "voxel/levelGrid.h"

namespace {

const uint8_t EXIT = 200, BRICK = 5, ROCK = 130;

void fill(int x0, int y0, int z0, int x1, int y1, int z1, uint8_t value)
{
    for (int z = z0; z <= z1; ++z)
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                level_grid()[level_voxel_index(x, y, z)] = value;
}

uint8_t voxel(int x, int y, int z)
{
    return level_grid()[level_voxel_index(x, y, z)];
}

// The cubes of the dynamic batches drawn since the draws were cleared.
int drawn_cubes()
{
    int n = 0;
    for (const FakeDraw& d : fake_device.draws)
        n += d.vertexCount == 24 ? d.instanceCount : 0;
    return n;
}

class Elevator : public ScreensTest {
protected:
    // An exit block at x 100-115, y 40-47 through the whole depth, a second
    // exit voxel at (130, 51) behind it, and one out of reach; a brick wall
    // and a rock above it; a robot, a shot and a piece of debris.
    void build_level()
    {
        memset(level_grid(), 0, LEVEL_GRID_BYTES);
        fill(100, 40, 0, 115, 47, LEVEL_SIZE_Z - 1, EXIT);
        fill(130, 51, 3, 130, 51, 3, EXIT);
        fill(200, 45, 3, 200, 45, 3, EXIT); // not at the exit's depth, and too far
        fill(90, 100, 0, 140, 110, LEVEL_SIZE_Z - 1, BRICK);
        fill(105, 200, 5, 105, 200, 5, ROCK);
        voxel_cache_invalidate_all();
        place_hero(108, 48);
        add_enemy(300, 10);
        fire_shot(0, nullptr, {400, 100, 8, 1}, {1, 0, 0, 0}, 0xffffffff);
        emit_debris({400, 100, 8, 1}, {0, 0, 0, 0}, 0xffffffff, 1);
    }
    // Into the elevator the way a finished level gets there.
    void ride()
    {
        set_level_complete(true);
        step();
        ASSERT_EQ(current_mode(), elevator_mode());
    }
    // The cubes the elevator draws besides the world's.
    static int cab_cubes()
    {
        fake_device.draws.clear();
        draw_world(0.05f);
        int world = drawn_cubes();
        fake_device.draws.clear();
        elevator_mode()->render(0.05f);
        return drawn_cubes() - world;
    }
};

} // namespace

TEST_F(Elevator, EntryCutsTheCabAndClearsTheShaftAboveIt)
{
    build_level();
    ride();
    EXPECT_EQ(enemy_count(), 0);
    EXPECT_EQ(shot_count(), 0);
    EXPECT_EQ(debris_count(), 0);
    // The box spans both exit voxels near the exit: x 100-130, y 40-51.
    step();
    EXPECT_FLOAT_EQ(hero_position().x, 115.0f);
    EXPECT_FLOAT_EQ(hero_position().y, 52.0f);
    EXPECT_EQ(voxel(105, 105, 0), 0);
    EXPECT_EQ(voxel(130, 100, 15), 0);
    EXPECT_EQ(voxel(105, 200, 5), 0) << "indestructible voxels go too";
    EXPECT_EQ(voxel(105, 105, 16), BRICK) << "the back of the level stays";
    EXPECT_EQ(voxel(99, 105, 0), BRICK);
    EXPECT_EQ(voxel(131, 105, 0), BRICK);
    EXPECT_EQ(voxel(100, 40, 10), EXIT) << "the cab itself stays in the grid";
    EXPECT_EQ(voxel(200, 45, 3), EXIT);
}

TEST_F(Elevator, TheCabSpeedsUpToTenAndStopsAtTheTopOfTheWorld)
{
    build_level();
    ride();
    std::vector<int> rises;
    float y = 51;
    int updates = 0;
    while (current_mode() == elevator_mode() && updates < 100) {
        step();
        ++updates;
        if (current_mode() != elevator_mode())
            break;
        rises.push_back(static_cast<int>(hero_position().y - y));
        y = hero_position().y;
        EXPECT_LE(y, 255.0f);
    }
    ASSERT_GE(rises.size(), 12u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(rises[i], i + 1);
    for (size_t i = 10; i + 1 < rises.size(); ++i)
        EXPECT_EQ(rises[i], 10);
    EXPECT_EQ(rises.back(), 9) << "246 to 255: the top stops there";
    EXPECT_EQ(y, 255.0f);
    EXPECT_EQ(updates, static_cast<int>(rises.size()) + 1) << "the switch comes in the update after the top";
    EXPECT_EQ(current_mode(), upgrade_mode());
    EXPECT_EQ(level_number(), 2);
    EXPECT_EQ(upgrade_points(), 5);
}

TEST_F(Elevator, AnExitAtTheTopOfTheWorldSwitchesInTheFirstUpdate)
{
    memset(level_grid(), 0, LEVEL_GRID_BYTES);
    fill(500, 250, 10, 510, 255, 10, EXIT);
    switch_mode(elevator_mode());
    step();
    EXPECT_EQ(current_mode(), upgrade_mode());
}

TEST_F(Elevator, CopiesOfTheCabFillTheShaftBelowTheHero)
{
    build_level();
    ride();
    // The cab is 12 voxels high (y 40-51).
    step(); // top at 52: d = 12, one copy
    int one = cab_cubes();
    EXPECT_GT(one, 0);
    step(2); // 54, 57: still one
    EXPECT_EQ(cab_cubes(), one);
    step(3); // 61, 66, 72: d = 32, two
    EXPECT_EQ(cab_cubes(), 2 * one);
    step(2); // 79, 87: d = 47, three
    EXPECT_EQ(cab_cubes(), 3 * one);
}

TEST_F(Elevator, ALevelWithoutAnExitIsFatal)
{
    memset(level_grid(), 0, LEVEL_GRID_BYTES);
    fill(100, 40, 9, 115, 47, 9, EXIT); // exit voxels, but none at the exit's depth
    EXPECT_FATAL(switch_mode(elevator_mode()), "elevatorMode.cpp\\([0-9]+\\): failed ASSERT\\(xp>=0\\)");
}

namespace {

class GameOver : public ScreensTest {
protected:
    void die()
    {
        set_level_number(3);
        set_hero_health(1);
        hurt_hero();
        step();
        ASSERT_EQ(current_mode(), game_over_mode());
    }
    static void tap(int vk)
    {
        bool button = vk == VK_LBUTTON || vk == VK_RBUTTON;
        button ? button_down(vk) : key_down(vk);
        button ? button_up(vk) : key_up(vk);
    }
};

} // namespace

TEST_F(GameOver, TheHerosDeathShowsTheWorldStillRunning)
{
    die();
    EXPECT_EQ(debris_count(), 200) << "the hero burst";
    Vec4 before = debris(0).position;
    step();
    EXPECT_NE(memcmp(&before, &debris(0).position, sizeof before), 0) << "debris keeps falling";
    EXPECT_EQ(current_mode(), game_over_mode());
}

TEST_F(GameOver, ReleasesDuringThePauseDoNotRestartAKeyHeldThroughItDoes)
{
    die();
    for (int i = 0; i < 10; ++i) {
        tap(VK_SPACE);
        step();
        EXPECT_EQ(current_mode(), game_over_mode()) << "update " << i;
    }
    key_down(VK_SPACE);
    step(3);
    EXPECT_EQ(current_mode(), game_over_mode()) << "held, not yet released";
    key_up(VK_SPACE);
    step();
    EXPECT_EQ(current_mode(), play_mode());
    EXPECT_EQ(level_number(), 1);
    EXPECT_EQ(hero_health(), 4);
}

TEST_F(GameOver, SpaceEnterAndBothMouseButtonsRestartOtherKeysDoNot)
{
    for (int vk : {VK_SPACE, VK_RETURN, VK_LBUTTON, VK_RBUTTON}) {
        die();
        step(11);
        tap('A');
        step();
        EXPECT_EQ(current_mode(), game_over_mode());
        tap(vk);
        step();
        EXPECT_EQ(current_mode(), play_mode()) << vk;
        EXPECT_EQ(level_number(), 1);
    }
}

TEST_F(GameOver, TheTextIsCentredFiveTimesTheFontScaleOverItsShadow)
{
    die();
    int scale = font_scale();
    int w, h;
    font_push_state();
    font_set_scale(scale * 5);
    font_text_extent("GAME OVER", -1, &w, &h);
    font_pop_state();
    fake_device.primDraws.clear();
    font_begin();
    game_over_mode()->render_overlay(0);
    font_end();
    EXPECT_EQ(font_scale(), scale) << "the font's state is restored";

    // Glyph quads (texels >= 0) by colour: white text, black shadow text.
    int left[2] = {1 << 20, 1 << 20}, bottom[2] = {1 << 20, 1 << 20}, top[2] = {}, count[2] = {};
    for (const FontQuad& q : drawn_font_quads()) {
        if (q.u0 < 0 || (q.colour != 0xffffffff && q.colour != 0xff000000))
            continue;
        int k = q.colour == 0xffffffff ? 0 : 1;
        ++count[k];
        left[k] = std::min(left[k], q.x0);
        bottom[k] = std::min(bottom[k], q.y0);
        top[k] = std::max(top[k], q.y1);
    }
    EXPECT_EQ(count[0], 8) << "GAMEOVER without the space";
    EXPECT_EQ(count[1], 8);
    EXPECT_EQ(left[0], 320 - w / 2);
    EXPECT_EQ(bottom[0], 180 - h / 2);
    EXPECT_EQ(top[0] - bottom[0], h);
    EXPECT_EQ(left[1], left[0] + 2) << "the shadow text 2 pixels right";
    EXPECT_EQ(bottom[1], bottom[0] - 2) << "and 2 down";
}
