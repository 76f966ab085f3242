// fakeFrame.h - stand-ins for the device layer and the game hooks.
//
// fakeDevice.cpp replaces the graphics device (for tests of the window, the
// loop and the modes); fakeGame.cpp replaces the game hooks and the GPU probe
// (for tests of the main loop alone).
#pragma once

#include <stdint.h>

#include <functional>
#include <map>
#include <vector>

struct FakeBuffer {
    std::vector<uint8_t> bytes;
    int locks = 0;
};

// One instanced draw: the buffer on stream 1, the instance count and how
// much of the mesh was drawn.
struct FakeDraw {
    const void* instances;
    int instanceCount;
    int vertexCount;
    int primitiveCount;
};

struct FakeDevice {
    int width = 640, height = 360;
    bool fullscreen = false;
    int resizeCalls = 0;
    int presents = 0;
    std::function<bool(float)> onRender; // null: render and return true
    std::function<void()> onPresent;
    std::map<const void*, FakeBuffer> buffers; // every live vertex and index buffer
    std::vector<FakeDraw> draws;
    float constants[4 * 32] = {}; // the vertex-shader registers
};

struct FakeGame {
    std::function<void(float)> onUpdate;
    std::function<void(float)> onDraw;
    int gpuLoad = -1; // -1: no figure
};

extern FakeDevice fake_device;
extern FakeGame fake_game;

void fake_frame_reset();
