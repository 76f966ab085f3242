// fakeDevice.cpp - a graphics device that only keeps its size and mode.
#include "device/d3d_render.h"
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
