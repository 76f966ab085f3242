// Game modes, the switch between them, the flow keys and the upgrades.
#include "game/gameMode.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "app/window.h"
#include "core/input.h"
#include "core/paths.h"
#include "fakeFrame.h"
#include "fakePlatform.h"
#include "game/gameHooks.h"
#include "game/hero.h"
#include "game/scene.h"
#include "game/upgrades.h"
#include "game/world.h"
#include "voxel/levelGrid.h"

// A mode that writes down what is done to it.
class RecordingMode final : public GameMode {
public:
    explicit RecordingMode(std::string* log, const char* name)
        : log(log)
        , name(name)
    {
    }
    void enter(GameMode* previous) override { *log += name + ".enter(" + name_of(previous) + ") "; }
    void leave(GameMode* next) override { *log += name + ".leave(" + name_of(next) + ") "; }
    void update(float) override { }
    void render(float) override { }
    void render_overlay(float) override { }
    void resize() override { }

    static std::string name_of(GameMode* m)
    {
        auto* r = dynamic_cast<RecordingMode*>(m);
        return r ? r->name : m ? "other" : "null";
    }

private:
    std::string* log;
    std::string name;
};

class Modes : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake_reset();
        fake_frame_reset();
        switch_mode(nullptr);
        new_game();
        set_level_complete(false);
        input_end_update();
        // The elevator starts from the level's exit.
        memset(level_grid(), 0, LEVEL_GRID_BYTES);
        level_grid()[level_voxel_index(100, 50, 10)] = VOXEL_EXIT;
    }
    void TearDown() override { switch_mode(nullptr); }

    static void press(int vk)
    {
        WindowMessage m = {};
        m.type = WMSG_KEY_DOWN;
        m.key = vk;
        window_proc(m);
    }
    static void activate(bool focused)
    {
        fake.focused = focused;
        WindowMessage m = {};
        m.type = WMSG_ACTIVATE;
        window_proc(m);
    }
    static void step()
    {
        game_update(0.05f);
        input_end_update();
    }
};

TEST_F(Modes, SwitchingCallsLeaveAndEnterOnceAndNeverForTheSameMode)
{
    std::string log;
    RecordingMode a(&log, "a"), b(&log, "b");
    switch_mode(&a);
    EXPECT_EQ(log, "a.enter(null) ");
    switch_mode(&a);
    EXPECT_EQ(log, "a.enter(null) ");
    switch_mode(&b);
    EXPECT_EQ(log, "a.enter(null) a.leave(b) b.enter(a) ");
    EXPECT_EQ(current_mode(), &b);
    switch_mode(nullptr);
    EXPECT_EQ(log, "a.enter(null) a.leave(b) b.enter(a) b.leave(null) ");
    EXPECT_EQ(current_mode(), nullptr);
}

TEST_F(Modes, TheElevatorWinsOverGameOverInOneUpdate)
{
    switch_mode(play_mode());
    set_hero_health(0);
    set_level_complete(true);
    play_mode()->update(0.05f);
    EXPECT_EQ(current_mode(), elevator_mode());
}

TEST_F(Modes, APlayerWithoutHealthEndsInGameOver)
{
    switch_mode(play_mode());
    set_hero_health(0);
    play_mode()->update(0.05f);
    EXPECT_EQ(current_mode(), game_over_mode());
    // The world keeps running behind the text; it stays game over.
    game_over_mode()->update(0.05f);
    EXPECT_EQ(current_mode(), game_over_mode());
}

TEST_F(Modes, NewGameAndAdvanceLevel)
{
    set_hero_health(1);
    set_fire_rate(3);
    set_wall_radius(4);
    set_level_number(9);
    set_upgrade_points(2);
    new_game();
    EXPECT_EQ(hero_health(), 4);
    EXPECT_EQ(fire_rate(), 10.0f);
    EXPECT_EQ(wall_radius(), 2);
    EXPECT_EQ(level_number(), 1);
    EXPECT_EQ(upgrade_points(), 0);
    advance_level();
    EXPECT_EQ(level_number(), 2);
    EXPECT_EQ(upgrade_points(), 5);
}

TEST_F(Modes, TheUpgradesInTheirOrder)
{
    const char* names[] = {"Health", "Fire rate", "Wall destruction"};
    const int costs[] = {5, 3, 5};
    int n = 0;
    for (Upgrade* const* u = upgrades; *u; ++u, ++n) {
        EXPECT_STREQ((*u)->name().s, names[n]);
        EXPECT_EQ((*u)->cost(), costs[n]);
    }
    EXPECT_EQ(n, 3);

    upgrades[0]->apply();
    EXPECT_EQ(hero_health(), 5); // adds to the current health: it heals
    upgrades[1]->apply();
    EXPECT_EQ(fire_rate(), 11.0f);
    EXPECT_TRUE(upgrades[2]->available());
    upgrades[2]->apply();
    upgrades[2]->apply();
    EXPECT_EQ(wall_radius(), 4);
    EXPECT_FALSE(upgrades[2]->available());
}

TEST_F(Modes, GameInitStartsPlayingAndShutdownLeavesWithNoSuccessor)
{
    // The game data is loaded from the program's directory.
    fake.exePath = TARNWICK_BIN_DIR "/game";
    find_app_path();
    game_init();
    EXPECT_EQ(current_mode(), play_mode());
    EXPECT_EQ(level_number(), 1);
    game_shutdown();
    EXPECT_EQ(current_mode(), nullptr);
}

TEST_F(Modes, F5SwitchesOnlyBetweenPlayAndTheViewer)
{
    activate(true);
    switch_mode(play_mode());
    press(VK_F5);
    step();
    EXPECT_EQ(current_mode(), view_level_mode());
    press(VK_F5);
    step();
    EXPECT_EQ(current_mode(), play_mode());

    for (GameMode* m : {game_over_mode(), elevator_mode(), upgrade_mode()}) {
        switch_mode(m);
        press(VK_F5);
        step();
        EXPECT_EQ(current_mode(), m);
    }
}

TEST_F(Modes, EscapeMakesANewLevelBehindTheGameOverText)
{
    activate(true);
    set_hero_health(0);
    switch_mode(game_over_mode());
    set_level_complete(false);
    press(VK_ESCAPE);
    step();
    EXPECT_EQ(current_mode(), game_over_mode());
    EXPECT_FALSE(level_complete());
}

TEST_F(Modes, F3DuringGameOverLeadsToTheElevator)
{
    activate(true);
    set_hero_health(0);
    switch_mode(game_over_mode());
    press(VK_F3);
    step();
    EXPECT_EQ(current_mode(), elevator_mode());
}

TEST_F(Modes, KeysAreIgnoredWhileTheWindowIsInactive)
{
    activate(false);
    switch_mode(play_mode());
    press(VK_F5);
    press(VK_F3);
    step();
    EXPECT_EQ(current_mode(), play_mode());
    EXPECT_FALSE(level_complete());
}

// The pixel scale and the camera, on the fake device's back buffer.
TEST(SceneCamera, ThePixelScaleFollowsTheBackBufferHeight)
{
    fake_frame_reset();
    const int heights[][2] = {{720, 6}, {480, 4}, {360, 3}, {359, 2}, {240, 2}, {239, 1}, {100, 1}};
    for (const auto& h : heights) {
        fake_device.height = h[0];
        compute_pixel_scale();
        EXPECT_EQ(pixel_scale(), h[1]) << h[0];
    }
    // 1280 x 720 shows about 213 x 120 voxels.
    fake_device.width = 1280;
    fake_device.height = 720;
    compute_pixel_scale();
    EXPECT_EQ(fake_device.width / pixel_scale(), 213);
    EXPECT_EQ(fake_device.height / pixel_scale(), 120);
}

TEST(SceneCamera, AFrameHalfWayToTheNextUpdateIsCentredHalfWay)
{
    fake_frame_reset();
    place_hero(0, 0);
    Vec4 start = camera_focus().current;
    set_camera_focus({start.x + 20, start.y, 0, 1});
    camera_interpolate(0.025f);
    float x, y;
    view_centre(&x, &y);
    EXPECT_FLOAT_EQ(x, start.x + 10);
    EXPECT_FLOAT_EQ(y, start.y);
    camera_interpolate(0.0f);
    view_centre(&x, &y);
    EXPECT_FLOAT_EQ(x, start.x);
}

TEST(SceneCamera, TheEyeSitsOnWholeScreenPixelsPlusHalfAPixel)
{
    fake_frame_reset();
    fake_device.height = 360; // 3 pixels per voxel
    compute_pixel_scale();
    set_view_centre({100.4f, 50.2f, 0, 1});
    game_update(0.05f);
    Vec4 eye = update_eye();
    EXPECT_FLOAT_EQ(eye.x, 301.0f / 3 + 0.5f / 3); // 100.4 * 3 = 301.2 rounds to 301
    EXPECT_FLOAT_EQ(eye.y, 151.0f / 3 + 0.5f / 3);
    EXPECT_FLOAT_EQ(eye.z, -120.0f);
    // The front face of the level maps one voxel to three pixels.
    Matrix vp = update_view_projection();
    Vec4 a = transform({eye.x, eye.y, 0, 1}, vp);
    Vec4 b = transform({eye.x + 1, eye.y, 0, 1}, vp);
    EXPECT_NEAR((b.x / b.w - a.x / a.w) * fake_device.width / 2, 3.0f, 1e-4);
}
