// launcherMain.cpp - the launcher program: its window, main loop and shutdown.
//
// A 640 x 480 window showing the menu, drawn in software into a screen buffer
// that is copied to the window on every paint. The loop processes input and
// repaints after every message and at least 30 times a second; between those
// it sleeps in the event wait instead of spinning.
#include <stdint.h>

#include "../core/about.h"
#include "../core/display.h"
#include "../core/input.h"
#include "../core/log.h"
#include "../core/paths.h"
#include "../core/timer.h"
#include "../core/windowInput.h"
#include "../kiln/guiBehaviours.h"
#include "../platform/platform.h"
#include "launcherMenu.h"
#include "swrender.h"

static const char* const WINDOW_CLASS = "TarnwickLauncherWindow";
static const char* const WINDOW_TITLE = "TARNWICK! Launcher";

enum {
    CLIENT_WIDTH = 640,
    CLIENT_HEIGHT = 480,
    UPDATES_PER_SECOND = 30,
    REF_WIDTH = 40,
    REF_HEIGHT = 30,
};

static struct {
    SoftwareGuiRenderer* renderer; // made at set-up, lives until the process ends
    GuiScreen* screen;             // made at set-up, deleted by shutdown_all
    ScreenBuffer buffer;           // sized by the first paint; freed by shutdown_all
    bool messageArrived;           // reset before each drain: a message other than paint came
} app;

int screen_width()
{
    return app.buffer.width;
}

int screen_height()
{
    return app.buffer.height;
}

bool display_fullscreen()
{
    return false;
}

// Sizes the buffer to the client area and hands it to the renderer; true
// when the size changed, so that the menu must be laid out again.
static bool fit_buffer_to_window()
{
    int w, h;
    plat_client_size(&w, &h);
    bool resized = false;
    if (w != app.buffer.width || h != app.buffer.height) {
        resize_screen_buffer(&app.buffer, w, h);
        resized = true;
    }
    app.renderer->set_buffer(
        app.buffer.pixels.data(), app.buffer.width * 4, app.buffer.width, app.buffer.height);
    return resized;
}

static void paint_window()
{
    // The renderer gets the new buffer before the layout asks it for its size.
    if (fit_buffer_to_window())
        app.screen->relayout();
    app.renderer->clear(0);
    app.screen->draw();
    plat_present_pixels(app.buffer.pixels.data(), app.buffer.width, app.buffer.height);
}

static void launcher_window_proc(const WindowMessage& msg)
{
    if (msg.type != WMSG_PAINT)
        app.messageArrived = true;
    switch (msg.type) {
    case WMSG_PAINT:
        if (app.screen)
            paint_window();
        break;
    case WMSG_SIZE:
        break;
    case WMSG_SYSKEY_DOWN:
        if (msg.key == VK_F4) {
            launcher_request_quit();
            break;
        }
        queue_input_message(msg);
        break;
    case WMSG_CLOSE:
    case WMSG_QUIT:
        launcher_request_quit();
        break;
    default:
        queue_input_message(msg);
        break;
    }
}

// Milliseconds until the next update is due, rounded up; 0 when it is due.
static int wait_ms(int64_t lastUpdate, int64_t period)
{
    int64_t left = lastUpdate + period - timer_now();
    if (left <= 0)
        return 0;
    return static_cast<int>((left * 1000 + timer_frequency() - 1) / timer_frequency());
}

static void main_loop()
{
    int64_t period = timer_frequency() / UPDATES_PER_SECOND;
    int64_t lastUpdate = timer_now() - period;
    while (!launcher_quit_requested()) {
        app.messageArrived = false;
        plat_pump_events(launcher_window_proc, wait_ms(lastUpdate, period));
        plat_reap_children();
        refresh_mouse_in_window();
        int64_t now = timer_now();
        if (app.messageArrived || now - lastUpdate >= period) {
            lastUpdate = now;
            app.screen->process_input();
            paint_window();
        }
        input_end_update();
    }
}

static void set_up_menu()
{
    launcher_read_settings();
    app.renderer = new SoftwareGuiRenderer;
    app.renderer->set_font(app.renderer->load_font("font.tga"));
    set_gui_font_pixel_size(app.renderer->pixelScale());
    register_gui_behaviours();
    GuiElement* root = build_launcher_menu();
    fit_buffer_to_window();
    app.screen = new GuiScreen(app.renderer, root, REF_WIDTH, REF_HEIGHT);
    root->add_handler(launcher_handler(), -1);
}

int main(int argc, char** argv)
{
    plat_open_standard_streams();
    if (answer_help_or_version(argc, argv, "tarnwick-launcher",
            "usage: tarnwick-launcher\n"
            "Picks the display and sound options, stores them and starts the game; takes no switches\n"
            "but --help and --version."))
        return 0;
    set_error_box_title(WINDOW_TITLE);
    find_app_path();
    timer_init();
    int64_t start = timer_now();
    if (!plat_video_init(WINDOW_CLASS))
        return 0;

    PlatRect r = centred_in_work_area(CLIENT_WIDTH, CLIENT_HEIGHT);
    log_message("wr: %d %d %d %d", r.left, r.top, r.right, r.bottom);
    if (!plat_create_window(
            WINDOW_TITLE, r.left, r.top, CLIENT_WIDTH, CLIENT_HEIGHT, PLAT_WINDOW_RESIZABLE)) {
        log_message("can't create window: %s", plat_last_error());
        fatal_error("can't create the launcher window");
    }
    input_init();
    set_up_menu();
    log_message("total start-up time: %d ms", static_cast<int>(ticks_to_ms(timer_now() - start)));

    main_loop();
    shutdown_all();
    return launcher_failed() ? 1 : 0;
}

void shutdown_all()
{
    log_message("closing...");
    delete app.screen;
    app.screen = nullptr;
    app.buffer.pixels.free_all();
    input_end_update();
    plat_video_shutdown();
    log_message("closed all systems");
}
