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

// One instanced draw: the buffer on stream 1 and the byte offset of its
// first instance, the instance count and which part of the mesh was drawn.
struct FakeDraw {
    const void* instances;
    int instanceCount;
    int vertexCount;
    int primitiveCount;
    int startIndex;
    int instanceOffset;
};

// One draw without indices (the font and debug batches): the primitive type,
// the count and a copy of the vertices drawn from stream 0.
struct FakePrimDraw {
    int type;
    int primitives;
    std::vector<uint8_t> vertices;
};

struct FakeDevice {
    int width = 640, height = 360;
    bool fullscreen = false;
    int resizeCalls = 0;
    int presents = 0;
    std::function<bool(float)> onRender; // null: render and return true
    std::function<void()> onPresent;
    std::function<bool(int)> onGpuWait;        // wait_for_frame_slot; null: the slot is free at once
    std::vector<int> gpuWaitsUs;               // the timeout of every wait_for_frame_slot
    std::map<const void*, FakeBuffer> buffers; // every live vertex and index buffer
    std::vector<FakeDraw> draws;
    std::vector<FakePrimDraw> primDraws;
    bool blending = false, depthTest = true, depthWrite = true, culling = true, linearFilter = true;
    int alphaRef = 0;
    const struct Texture* stage0 = nullptr; // the texture bound to stage 0
    bool framePresented = true;             // read_presented_frame gives fake_presented_pixel, else fails
    float constants[4 * 32] = {};           // the vertex-shader registers
};

struct FakeGame {
    std::function<void(float)> onUpdate;
    std::function<void(float)> onDraw;
    int gpuLoad = -1; // -1: no figure
    bool pauseAllowed = true;
    bool pausedFrames = false; // as game_set_paused left it
    int pausedInputs = 0;      // game_paused_input calls
    std::function<void()> onPausedInput;
    bool waitsForKey = false; // what game_waits_for_key answers
};

extern FakeDevice fake_device;
extern FakeGame fake_game;

void fake_frame_reset();
// The pixel (x, y) of the fake presented frame: 0xFF000000 | y << 12 | x.
uint32_t fake_presented_pixel(int x, int y);
// The pixels of a managed texture (as locked and written), or null.
const std::vector<uint32_t>* fake_texture_data(const struct Texture* texture);
