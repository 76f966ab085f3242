// benchGame.cpp - the game as the program starts it, for the benchmarks.
#include "benchGame.h"

#include <stdio.h>
#include <stdlib.h>

#include "core/log.h"
#include "core/paths.h"
#include "core/random.h"
#include "core/settings.h"
#include "device/d3d_render.h"
#include "game/gameHooks.h"
#include "kiln/font.h"
#include "platform/platform.h"

static struct {
    char configDir[32]; // the temporary settings store's directory, removed by close_bench_game
    const char* name;
} bench;

// The settings as the benchmarks start the game: no vertical sync, no anti-aliasing.
static void read_bench_settings()
{
    const char* args[] = {bench.name, "-novs", "-noaa"};
    read_settings(3, args);
}

void use_fast_voxels(bool fast)
{
    settings_write_dword("flags", fast ? SETTINGS_FAST_VOXELS : 0);
    read_bench_settings();
}

void open_bench_device(const char* name)
{
    setenv("TARNWICK_NO_MSGBOX", "1", 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    snprintf(bench.configDir, sizeof bench.configDir, "/tmp/tarnwick-bench-XXXXXX");
    if (!mkdtemp(bench.configDir))
        fatal_error("can't make a settings directory for the benchmarks");
    setenv("XDG_CONFIG_HOME", bench.configDir, 1);
    bench.name = name;
    find_app_path();
    read_bench_settings();
    set_display_fullscreen(false);
    set_device_hooks({game_draw, game_resized});
    if (!plat_video_init("TarnwickBench") || !plat_create_window(name, 0, 0, 1280, 720, PLAT_WINDOW_OPENGL)
        || !init_d3d(1280, 720))
        fatal_error("can't open an OpenGL window for the benchmarks");
    font_init();
}

void open_bench_game(const char* name)
{
    open_bench_device(name);
    rng_seed(7);
    game_init();
}

void close_bench_device()
{
    font_shutdown();
    close_d3d();
    plat_video_shutdown();
    char command[64];
    snprintf(command, sizeof command, "rm -rf '%s'", bench.configDir);
    if (system(command) != 0)
        log_message("can't remove %s", bench.configDir);
}

void close_bench_game()
{
    game_shutdown();
    close_bench_device();
}
