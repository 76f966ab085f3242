// window.cpp - the game's window and its messages.
#include "window.h"

#include "../core/display.h"
#include "../core/input.h"
#include "../core/keyBindings.h"
#include "../core/log.h"
#include "../core/settings.h"
#include "../core/windowInput.h"
#include "../device/d3d_render.h"
#include "../game/gameHooks.h"
#include "mainLoop.h"

static const char* const WINDOW_CLASS = "TarnwickWindow";
static const char* const WINDOW_TITLE = "TARNWICK! DEMO";
// The size of a window whose size the settings leave open, before it is maximised.
enum { DEFAULT_WIDTH = 1280, DEFAULT_HEIGHT = 720 };

static struct {
    bool hideCursor;    // set at start-up, once the game is ready
    PlatRect savedRect; // windowed placement saved by Alt+Enter; zero until the first switch
    int messages;       // handled by window_proc since the program started
} window;

bool register_window_class()
{
    return plat_video_init(WINDOW_CLASS);
}

bool create_main_window(const Settings& s, int* client_width, int* client_height)
{
    bool created;
    if (s.fullscreen) {
        created = plat_create_window(WINDOW_TITLE, 0, 0, 0, 0, PLAT_WINDOW_FULLSCREEN | PLAT_WINDOW_OPENGL);
    } else {
        bool sized = s.window_width >= 1;
        int w = sized ? s.window_width : DEFAULT_WIDTH;
        int h = s.window_height >= 1 ? s.window_height : DEFAULT_HEIGHT;
        PlatRect r = centred_in_work_area(w, h);
        int flags = PLAT_WINDOW_OPENGL | PLAT_WINDOW_RESIZABLE | (sized ? 0 : PLAT_WINDOW_MAXIMISED);
        created = plat_create_window(WINDOW_TITLE, r.left, r.top, w, h, flags);
    }
    if (!created) {
        log_message("can't create window: %s", plat_last_error());
        return false;
    }
    plat_client_size(client_width, client_height);
    if (s.window_width >= 1 && !s.fullscreen)
        *client_width = s.window_width;
    if (s.window_height >= 1 && !s.fullscreen)
        *client_height = s.window_height;
    return true;
}

void refresh_cursor()
{
    plat_show_cursor(!(window_active() && window.hideCursor && !paused()));
}

void set_hide_cursor(bool hide)
{
    window.hideCursor = hide;
    refresh_cursor();
}

// The pause key and the pad's Start: a second press resumes.
static void toggle_pause()
{
    set_paused(!paused());
}

// The pause key (P unless the player bound another key or mouse button)
// pauses and resumes, except while the pause menu waits for a key to bind:
// then it is that key. A mouse button bound to pause does not resume, so
// that the menu can be clicked.
static void pause_key(const WindowMessage& msg, bool button)
{
    if (msg.key != bound_key(ACTION_PAUSE) || game_waits_for_key())
        return;
    if (button && paused())
        return;
    toggle_pause();
}

// Sizes the device to the window's client area in the given mode.
static void fit_device_to_window(bool fullscreen)
{
    int w, h;
    plat_client_size(&w, &h);
    resize_d3d(w, h, fullscreen);
}

// Closing destroys the window: it goes inactive and the quit request follows.
static void close_window()
{
    set_window_active(false);
    request_quit();
}

void window_proc(const WindowMessage& msg)
{
    ++window.messages;
    switch (msg.type) {
    case WMSG_SIZE:
        if (!plat_window_minimised() && !display_fullscreen())
            fit_device_to_window(false);
        break;
    case WMSG_ACTIVATE: {
        // Only a window that had the focus pauses on losing it: one that
        // never had it (a headless run) plays on.
        bool was = window_active();
        set_window_active(plat_window_focused() && !plat_window_minimised());
        if (was && !window_active())
            set_paused(true);
        refresh_cursor();
        break;
    }
    case WMSG_KEY_DOWN:
        if (!msg.repeat)
            pause_key(msg, false);
        queue_input_message(msg);
        break;
    case WMSG_BUTTON_DOWN:
        pause_key(msg, true);
        queue_input_message(msg);
        break;
    case WMSG_PAD_BUTTON_DOWN:
        if (msg.key == VK_GAMEPAD_MENU)
            toggle_pause();
        queue_input_message(msg);
        break;
    case WMSG_PAD_ADDED: {
        PathText shown;
        log_message("gamepad: %s", log_escaped(shown, plat_pad_name()));
        break;
    }
    case WMSG_PAD_REMOVED:
        log_message("gamepad unplugged");
        queue_input_message(msg);
        break;
    case WMSG_SYSKEY_DOWN:
        if (msg.key == VK_F4) {
            close_window();
            break;
        }
        if (msg.key == VK_RETURN) {
            // Holding the keys must not flip the display back and forth.
            if (!msg.repeat)
                toggle_fullscreen();
            break;
        }
        queue_input_message(msg);
        break;
    case WMSG_CLOSE:
        close_window();
        break;
    case WMSG_QUIT:
        request_quit();
        break;
    case WMSG_PAINT:
        break;
    default:
        queue_input_message(msg);
        break;
    }
}

int pump_window_messages(int wait_ms)
{
    int before = window.messages;
    plat_pump_events(window_proc, wait_ms);
    refresh_mouse_in_window();
    // Full screen may be granted late, or not at all, without a size
    // message: in that mode the device follows the window's real size.
    if (display_fullscreen() && !plat_window_minimised())
        fit_device_to_window(true);
    return window.messages - before;
}

void toggle_fullscreen()
{
    bool full = !display_fullscreen();
    if (full) {
        plat_window_rect(&window.savedRect);
        plat_set_window_fullscreen(true);
    } else {
        plat_set_window_fullscreen(false);
        // A game started in full screen has no placement to return to: half the screen.
        const PlatRect& r = window.savedRect;
        if (r.left != r.right) {
            plat_set_window_rect(r.left, r.top, r.right - r.left, r.bottom - r.top);
        } else {
            PlatRect half = centred_in_work_area(screen_width() / 2, screen_height() / 2);
            plat_set_window_rect(half.left, half.top, half.right - half.left, half.bottom - half.top);
        }
    }
    // The window system need not grant full screen (none does without a
    // window manager): the device takes the size the window really has.
    fit_device_to_window(full);
}
