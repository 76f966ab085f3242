// fakeFrame.h - stand-ins for the device layer and the game hooks.
//
// fakeDevice.cpp replaces the graphics device (for tests of the window, the
// loop and the modes); fakeGame.cpp replaces the game hooks and the GPU probe
// (for tests of the main loop alone).
#pragma once

#include <functional>

struct FakeDevice {
    int width = 640, height = 360;
    bool fullscreen = false;
    int resizeCalls = 0;
    int presents = 0;
    std::function<bool(float)> onRender; // null: render and return true
    std::function<void()> onPresent;
};

struct FakeGame {
    std::function<void(float)> onUpdate;
    std::function<void(float)> onDraw;
    int gpuLoad = -1; // -1: no figure
};

extern FakeDevice fake_device;
extern FakeGame fake_game;

void fake_frame_reset();
