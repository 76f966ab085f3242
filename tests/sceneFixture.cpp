// sceneFixture.cpp - the game's real hooks on llvmpipe.
#include "sceneFixture.h"

#include <stdlib.h>

#include <filesystem>

#include "core/paths.h"
#include "core/random.h"
#include "core/settings.h"
#include "device/d3d_render.h"
#include "game/gameHooks.h"
#include "kiln/font.h"
#include "platform/platform.h"
#include "readBack.h"

void SceneFixture::start(int w, int h, bool fastVoxels, bool antialias)
{
    width = w;
    height = h;
    char dir[] = "/tmp/tarnwick-scene-XXXXXX";
    configDir = mkdtemp(dir);
    setenv("XDG_CONFIG_HOME", configDir.c_str(), 1);
    // Written either way: settings left from an earlier start must not leak in.
    settings_write_dword("flags", fastVoxels ? SETTINGS_FAST_VOXELS : 0);
    const char* args[] = {"test", "-novs", antialias ? "-aa" : "-noaa"};
    read_settings(3, args);
    set_app_path(TARNWICK_BIN_DIR "/");
    set_display_fullscreen(false);
    set_device_hooks({game_draw, game_resized});
    ASSERT_TRUE(plat_video_init("TarnwickTest"));
    ASSERT_TRUE(plat_create_window("scene", 0, 0, w, h, PLAT_WINDOW_OPENGL));
    ASSERT_TRUE(init_d3d(w, h));
    font_init();
    rng_seed(7);
    game_init();
}

void SceneFixture::stop()
{
    game_shutdown();
    font_shutdown();
    close_d3d();
    plat_destroy_window();
    plat_video_shutdown();
    std::error_code failure;
    std::filesystem::remove_all(configDir, failure);
    EXPECT_FALSE(failure) << configDir << ": " << failure.message();
}

std::vector<uint32_t> SceneFixture::draw()
{
    EXPECT_TRUE(render_frame(0.0f));
    std::vector<uint32_t> picture = read_back_buffer(width, height);
    present_frame();
    return picture;
}
