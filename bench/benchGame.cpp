// benchGame.cpp - the game as the program starts it, for the benchmarks.
#include "benchGame.h"

#include <stdlib.h>

#include "core/log.h"
#include "core/paths.h"
#include "core/random.h"
#include "core/settings.h"
#include "device/d3d_render.h"
#include "game/gameHooks.h"
#include "kiln/font.h"
#include "platform/platform.h"

void open_bench_game(const char* name)
{
    setenv("TARNWICK_NO_MSGBOX", "1", 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    find_app_path();
    const char* args[] = {name, "-novs", "-noaa"};
    read_settings(3, args);
    set_display_fullscreen(false);
    set_device_hooks({game_draw, game_resized});
    if (!plat_video_init("TarnwickBench") || !plat_create_window(name, 0, 0, 1280, 720, PLAT_WINDOW_OPENGL)
        || !init_d3d(1280, 720))
        fatal_error("can't open an OpenGL window for the benchmarks");
    font_init();
    rng_seed(7);
    game_init();
}

void close_bench_game()
{
    game_shutdown();
    font_shutdown();
    close_d3d();
    plat_video_shutdown();
}
