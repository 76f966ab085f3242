// fakeDevice.cpp - a graphics device that only keeps its size and mode.
//
// Stands in for the whole device layer as far as the game's logic calls it;
// draws, targets and resources do nothing.
#include "device/d3d_misc.h"
#include "device/d3d_render.h"
#include "device/d3d_shaders.h"
#include "device/d3d_textures.h"
#include "fakeFrame.h"
#include "fakePlatform.h"

FakeDevice fake_device;
FakeGame fake_game;

void fake_frame_reset()
{
    fake_device = FakeDevice();
    fake_game = FakeGame();
}

int screen_width()
{
    return fake_device.width;
}

int screen_height()
{
    return fake_device.height;
}

bool display_fullscreen()
{
    return fake_device.fullscreen;
}

void set_display_fullscreen(bool fullscreen)
{
    fake_device.fullscreen = fullscreen;
}

bool init_d3d(int width, int height)
{
    fake_device.width = width;
    fake_device.height = height;
    return true;
}

void close_d3d()
{
}

bool resize_d3d(int width, int height, bool fullscreen)
{
    ++fake_device.resizeCalls;
    fake_device.fullscreen = fullscreen;
    if (fullscreen) {
        width = fake.desktopWidth;
        height = fake.desktopHeight;
    }
    if (width)
        fake_device.width = width;
    if (height)
        fake_device.height = height;
    return true;
}

bool render_frame(float lag_seconds)
{
    return fake_device.onRender ? fake_device.onRender(lag_seconds) : true;
}

void present_frame()
{
    ++fake_device.presents;
    if (fake_device.onPresent)
        fake_device.onPresent();
}

uint32_t available_texture_memory()
{
    return 256u << 20;
}

const char* d3d_failure()
{
    return "";
}

void draw_loading_frame()
{
    ++fake_device.presents;
}

void set_scene_target()
{
}

void set_backbuffer_target()
{
}

void resolve_scene_to(Texture*)
{
}

int scene_samples()
{
    return 0;
}

void flush_gpu()
{
}

// The scene's resources: handles that are never looked into.
static Texture fake_texture;
static Shader fake_shader;

Texture* create_screen_texture()
{
    return &fake_texture;
}

void destroy_texture(Texture*)
{
}

void set_texture(int, Texture*)
{
}

Shader* load_shader(const char*, const char*)
{
    return &fake_shader;
}

void free_shader(Shader*)
{
}

void set_shader(Shader*)
{
}

void set_vs_constants(int, const float*, int)
{
}

void clear_all(uint32_t)
{
}

void clear_color(uint32_t)
{
}

void set_wireframe(bool)
{
}

void draw_fullscreen_quad()
{
}
