// deviceFixture.h - the real device on llvmpipe for tests, with hooks they drive.
//
// Each test gets a fresh offscreen window and device; pictures are read back
// from the back buffer as 0xAARRGGBB values, top row first.
#pragma once

#include <gtest/gtest.h>
#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "device/d3d_misc.h"
#include "readBack.h"

// What the device's hooks do, set by the test.
struct TestGame {
    std::function<void(float)> onDraw;
    int resizes = 0; // resized hook calls
};
extern TestGame test_game;

// The cube renderer's vertex layout: corner and face code (D3DCOLOR) on
// stream 0, instance position (SHORT4) and colour (D3DCOLOR) on stream 1.
extern const VertexElement CUBE_ELEMENTS[5];

// Opens the window and the device (false on failure); antialias as the setting.
bool open_test_device(int width, int height, bool antialias);
void close_test_device();

class DeviceTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// A file beside the test program.
std::string test_file(const char* name);
