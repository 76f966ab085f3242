// deviceFixture.cpp - the real device on llvmpipe for tests, with game hooks they drive.
#include "deviceFixture.h"

#include <epoxy/gl.h>
#include <stdlib.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include "app/gameHooks.h"
#include "app/paths.h"
#include "app/settings.h"
#include "device/d3d_render.h"
#include "kiln/font.h"
#include "platform/platform.h"

TestGame test_game;

const VertexElement CUBE_ELEMENTS[5] = {
    {0, 0, VDECL_D3DCOLOR, VDECL_POSITION, 0},
    {4, 0, VDECL_D3DCOLOR, VDECL_NORMAL, 0},
    {0, 1, VDECL_SHORT4, VDECL_POSITION, 1},
    {8, 1, VDECL_D3DCOLOR, VDECL_COLOR, 0},
    VDECL_END,
};

void game_init()
{
}

void game_update(float)
{
}

void game_shutdown()
{
}

void game_draw(float seconds)
{
    if (test_game.onDraw)
        test_game.onDraw(seconds);
}

void game_resized()
{
    ++test_game.resizes;
}

void draw_loading_screen()
{
    ++test_game.loadingScreens;
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

std::vector<uint32_t> read_back_buffer(int width, int height)
{
    std::vector<uint32_t> rows(static_cast<size_t>(width) * height), pixels(rows.size());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
    // OpenGL's rows run bottom first.
    for (int y = 0; y < height; ++y)
        std::copy_n(&rows[static_cast<size_t>(height - 1 - y) * width], width,
            &pixels[static_cast<size_t>(y) * width]);
    return pixels;
}

bool write_png(const std::string& file, const std::vector<uint32_t>& pixels, int width, int height)
{
    std::vector<uint8_t> rgba;
    // Opaque: the pictures are what the window shows.
    for (uint32_t p : pixels) {
        for (int shift : {16, 8, 0})
            rgba.push_back(static_cast<uint8_t>(p >> shift));
        rgba.push_back(255);
    }
    return stbi_write_png(file.c_str(), width, height, 4, rgba.data(), width * 4) != 0;
}

std::string test_file(const char* name)
{
    return std::string(app_path()) + name;
}
