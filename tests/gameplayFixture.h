// gameplayFixture.h - a clean world for driving gameplay headless.
//
// An empty level grid, no robots, shots or debris, a new game, the fake
// device's 640 x 360 back buffer (3 pixels per voxel) and the fake
// platform's input. update() runs world steps as the playing mode does,
// with the input of one update set before it and cleared after it.
#pragma once

#include <gtest/gtest.h>
#include <string.h>

#include <vector>

#include "core/input.h"
#include "core/paths.h"
#include "core/random.h"
#include "fakeFrame.h"
#include "fakePlatform.h"
#include "fakeSound.h"
#include "game/enemies.h"
#include "game/gameHooks.h"
#include "game/gameMode.h"
#include "game/hero.h"
#include "game/scene.h"
#include "game/shots.h"
#include "game/world.h"
#include "kiln/debugVis.h"
#include "voxel/cubeInstance.h"
#include "voxel/dynCubeRender.h"
#include "voxel/levelGrid.h"

enum { KEY_A = 'A', KEY_D = 'D', KEY_W = 'W' };
static const uint32_t HERO_BURST_COLOUR = 0xff422b9f, ROBOT_BURST_COLOUR = 0xffc8c8c8;

class GameplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake_reset();
        fake_frame_reset();
        fake_sound = FakeSound();
        switch_mode(nullptr);
        memset(level_grid(), 0, LEVEL_GRID_BYTES);
        for (int i = 0; i < LEVEL_PALETTE_SIZE; ++i)
            palette_colors()[i] = 0xff000000u | static_cast<uint32_t>(i) * 0x010101u;
        clear_enemies();
        clear_shots();
        clear_debris();
        new_game();
        set_level_complete(false);
        compute_pixel_scale();
        mouse_at(fake_device.width / 2, fake_device.height / 2);
        input_end_update();
        rng_seed(1);
    }
    void TearDown() override
    {
        for (bool& k : fake.keyHeld)
            k = false;
        input_end_update();
    }

    // Fills the inclusive box with value, whatever was there.
    static void solid(int x0, int y0, int z0, int x1, int y1, int z1, uint8_t value = 1)
    {
        for (int z = z0; z <= z1; ++z)
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x)
                    level_grid()[level_voxel_index(x, y, z)] = value;
    }
    // A floor through the whole depth whose top surface is at y = top.
    static void floor_at(int top, int x0, int x1, uint8_t value = 1)
    {
        solid(x0, 0, 0, x1, top - 1, LEVEL_SIZE_Z - 1, value);
    }
    static uint8_t voxel(int x, int y, int z) { return level_grid()[level_voxel_index(x, y, z)]; }

    static void hold(int vk, bool held = true) { fake.keyHeld[vk] = held; }
    static void press(int vk) { push_input_event(INPUT_KEY_DOWN, vk, 0, 0, 0, 0); }
    static void release(int vk) { push_input_event(INPUT_KEY_UP, vk, 0, 0, 0, 0); }
    static void mouse_at(int x, int y) { push_input_event(INPUT_MOUSE_MOVE, 0, 0, 0, x, y); }

    // The eye and view that the next world step aims through: those of a
    // frame drawn at the end of the last update.
    static void take_update_eye()
    {
        camera_interpolate(0.05f);
        game_update(0.05f); // no mode is current: only the eye is taken
    }
    // n world steps of 0.05 s, each with the input set before it.
    static void update(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            take_update_eye();
            update_world(0.05f);
            input_end_update();
        }
    }
    // The mouse pixel that looks at a world point through the update's view.
    static void mouse_on(const Vec4& world)
    {
        Vec4 c = transform(world, update_view_projection());
        float w = static_cast<float>(fake_device.width), h = static_cast<float>(fake_device.height);
        float mx = (c.x / c.w * w + w) / 2, my = h - 1 - (c.y / c.w * h + h) / 2;
        mouse_at(static_cast<int>(lrintf(mx)), static_cast<int>(lrintf(my)));
    }
    static Shot shot_with_velocity(float vx, float vy)
    {
        return {{0, 0, 8, 1}, {vx, vy, 0, 0}, 0xff14ff14, SHOT_HITS_ENEMIES, nullptr};
    }
    // The cube renderer, the level's voxel cache and the game's sprites on the
    // fake device, for tests that draw (after SetUp: it renews the fake device).
    static void start_drawing()
    {
        set_app_path(TARNWICK_BIN_DIR "/");
        load_hero_sprites();
        load_enemy_sprites();
        cube_renderer_init();
        debug_vis_init();
        voxel_cache_create(level_grid(), 1, LEVEL_STRIDE_Y, LEVEL_STRIDE_Z, LEVEL_SIZE_X, LEVEL_SIZE_Y,
            LEVEL_SIZE_Z, palette_colors());
    }
    static void stop_drawing()
    {
        voxel_cache_destroy();
        debug_vis_shutdown();
        cube_renderer_shutdown();
        free_hero_sprites();
        free_enemies();
    }
    // The cubes of the dynamic batches drawn since the draws were last cleared
    // (sprites, shots and debris show all 24 vertices of the cube).
    static int drawn_cubes()
    {
        int n = 0;
        for (const FakeDraw& d : fake_device.draws)
            n += d.vertexCount == 24 ? d.instanceCount : 0;
        return n;
    }
    // The instances of the last dynamic batch.
    static std::vector<CubeInstance> last_batch()
    {
        const FakeDraw& d = fake_device.draws.back();
        const CubeInstance* c = reinterpret_cast<const CubeInstance*>(
            fake_device.buffers.at(d.instances).bytes.data() + d.instanceOffset);
        return std::vector<CubeInstance>(c, c + d.instanceCount);
    }
    static int debris_of_colour(uint32_t colour)
    {
        int n = 0;
        for (int i = 0; i < debris_count(); ++i)
            n += debris(i).colour == colour;
        return n;
    }
};

// A clean world with the cube renderer, the voxel cache, the debug batch and
// the game's sprites on the fake device.
class DrawingGameplayTest : public GameplayTest {
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        start_drawing();
    }
    void TearDown() override
    {
        stop_drawing();
        GameplayTest::TearDown();
    }
};
