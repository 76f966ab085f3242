// deviceFixture.cpp - the real device on llvmpipe for tests, with hooks they drive.
#include "deviceFixture.h"

#include <stdlib.h>

#include "core/paths.h"
#include "core/settings.h"
#include "device/d3d_render.h"
#include "platform/platform.h"

TestGame test_game;

const VertexElement CUBE_ELEMENTS[5] = {
    {0, 0, VDECL_D3DCOLOR, VDECL_POSITION, 0},
    {4, 0, VDECL_D3DCOLOR, VDECL_NORMAL, 0},
    {0, 1, VDECL_SHORT4, VDECL_POSITION, 1},
    {8, 1, VDECL_D3DCOLOR, VDECL_COLOR, 0},
    VDECL_END,
};

// The device's hooks, as a program sets them: the test's draw and a reset count.
static void draw_test_frame(float seconds)
{
    if (test_game.onDraw)
        test_game.onDraw(seconds);
}

static void count_reset()
{
    ++test_game.resizes;
}

bool open_test_device(int width, int height, bool antialias)
{
    test_game = TestGame();
    // No settings file: only the switches count.
    setenv("XDG_CONFIG_HOME", "/nonexistent/tarnwick-tests", 1);
    const char* args[] = {"test", "-novs", antialias ? "-aa" : "-noaa"};
    read_settings(3, args);
    find_app_path();
    set_display_fullscreen(false);
    set_device_hooks({draw_test_frame, count_reset});
    return plat_video_init("TarnwickTest")
        && plat_create_window("test", 0, 0, width, height, PLAT_WINDOW_OPENGL) && init_d3d(width, height);
}

void close_test_device()
{
    close_d3d();
    plat_destroy_window();
    plat_video_shutdown();
}

void DeviceTest::SetUp()
{
    ASSERT_TRUE(open_test_device(320, 200, false));
}

void DeviceTest::TearDown()
{
    close_test_device();
}

std::string test_file(const char* name)
{
    return std::string(app_path()) + name;
}
