// The pause menu on the fake device, driven as the main loop drives it while
// paused: input queued, then the paused pass (game_paused_input) and the
// input dropped. Options and keys are stored in a settings store of the
// test's own.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "core/keyBindings.h"
#include "core/settings.h"
#include "fakeSound.h"
#include "game/hero.h"
#include "game/pauseMenu.h"
#include "game/playback.h"
#include "game/updateInput.h"
#include "game/upgrades.h"
#include "screensFixture.h"

namespace {

// What the menu asked of the program above the game.
struct ProgramSide {
    bool paused = false;
    int quits = 0;
};
ProgramSide program;

bool set_paused_for_test(bool paused)
{
    program.paused = paused;
    game_set_paused(paused);
    return true;
}

// A settings store of the test's own, the options and keys read from it, and
// the menu's hooks into a program of the test's own.
void start_menu_world(std::string* configDir)
{
    char pattern[] = "/tmp/tarnwick-menu-XXXXXX";
    *configDir = mkdtemp(pattern);
    setenv("XDG_CONFIG_HOME", configDir->c_str(), 1);
    const char* argv[] = {"game"};
    read_settings(1, argv);
    read_key_bindings();
    program = ProgramSide();
    fake_sound = FakeSound();
    set_menu_hooks({set_paused_for_test, [] { ++program.quits; }, nullptr, nullptr});
}

void end_menu_world(const std::string& configDir)
{
    reset_key_bindings();
    std::string cmd = "rm -rf '" + configDir + "'";
    EXPECT_EQ(system(cmd.c_str()), 0);
    unsetenv("XDG_CONFIG_HOME");
}

// One pass of the main loop while paused.
void paused_pass()
{
    game_paused_input();
    input_end_update();
}

class PauseMenu : public ScreensTest {
protected:
    void SetUp() override
    {
        start_menu_world(&configDir);
        start_playback(5, nullptr, nullptr, 0.05f); // the player plays: nothing recorded
        ScreensTest::SetUp();
    }
    void TearDown() override
    {
        ScreensTest::TearDown();
        end_menu_world(configDir);
    }

    static void press(int vk)
    {
        key_down(vk);
        paused_pass();
        key_up(vk);
        paused_pass();
    }
    static GuiElement* menu_button(int command)
    {
        GuiElement* b = with_command(pause_menu_screen()->root, command);
        EXPECT_NE(b, nullptr) << command;
        return b;
    }
    // Pressed in one paused pass, released in the next.
    static void click_paused(int command)
    {
        GuiElement* b = menu_button(command);
        if (!b)
            return;
        press_at(centre_x(b), centre_y(b));
        paused_pass();
        release_left();
        paused_pass();
    }
    static std::string stored_text(const char* name)
    {
        char text[256] = {};
        return settings_read_text(name, text, sizeof text) ? text : "";
    }

    std::string configDir;
};

} // namespace

// Options: five clicks on "-" take the volume from 80 to 30 in the sound and
// the store at once. Controls: jump goes to K (Escape cancels choosing the
// key). Escape backs out and resumes, and the held Escape makes no new
// level; then K jumps and W no longer does.
TEST_F(PauseMenu, VolumeAndAJumpKeyChangedThroughTheMenu)
{
    step(30); // the hero has landed
    set_paused_for_test(true);
    ASSERT_NE(pause_menu_screen(), nullptr);
    EXPECT_EQ(pause_menu_screen()->shown_focus()->commandId, PAUSE_RESUME);
    press(VK_DOWN);
    press(VK_RETURN);
    ASSERT_EQ(pause_menu_page(), PAUSE_PAGE_OPTIONS);

    for (int i = 0; i < 5; ++i)
        click_paused(PAUSE_VOLUME_DOWN);
    uint32_t volume = 0, flags = 0;
    EXPECT_TRUE(settings_read_dword("volume", &volume));
    EXPECT_EQ(volume, 30u);
    EXPECT_TRUE(settings_read_dword("flags", &flags));
    EXPECT_EQ(flags, static_cast<uint32_t>(SETTINGS_VSYNC)) << "the whole options state is stored";
    EXPECT_EQ(fake_sound.volume, 30);
    EXPECT_NE(with_text(pause_menu_screen()->root, "Volume 30"), nullptr);
    EXPECT_STREQ(pause_menu_store_failure(), "");

    press(VK_ESCAPE);
    ASSERT_EQ(pause_menu_page(), PAUSE_PAGE_MAIN);
    EXPECT_TRUE(program.paused) << "Escape on a page goes back, not out";
    press(VK_DOWN);
    press(VK_DOWN);
    press(VK_RETURN);
    ASSERT_EQ(pause_menu_page(), PAUSE_PAGE_CONTROLS);
    click_paused(PAUSE_BIND + ACTION_JUMP);
    ASSERT_TRUE(pause_menu_waits_for_key());
    press(VK_ESCAPE);
    EXPECT_FALSE(pause_menu_waits_for_key());
    EXPECT_EQ(pause_menu_page(), PAUSE_PAGE_CONTROLS) << "Escape only cancelled the choice";
    // A mouse button bound over the Defaults button: its release clicks nothing.
    click_paused(PAUSE_BIND + ACTION_VIEWER);
    GuiElement* defaults = menu_button(PAUSE_DEFAULT_KEYS);
    press_at(centre_x(defaults), centre_y(defaults));
    paused_pass();
    release_left();
    paused_pass();
    EXPECT_EQ(bound_key(ACTION_VIEWER), VK_LBUTTON);
    EXPECT_EQ(bound_key(ACTION_FIRE), VK_F5) << "fire took the viewer's key";
    click_paused(PAUSE_DEFAULT_KEYS);
    EXPECT_EQ(bound_key(ACTION_FIRE), VK_LBUTTON);
    click_paused(PAUSE_BIND + ACTION_JUMP);
    press('K');
    EXPECT_EQ(bound_key(ACTION_JUMP), 'K');
    EXPECT_EQ(stored_text("controls"), "left=65 right=68 jump=75 fire=1 pause=80 viewer=116");
    EXPECT_STREQ(menu_button(PAUSE_BIND + ACTION_JUMP)->find_by_name(".normal")->text.s, "K");

    press(VK_ESCAPE);
    float x = hero_position().x;
    key_down(VK_ESCAPE);
    paused_pass();
    EXPECT_FALSE(program.paused);
    EXPECT_EQ(pause_menu_screen(), nullptr);
    step(2);
    EXPECT_NEAR(hero_position().x, x, 1) << "the Escape that resumed made no new level";
    key_up(VK_ESCAPE);
    step();

    float y = hero_position().y;
    key_down('W');
    step();
    key_up('W');
    EXPECT_EQ(update_input().pressed & game_key_bit('W'), 0);
    step(4);
    EXPECT_NEAR(hero_position().y, y, 0.01f) << "W no longer jumps";
    key_down('K');
    step();
    EXPECT_NE(update_input().pressed & game_key_bit('W'), 0);
    step(4);
    key_up('K');
    EXPECT_GT(hero_position().y, y + 2) << "K jumps";
}

// The Enter that presses Resume on the game-over screen does not restart the
// game when it is let go; New game does. A failed store is shown. Quit asks
// the program to quit.
TEST_F(PauseMenu, TheKeyThatResumesDoesNotActAndNewGameStartsOne)
{
    set_level_number(3);
    switch_mode(game_over_mode());
    step(12);
    set_paused_for_test(true);
    key_down(VK_RETURN);
    paused_pass();
    EXPECT_FALSE(program.paused);
    step();
    key_up(VK_RETURN);
    step();
    EXPECT_EQ(current_mode(), game_over_mode());

    set_paused_for_test(true);
    for (int i = 0; i < 3; ++i)
        press(VK_DOWN);
    ASSERT_EQ(pause_menu_screen()->shown_focus()->commandId, PAUSE_NEW_GAME);
    press(VK_RETURN);
    EXPECT_FALSE(program.paused);
    EXPECT_EQ(current_mode(), play_mode());
    EXPECT_EQ(level_number(), 1);

    // A store that can't be written: the option still changes, and the page says why.
    set_paused_for_test(true);
    std::string blocked = configDir + "/blocked";
    ASSERT_EQ(system(("touch '" + blocked + "'").c_str()), 0);
    setenv("XDG_CONFIG_HOME", blocked.c_str(), 1);
    click_paused(PAUSE_OPTIONS);
    click_paused(PAUSE_VOLUME_UP);
    EXPECT_EQ(settings().volume, 90);
    std::string failure = pause_menu_store_failure();
    EXPECT_EQ(failure, "Not saved: Not a directory");
    EXPECT_NE(with_text(pause_menu_screen()->root, failure.c_str()), nullptr) << "shown on the page";
    setenv("XDG_CONFIG_HOME", configDir.c_str(), 1);
    press(VK_ESCAPE);
    click_paused(PAUSE_QUIT);
    EXPECT_EQ(program.quits, 1);
    EXPECT_TRUE(program.paused) << "the program ends the run, still paused";
}

// A replay paused with the options changed on the way plays on to its
// recorded checkpoints and end: the menu offers no New game there.
TEST(PauseMenuReplay, AReplayPausedInTheMiddleStillMatchesItsRecording)
{
    std::string configDir;
    start_menu_world(&configDir);
    start_font_on_fakes();
    ::testing::internal::CaptureStdout();
    start_playback(0, nullptr, TARNWICK_SOURCE_DIR "/tests/recordings/upgrade.rec", 0.05f);
    game_init();
    for (int i = 0; i < 100 && play_update(0.05f); ++i)
        input_end_update();
    set_paused_for_test(true);
    GuiElement* root = pause_menu_screen()->root;
    EXPECT_EQ(with_command(root, PAUSE_NEW_GAME), nullptr);
    EXPECT_NE(with_command(root, PAUSE_QUIT), nullptr);
    push_input_event(INPUT_KEY_DOWN, VK_GAMEPAD_DPAD_DOWN, 0, 0, 0, 0);
    push_input_event(INPUT_KEY_DOWN, VK_GAMEPAD_A, 0, 0, 0, 0);
    paused_pass();
    ASSERT_EQ(pause_menu_page(), PAUSE_PAGE_OPTIONS);
    push_input_event(INPUT_KEY_DOWN, VK_RETURN, 0, 0, 0, 0); // the focused toggle: window or full screen
    push_input_event(INPUT_KEY_DOWN, VK_GAMEPAD_B, 0, 0, 0, 0);
    push_input_event(INPUT_KEY_DOWN, VK_GAMEPAD_B, 0, 0, 0, 0);
    paused_pass();
    EXPECT_FALSE(program.paused);
    while (play_update(playback_update_seconds(0.05f)))
        input_end_update();
    bool ok = finish_playback();
    game_shutdown();
    std::string log = ::testing::internal::GetCapturedStdout();
    font_shutdown();
    EXPECT_TRUE(ok) << log;
    EXPECT_NE(log.find("replay ended after"), std::string::npos) << log;
    end_menu_world(configDir);
}
