// window.cpp - the game's window and its messages.
#include "window.h"

#include "../core/display.h"
#include "../core/input.h"
#include "../core/log.h"
#include "../core/settings.h"
#include "../core/windowInput.h"
#include "../device/d3d_render.h"
#include "mainLoop.h"

static const char* const WINDOW_CLASS = "TarnwickWindow";
static const char* const WINDOW_TITLE = "TARNWICK! DEMO";
// The size of a window whose size the settings leave open, before it is maximised.
enum { DEFAULT_WIDTH = 1280, DEFAULT_HEIGHT = 720 };

static struct {
    bool hideCursor; // set by game_init
    // Windowed placement saved by Alt+Enter; zero until the first switch.
    int savedWidth, savedHeight;
    PlatRect savedRect;
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

static void update_cursor()
{
    plat_show_cursor(!(window_active() && window.hideCursor));
}

void set_hide_cursor(bool hide)
{
    window.hideCursor = hide;
    update_cursor();
}

// Closing destroys the window: it goes inactive and the quit request follows.
static void close_window()
{
    set_window_active(false);
    request_quit();
}

void window_proc(const WindowMessage& msg)
{
    switch (msg.type) {
    case WMSG_SIZE:
        if (!plat_window_minimised() && !display_fullscreen()) {
            int w, h;
            plat_client_size(&w, &h);
            resize_d3d(w, h, false);
        }
        break;
    case WMSG_ACTIVATE:
        set_window_active(plat_window_focused() && !plat_window_minimised());
        update_cursor();
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

void pump_window_messages()
{
    plat_pump_events(window_proc, 0);
    refresh_mouse_in_window();
}

void toggle_fullscreen()
{
    int w = 0, h = 0;
    if (display_fullscreen()) {
        w = window.savedWidth;
        h = window.savedHeight;
        if (w == 0 || h == 0) {
            w = screen_width() / 2;
            h = screen_height() / 2;
        }
    } else {
        plat_client_size(&window.savedWidth, &window.savedHeight);
        plat_window_rect(&window.savedRect);
    }
    resize_d3d(w, h, !display_fullscreen());

    if (display_fullscreen()) {
        plat_set_window_fullscreen(true);
        return;
    }
    plat_set_window_fullscreen(false);
    const PlatRect& r = window.savedRect;
    if (r.left != r.right)
        plat_set_window_rect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    else
        plat_set_window_rect(0, 0, screen_width(), screen_height());
}
