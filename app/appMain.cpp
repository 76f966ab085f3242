// appMain.cpp - the game program's start-up and shutdown.
#include "appMain.h"

#include <time.h>

#include "../core/about.h"
#include "../core/daily.h"
#include "../core/input.h"
#include "../core/keyBindings.h"
#include "../core/log.h"
#include "../core/paths.h"
#include "../core/settings.h"
#include "../core/timer.h"
#include "../device/d3d_render.h"
#include "../game/gameHooks.h"
#include "../game/playback.h"
#include "../game/runStats.h"
#include "../kiln/font.h"
#include "../platform/platform.h"
#include "../sound/sound.h"
#include "gpuLoad.h"
#include "mainLoop.h"
#include "perfOverlay.h"
#include "window.h"

// One frame: the game's picture, then the performance overlay over it.
static void draw_frame(float lag_seconds)
{
    game_draw(lag_seconds);
    if (!perf_overlay_on())
        return;
    font_begin();
    draw_perf_overlay();
    font_end();
}

// The start-up's steps in the order they run, timed for the log line that
// breaks the start-up time down.
enum StartupStep { STEP_WINDOW, STEP_DEVICE, STEP_FONT, STEP_GAME, STARTUP_STEPS };
static int64_t startup_ends[STARTUP_STEPS];

// Marks the end of a start-up step.
static void end_startup_step(StartupStep step)
{
    startup_ends[step] = timer_now();
}

// Logs the start-up time and what each step took of it.
static void log_startup_time(int64_t start)
{
    int ms[STARTUP_STEPS];
    for (int i = 0; i < STARTUP_STEPS; ++i)
        ms[i] = static_cast<int>(ticks_to_ms(startup_ends[i] - (i ? startup_ends[i - 1] : start)));
    log_message("total start-up time: %d ms", static_cast<int>(ticks_to_ms(startup_ends[STEP_GAME] - start)));
    log_message("start-up steps: settings and window %d ms, input, sound and device %d ms, font and loading "
                "screen %d ms, game data and first level %d ms",
        ms[STEP_WINDOW], ms[STEP_DEVICE], ms[STEP_FONT], ms[STEP_GAME]);
}

// The pause menu changed vertical sync or anti-aliasing: the device resets
// to choose them again.
static void reset_display()
{
    if (!reset_d3d())
        log_message("can't reset the graphics device for the new display settings");
}

// Shuts down after the main loop; the program's exit code. A recording that
// could not be written or a replay that parted from its recording is not a
// run that did what was asked.
static int end_game()
{
    shutdown_all();
    return playback_failed() ? 1 : 0;
}

// The seed of the first game: -seed's, the day's for -daily (that game is
// then the run of the day), else the counter's.
static uint64_t game_seed(const Settings& s)
{
    if (s.seed_given)
        return s.seed;
    if (!s.daily)
        return static_cast<uint64_t>(timer_now());
    DayDate today = utc_date(static_cast<int64_t>(time(nullptr)));
    set_daily_run(today);
    return day_seed(today);
}

// What --help prints.
static const char USAGE[] = "usage: tarnwick [switches]\n"
                            "  -720, -360       a 1280 x 720 or 640 x 360 window\n"
                            "  -fullscr, -win   full screen or a window\n"
                            "  -aa, -noaa       anti-aliasing on or off\n"
                            "  -vs, -novs       vertical sync on or off\n"
                            "  -mute, -sound    sound off or on\n"
                            "  -seed N          start the game from seed N (0 to 18446744073709551615)\n"
                            "  -daily           start from the seed of today's UTC date (YYYYMMDD)\n"
                            "  -record FILE     record the game into FILE\n"
                            "  -replay FILE     replay the recording FILE\n"
                            "  --help, --version\n"
                            "The switches override the stored settings for one run; see man 6 tarnwick.";

int app_main(int argc, const char* const* argv)
{
    if (answer_help_or_version(argc, argv, "tarnwick", USAGE))
        return 0;
    find_app_path();
    timer_init();
    set_update_rate(20, 5);
    int64_t start = timer_now();

    if (!register_window_class())
        return 0;
    read_settings(argc, argv);
    read_key_bindings();
    start_playback(game_seed(settings()), settings().record_file, settings().replay_file, update_seconds());
    game_keep_best_runs(!settings().replay_file);
    set_update_hooks({play_update, playback_update_seconds});
    set_display_fullscreen(settings().fullscreen);
    int width, height;
    if (!create_main_window(settings(), &width, &height))
        fatal_error("can't create the game window");
    end_startup_step(STEP_WINDOW);
    input_init();
    if (!plat_pads_init())
        log_message("no gamepads: %s", plat_last_error());
    sound_init(settings().sound ? settings().volume : 0);
    set_device_hooks({draw_frame, game_resized});
    set_menu_hooks({set_paused, request_quit, toggle_fullscreen, reset_display});
    if (!init_d3d(width, height))
        fatal_error("can't create the graphics device: %s", d3d_failure());
    gpu_load_start();
    end_startup_step(STEP_DEVICE);
    font_init();
    set_loading_status("Loading...", -1.0f);
    end_startup_step(STEP_FONT);
    game_init();
    // The game draws its own crosshair; the system's pointer would sit on it.
    set_hide_cursor(true);
    end_startup_step(STEP_GAME);

    log_startup_time(start);
    log_message("free video memory: %u MB", available_texture_memory() >> 20);
    log_first_frame_since(start);
    return run_main_loop(end_game);
}

void shutdown_all()
{
    log_message("closing...");
    finish_playback();
    game_shutdown();
    sound_shutdown();
    font_shutdown();
    gpu_load_stop();
    close_d3d();
    input_end_update();
    plat_video_shutdown();
    log_message("closed all systems");
}
