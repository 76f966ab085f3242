// screensFixture.h - the whole game on the fake device and platform, for the
// screens between levels.
//
// SetUp starts the font and the game as the program does (game data from the
// build's program directory, a generated level, the playing mode); updates
// run through game_update with the input of each update queued before it.
// Clicks go through the input queue to the centre of an element's box.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/input.h"
#include "core/paths.h"
#include "core/random.h"
#include "fakeFrame.h"
#include "fakePlatform.h"
#include "fontQuads.h"
#include "game/gameHooks.h"
#include "game/gameMode.h"
#include "guiSearch.h"
#include "kiln/font.h"
#include "kiln/gui.h"

// Fresh fakes, the build's program directory and the game's font on the fake device.
inline void start_font_on_fakes()
{
    fake_reset();
    fake_frame_reset();
    fake.exePath = TARNWICK_BIN_DIR "/game";
    find_app_path();
    font_init();
}

class ScreensTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        start_font_on_fakes();
        rng_seed(5);
        game_init();
        input_end_update();
    }
    void TearDown() override
    {
        for (bool& k : fake.keyHeld)
            k = false;
        fake.modifiers = 0;
        input_end_update();
        game_shutdown();
        font_shutdown();
    }

    // n updates of 0.05 s, the queued input consumed by the first.
    static void step(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            game_update(0.05f);
            input_end_update();
        }
    }
    static void key_down(int vk)
    {
        fake.keyHeld[vk] = true;
        push_input_event(INPUT_KEY_DOWN, vk, 0, 0, 0, 0);
    }
    static void key_up(int vk)
    {
        fake.keyHeld[vk] = false;
        push_input_event(INPUT_KEY_UP, vk, 0, 0, 0, 0);
    }
    // A mouse button goes down or up where the pointer is (the left one
    // marks the events it is held in as the platform does).
    static void button_down(int vk)
    {
        fake.keyHeld[vk] = true;
        fake.modifiers |= vk == VK_LBUTTON ? INPUT_LBUTTON : 0;
        push_input_event(INPUT_MOUSE_DOWN, vk, 0, 0, 0, 0);
    }
    static void button_up(int vk)
    {
        fake.keyHeld[vk] = false;
        fake.modifiers &= vk == VK_LBUTTON ? ~INPUT_LBUTTON : ~0;
        push_input_event(INPUT_MOUSE_UP, vk, 0, 0, 0, 0);
    }
    // The pointer moves to (x, y) and the left button goes down there.
    static void press_at(int x, int y)
    {
        push_input_event(INPUT_MOUSE_MOVE, 0, 0, 0, x, y);
        button_down(VK_LBUTTON);
    }
    static void release_left() { button_up(VK_LBUTTON); }
    // The centre of the element's box, in client pixels.
    static int centre_x(const GuiElement* e) { return static_cast<int>((e->box.left + e->box.right) / 2); }
    static int centre_y(const GuiElement* e) { return static_cast<int>((e->box.top + e->box.bottom) / 2); }
    // Pressed in one update, released in the next.
    static void click(const GuiElement* e)
    {
        press_at(centre_x(e), centre_y(e));
        step();
        release_left();
        step();
    }

    // Shown by itself and its ancestors.
    static bool shown(const GuiElement* e) { return e && e->is_shown(); }
};
