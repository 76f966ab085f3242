// appMain.cpp - the game program's start-up and shutdown.
#include "appMain.h"

#include "../device/d3d_render.h"
#include "../kiln/font.h"
#include "../platform/platform.h"
#include "gameHooks.h"
#include "gpuLoad.h"
#include "input.h"
#include "log.h"
#include "mainLoop.h"
#include "paths.h"
#include "random.h"
#include "settings.h"
#include "timer.h"
#include "window.h"

int app_main(int argc, const char* const* argv)
{
    find_app_path();
    timer_init();
    rng_seed(static_cast<uint64_t>(timer_now()));
    set_update_rate(20, 5);
    int64_t start = timer_now();

    if (!register_window_class())
        return 0;
    read_settings(argc, argv);
    set_display_fullscreen(settings().fullscreen);
    int width, height;
    if (!create_main_window(settings(), &width, &height))
        fatal_error("can't create the game window");
    input_init();
    if (!init_d3d(width, height))
        fatal_error("can't create the graphics device: %s", d3d_failure());
    gpu_load_start();
    font_init();
    set_loading_status("Loading...", -1.0f);
    game_init();

    log_message("total start-up time: %d ms", static_cast<int>(ticks_to_ms(timer_now() - start)));
    log_message("free video memory: %u MB", available_texture_memory() >> 20);
    main_loop();
    shutdown_all();
    return 0;
}

void shutdown_all()
{
    log_message("closing...");
    game_shutdown();
    font_shutdown();
    gpu_load_stop();
    close_d3d();
    input_end_update();
    plat_video_shutdown();
    log_message("closed all systems");
}
