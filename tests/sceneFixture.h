// sceneFixture.h - the game's real hooks on llvmpipe: an offscreen window,
// the device, the font and game_init, as the program starts them.
#pragma once

#include <gtest/gtest.h>
#include <stdint.h>

#include <string>
#include <vector>

class SceneFixture : public ::testing::Test {
protected:
    // Opens everything at width x height with a fresh settings store; fast
    // voxels and anti-aliasing as the launcher's options.
    void start(int width, int height, bool fastVoxels, bool antialias = false);
    void stop();
    // Renders one frame, reads the back buffer (0xAARRGGBB, top row first)
    // and presents it.
    std::vector<uint32_t> draw();

    std::string configDir;
    int width = 0, height = 0;
};
