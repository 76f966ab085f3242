// The input queue, per-update key states and the window's message handling.
#include "core/input.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "app/mainLoop.h"
#include "app/window.h"
#include "core/display.h"
#include "core/keyBindings.h"
#include "fakeFrame.h"
#include "fakePlatform.h"

class Input : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake_reset();
        fake_frame_reset();
        send(WMSG_BUTTON_UP, 1); // no capture left over from another test
        set_paused(false);
        input_end_update();
        input_init();
    }
    static void send(WindowMessageType type, int key = 0, int x = 0, int y = 0, bool repeat = false)
    {
        WindowMessage m = {};
        m.type = type;
        m.key = key;
        m.x = x;
        m.y = y;
        m.repeat = repeat;
        m.wheel = type == WMSG_WHEEL ? key : 0;
        window_proc(m);
    }
    static std::vector<InputEvent> drain()
    {
        std::vector<InputEvent> events;
        InputEvent e;
        while (pop_input_event(&e))
            events.push_back(e);
        return events;
    }
};

TEST_F(Input, AHeldKeyIsPressedOnceAndThenRepeatsWithoutSettingItsState)
{
    send(WMSG_KEY_DOWN, 'A');
    send(WMSG_KEY_DOWN, 'A', 0, 0, true);
    EXPECT_TRUE(key_pressed('A'));
    EXPECT_FALSE(key_released('A'));
    std::vector<InputEvent> events = drain();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].type, INPUT_KEY_DOWN);
    EXPECT_EQ(events[0].flags & INPUT_REPEAT, 0);
    EXPECT_EQ(events[0].ch, 'a');
    EXPECT_EQ(events[1].flags & INPUT_REPEAT, INPUT_REPEAT);

    input_end_update();
    send(WMSG_KEY_DOWN, 'A', 0, 0, true);
    EXPECT_FALSE(key_pressed('A'));
    EXPECT_EQ(drain().size(), 1u);
}

TEST_F(Input, PressAndReleaseWithinOneUpdateLeaveBothStates)
{
    send(WMSG_KEY_DOWN, VK_SPACE);
    send(WMSG_KEY_UP, VK_SPACE);
    EXPECT_TRUE(key_pressed(VK_SPACE));
    EXPECT_TRUE(key_released(VK_SPACE));
    input_end_update();
    EXPECT_FALSE(key_pressed(VK_SPACE));
    EXPECT_FALSE(key_released(VK_SPACE));
    InputEvent e;
    EXPECT_FALSE(pop_input_event(&e)); // unread events are dropped after the update
}

TEST_F(Input, KeyCodesAbove255AreQueuedButNotRecorded)
{
    push_input_event(INPUT_KEY_DOWN, 300, 0, 0, -1, -1);
    EXPECT_FALSE(key_pressed(300));
    std::vector<InputEvent> events = drain();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].key, 300);
}

TEST_F(Input, ModifiersComeFromTheKeyboardStateWhenTheEventIsBuilt)
{
    fake.modifiers = INPUT_SHIFT | INPUT_CAPS_LOCK | INPUT_LBUTTON;
    send(WMSG_KEY_DOWN, 'Q');
    std::vector<InputEvent> events = drain();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].flags, INPUT_SHIFT | INPUT_CAPS_LOCK | INPUT_LBUTTON);
    EXPECT_EQ(events[0].ch, 'Q');
}

TEST_F(Input, MouseMovesAreClampedToTheBackBuffer)
{
    send(WMSG_BUTTON_DOWN, VK_LBUTTON, 10, 10);
    EXPECT_TRUE(fake.captured);
    send(WMSG_MOUSE_MOVE, 0, 5000, -30); // dragged out of the window
    std::vector<InputEvent> events = drain();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].type, INPUT_MOUSE_MOVE);
    EXPECT_EQ(events[1].x, 639.0f);
    EXPECT_EQ(events[1].y, 0.0f);
    float x, y;
    mouse_pos(&x, &y);
    EXPECT_EQ(x, 639.0f);
    EXPECT_EQ(y, 0.0f);

    // Key events carry the stored mouse position.
    send(WMSG_KEY_DOWN, 'W');
    events = drain();
    EXPECT_EQ(events[0].x, 639.0f);
}

TEST_F(Input, ReleasingAButtonPutsTheCursorBackWhereTheGameLastSawIt)
{
    send(WMSG_MOUSE_MOVE, 0, 200, 100);
    send(WMSG_BUTTON_DOWN, VK_RBUTTON, 200, 100);
    EXPECT_TRUE(key_pressed(VK_RBUTTON));
    refresh_mouse_in_window();
    EXPECT_TRUE(mouse_in_window()); // captured counts as inside
    send(WMSG_BUTTON_UP, VK_RBUTTON, -50, 900);
    EXPECT_TRUE(key_released(VK_RBUTTON));
    EXPECT_FALSE(fake.captured);
    EXPECT_EQ(fake.warpX, 200);
    EXPECT_EQ(fake.warpY, 100);
    std::vector<InputEvent> events = drain();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[2].type, INPUT_MOUSE_UP);
    EXPECT_EQ(events[2].key, VK_RBUTTON);
    EXPECT_EQ(events[2].x, 200.0f);
    EXPECT_EQ(events[2].y, 100.0f);
    refresh_mouse_in_window();
    EXPECT_FALSE(mouse_in_window());
}

TEST_F(Input, ADoubleClickQueuesASecondDownWithTheRepeatFlag)
{
    send(WMSG_BUTTON_DOWN, VK_LBUTTON, 5, 5);
    send(WMSG_BUTTON_UP, VK_LBUTTON, 5, 5);
    int focusBefore = fake.focusCount;
    send(WMSG_BUTTON_DBLCLK, VK_LBUTTON, 5, 5);
    EXPECT_EQ(fake.focusCount, focusBefore); // no focus change on a double click
    send(WMSG_BUTTON_UP, VK_LBUTTON, 5, 5);
    std::vector<InputEvent> events = drain();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[2].type, INPUT_MOUSE_DOWN);
    EXPECT_EQ(events[2].flags & INPUT_REPEAT, INPUT_REPEAT);
    EXPECT_EQ(events[3].type, INPUT_MOUSE_UP);
}

TEST_F(Input, WheelEventsCarryTheirNotches)
{
    send(WMSG_WHEEL, -2, 30, 40);
    std::vector<InputEvent> events = drain();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, INPUT_MOUSE_WHEEL);
    EXPECT_EQ(events[0].wheel, -2);
    EXPECT_EQ(events[0].key, 0);
    EXPECT_EQ(events[0].x, 30.0f);
}

TEST_F(Input, LiveKeyStateComesFromTheSystem)
{
    fake.keyHeld[VK_LEFT] = true;
    EXPECT_TRUE(is_key_down(VK_LEFT));
    EXPECT_FALSE(key_pressed(VK_LEFT));
    set_mouse_pos(12.7f, 3.2f);
    EXPECT_EQ(fake.warpX, 12);
    EXPECT_EQ(fake.warpY, 3);
    float x, y;
    mouse_pos(&x, &y);
    EXPECT_EQ(x, 0.0f); // the stored position waits for the move message
}

TEST_F(Input, KeyNames)
{
    EXPECT_STREQ(key_name(1), "Left Mouse Button");
    EXPECT_STREQ(key_name(3), "?");
    EXPECT_STREQ(key_name(VK_RETURN), "Enter");
    EXPECT_STREQ(key_name(VK_CAPITAL), "Caps Lock");
    EXPECT_STREQ(key_name(VK_DOWN), "Down Arrow");
    EXPECT_STREQ(key_name('7'), "7");
    EXPECT_STREQ(key_name('Z'), "Z");
    EXPECT_STREQ(key_name(93), "Application");
    EXPECT_STREQ(key_name(105), "NumPad 9");
    EXPECT_STREQ(key_name(107), "Add");
    EXPECT_STREQ(key_name(108), "?");
    EXPECT_STREQ(key_name(109), "Subtract");
    EXPECT_STREQ(key_name(VK_F12), "F12");
    EXPECT_STREQ(key_name(145), "Scroll Lock");
    EXPECT_STREQ(key_name(192), "Grave");
    EXPECT_STREQ(key_name(222), "Apostrophe");
    EXPECT_STREQ(key_name(255), "?");
    EXPECT_STREQ(key_name(256), "?");
    EXPECT_STREQ(key_name(-1), "?");
}

TEST_F(Input, AltEnterTwiceReturnsToTheSameWindowedSizeAndPlace)
{
    fake.windowRect = {100, 50, 740, 410};
    fake_device.width = 640;
    fake_device.height = 360;
    send(WMSG_SYSKEY_DOWN, VK_RETURN);
    EXPECT_TRUE(display_fullscreen());
    EXPECT_TRUE(fake.windowFullscreen);
    EXPECT_EQ(screen_width(), 1920);
    send(WMSG_SYSKEY_DOWN, VK_RETURN, 0, 0, true); // held keys do not flip back
    EXPECT_TRUE(display_fullscreen());
    send(WMSG_SYSKEY_UP, VK_RETURN);
    send(WMSG_SYSKEY_DOWN, VK_RETURN);
    EXPECT_FALSE(display_fullscreen());
    EXPECT_FALSE(fake.windowFullscreen);
    EXPECT_EQ(screen_width(), 640);
    EXPECT_EQ(screen_height(), 360);
    EXPECT_EQ(fake.windowRect.left, 100);
    EXPECT_EQ(fake.windowRect.top, 50);
    EXPECT_EQ(fake.windowRect.right, 740);
    // The toggle itself queues no key event.
    for (const InputEvent& e : drain())
        EXPECT_NE(e.type, INPUT_KEY_DOWN);
}

// The device follows the window's client area after the switch, whether the
// window system granted full screen (the desktop) or not (no window manager).
TEST_F(Input, AltEnterSizesTheDeviceToTheWindowItGot)
{
    for (bool granted : {true, false}) {
        fake.fullscreenGranted = granted;
        fake.windowRect = {100, 50, 740, 410};
        fake_device.width = 640;
        fake_device.height = 360;
        fake_device.fullscreen = false;
        toggle_fullscreen();
        EXPECT_TRUE(display_fullscreen());
        EXPECT_EQ(screen_width(), granted ? 1920 : 640) << granted;
        EXPECT_EQ(screen_height(), granted ? 1080 : 360) << granted;
        toggle_fullscreen();
        EXPECT_EQ(screen_width(), 640) << granted;
    }
    // Granted late and without a size message: the next pump follows.
    fake.fullscreenGranted = false;
    toggle_fullscreen();
    fake.windowRect = {0, 0, 1920, 1080};
    pump_window_messages();
    EXPECT_TRUE(display_fullscreen());
    EXPECT_EQ(screen_width(), 1920);
}

TEST_F(Input, LeavingAStartInFullScreenHalvesTheScreen)
{
    // The saved windowed placement lives as long as the process, so the
    // program that never saved one is a freshly started child.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            fake_device.fullscreen = true;
            fake_device.width = 1920;
            fake_device.height = 1080;
            toggle_fullscreen();
            bool halved = !display_fullscreen() && screen_width() == 960 && screen_height() == 540;
            _exit(halved ? 7 : 1);
        },
        ::testing::ExitedWithCode(7), "");
    GTEST_FLAG_SET(death_test_style, "fast");
}

TEST_F(Input, AltWithOtherKeysIsAPlainKeyDownAndAltF4Closes)
{
    send(WMSG_SYSKEY_DOWN, 'X');
    EXPECT_TRUE(key_pressed('X'));
    EXPECT_EQ(drain().size(), 1u);
    EXPECT_FALSE(quit_requested());
    // The quit request cannot be taken back, so it is made in a child process.
    EXPECT_EXIT(
        {
            send(WMSG_SYSKEY_DOWN, VK_F4);
            _exit(quit_requested() && !window_active() ? 7 : 1);
        },
        ::testing::ExitedWithCode(7), "");
}

TEST_F(Input, SizeChangesReachTheDeviceOnlyWhenWindowed)
{
    fake.windowRect = {0, 0, 800, 600};
    fake.minimised = true;
    send(WMSG_SIZE);
    EXPECT_EQ(fake_device.resizeCalls, 0);
    fake.minimised = false;
    fake_device.fullscreen = true;
    send(WMSG_SIZE);
    EXPECT_EQ(fake_device.resizeCalls, 0);
    fake_device.fullscreen = false;
    send(WMSG_SIZE);
    EXPECT_EQ(fake_device.resizeCalls, 1);
    EXPECT_EQ(screen_width(), 800);
    EXPECT_EQ(screen_height(), 600);
}

// A window that never had the focus plays on; losing the focus or being
// minimised pauses until P or the pad's Start resumes, and the cursor shows
// while paused.
TEST_F(Input, ActivationPauseAndTheHiddenCursor)
{
    fake.focused = false;
    send(WMSG_ACTIVATE);
    EXPECT_FALSE(paused());
    fake.focused = true;
    send(WMSG_ACTIVATE);
    EXPECT_TRUE(window_active());
    set_hide_cursor(true);
    EXPECT_FALSE(fake.cursorVisible);
    fake.minimised = true;
    send(WMSG_ACTIVATE);
    EXPECT_FALSE(window_active());
    EXPECT_TRUE(paused());
    EXPECT_TRUE(fake.cursorVisible);
    fake.minimised = false;
    send(WMSG_ACTIVATE);
    EXPECT_TRUE(paused()) << "until the player resumes";
    EXPECT_TRUE(fake.cursorVisible);
    send(WMSG_PAD_BUTTON_DOWN, VK_GAMEPAD_MENU);
    EXPECT_FALSE(paused());
    EXPECT_FALSE(fake.cursorVisible);
    send(WMSG_KEY_DOWN, 'P');
    EXPECT_TRUE(paused());
    send(WMSG_KEY_DOWN, 'P', 0, 0, true); // auto-repeat does not toggle
    EXPECT_TRUE(paused());
    fake.focused = false;
    send(WMSG_ACTIVATE);
    send(WMSG_KEY_DOWN, 'P');
    EXPECT_FALSE(paused());
    set_hide_cursor(false);
}

// The pause key is the one bound to pause; while the menu waits for a key to
// bind it is that key, and a mouse button bound to pause does not resume (the
// menu is clicked with it).
TEST_F(Input, ThePauseKeyFollowsItsBinding)
{
    ASSERT_TRUE(bind_key(ACTION_PAUSE, 'K'));
    send(WMSG_KEY_DOWN, 'P');
    EXPECT_FALSE(paused());
    send(WMSG_KEY_DOWN, 'K');
    EXPECT_TRUE(paused());
    fake_game.waitsForKey = true;
    send(WMSG_KEY_DOWN, 'K');
    EXPECT_TRUE(paused());
    fake_game.waitsForKey = false;
    send(WMSG_KEY_DOWN, 'K');
    EXPECT_FALSE(paused());
    ASSERT_TRUE(bind_key(ACTION_PAUSE, VK_MBUTTON));
    send(WMSG_BUTTON_DOWN, VK_MBUTTON);
    EXPECT_TRUE(paused());
    send(WMSG_BUTTON_DOWN, VK_MBUTTON);
    EXPECT_TRUE(paused());
    reset_key_bindings();
    send(WMSG_BUTTON_UP, VK_MBUTTON);
    set_paused(false);
}
