// The game's scene on llvmpipe: game_init, game_draw and the picture they make.
#include <epoxy/gl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "device/d3d_render.h"
#include "game/hero.h"
#include "game/scene.h"
#include "readBack.h"
#include "sceneFixture.h"
#include "voxel/dynCubeRender.h"
#include "voxel/levelGrid.h"

enum { W = 640, H = 360, S = 3 }; // 360 pixels high: 3 pixels per voxel

// A colour class of a pixel: which of red, green, blue and yellow it is, by hue.
enum Hue { NONE, RED, GREEN, BLUE, YELLOW };

static Hue hue_of(uint32_t p)
{
    int r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
    if (r + g + b < 30)
        return NONE;
    if (r > 2 * b && g > 2 * b && r > 40 && g > 40)
        return YELLOW;
    if (r > 2 * g && r > 2 * b)
        return RED;
    if (g > 2 * r && g > 2 * b)
        return GREEN;
    if (b > 2 * r && b > 2 * g)
        return BLUE;
    return NONE;
}

class Scene : public SceneFixture {
protected:
    void SetUp() override { start(W, H, false); }
    void TearDown() override { stop(); }

    // Replaces the level with a few test shapes around the camera: a wall of
    // alternating red and green voxels, a blue ledge below the eye and a
    // yellow pillar left of it, all through the whole depth where they stand.
    void build_test_level()
    {
        uint32_t* palette = palette_colors();
        palette[1] = 0xFFE02020;
        palette[2] = 0xFF20E020;
        palette[3] = 0xFF2020E0;
        palette[4] = 0xFFE0E020;
        uint8_t* grid = level_grid();
        memset(grid, 0, LEVEL_GRID_BYTES);
        place_hero(300, 100);
        float cx, cy;
        view_centre(&cx, &cy);
        centreX = static_cast<int>(cx);
        centreY = static_cast<int>(cy);
        for (int y = centreY + 20; y < centreY + 40; ++y)
            for (int x = centreX - 40; x < centreX + 40; ++x)
                for (int z = 0; z < 2; ++z)
                    grid[level_voxel_index(x, y, z)] = (x + y) % 2 ? 1 : 2;
        for (int x = centreX - 40; x < centreX + 40; ++x)
            for (int z = 0; z < 20; ++z)
                grid[level_voxel_index(x, centreY - 10, z)] = 3;
        for (int y = centreY - 8; y < centreY + 8; ++y)
            for (int z = 0; z < 20; ++z)
                grid[level_voxel_index(centreX - 15, y, z)] = 4;
        voxel_cache_invalidate_all();
    }

    int centreX = 0, centreY = 0;
};

TEST_F(Scene, AGeneratedLevelFillsThePicture)
{
    std::vector<uint32_t> picture = draw();
    write_png(std::string(TARNWICK_TEST_DIR) + "/scene-level.png", picture, W, H);
    // The camera stands at the spawn point near the level's lower left
    // corner: the level fills the upper right of the picture.
    int lit = 0;
    for (uint32_t p : picture)
        lit += (p & 0xFFFFFF) != 0;
    EXPECT_GT(lit, W * H / 3);
    for (int x = W / 2; x < W; x += 16)
        EXPECT_NE(picture[(H / 4) * W + x] & 0xFFFFFF, 0u) << x;
}

TEST_F(Scene, InsideTheLevelEveryPixelShowsSomething)
{
    place_hero(1500, 96);
    std::vector<uint32_t> picture = draw();
    write_png(std::string(TARNWICK_TEST_DIR) + "/scene-inside.png", picture, W, H);
    int black = 0;
    for (uint32_t p : picture)
        black += (p & 0xFFFFFF) == 0;
    EXPECT_LT(black, W * H / 100);
}

TEST_F(Scene, AVoxelOfTheFrontFaceCoversSBySPixels)
{
    build_test_level();
    std::vector<uint32_t> picture = draw();
    write_png(std::string(TARNWICK_TEST_DIR) + "/scene-test-shapes.png", picture, W, H);
    // The wall's row 30 voxels above the centre: runs of one hue, S wide.
    int row = H / 2 - 30 * S - 1;
    std::vector<int> runs;
    Hue current = NONE;
    for (int x = 0; x < W; ++x) {
        Hue h = hue_of(picture[row * W + x]);
        if (h == current && !runs.empty())
            ++runs.back();
        else
            runs.push_back(1);
        current = h;
    }
    ASSERT_GT(runs.size(), 60u);
    for (size_t i = 2; i + 2 < runs.size(); ++i)
        EXPECT_EQ(runs[i], S) << "run " << i;
    // Columns likewise.
    int column = W / 2;
    int count = 0, length = 0;
    Hue last = NONE;
    for (int y = 0; y < H / 2 - 22 * S; ++y) {
        Hue h = hue_of(picture[y * W + column]);
        if (h == RED || h == GREEN) {
            if (h == last) {
                ++length;
            } else {
                if (length && count++ > 0 && count < 15) {
                    EXPECT_EQ(length, S) << "at row " << y;
                }
                length = 1;
            }
        }
        last = h;
    }
    EXPECT_GT(count, 10);
}

TEST_F(Scene, ThePostEffectCopiesTheSceneImageExactly)
{
    build_test_level();
    std::vector<uint32_t> screen = draw();
    // The scene target still holds the frame: its rows are stored top first.
    set_scene_target();
    GLint fb = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &fb);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(fb));
    std::vector<uint32_t> scene(static_cast<size_t>(W) * H);
    glReadPixels(0, 0, W, H, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, scene.data());
    int different = 0;
    for (size_t i = 0; i < scene.size(); ++i)
        different += (scene[i] & 0xFFFFFF) != (screen[i] & 0xFFFFFF);
    EXPECT_EQ(different, 0);
}

// How many pixels of the hue stand in a column or a row through the shapes.
static int column_count(const std::vector<uint32_t>& picture, int x, Hue hue)
{
    int n = 0;
    for (int y = 0; y < H; ++y)
        n += hue_of(picture[y * W + x]) == hue;
    return n;
}

static int row_count(const std::vector<uint32_t>& picture, int y, Hue hue)
{
    int n = 0;
    for (int x = 0; x < W; ++x)
        n += hue_of(picture[y * W + x]) == hue;
    return n;
}

// The brightest blue of the ledge's nearest front face (its lowest S blue
// pixels in the centre column; the face shades softly towards its edges) and
// the brightest blue above it.
static void ledge_blues(const std::vector<uint32_t>& picture, int* front, int* brightest)
{
    *front = *brightest = 0;
    int seen = 0;
    for (int y = H - 1; y >= 0; --y) {
        uint32_t p = picture[y * W + W / 2];
        if (hue_of(p) != BLUE)
            continue;
        int b = p & 255;
        if (seen++ < S)
            *front = b > *front ? b : *front;
        else
            *brightest = b > *brightest ? b : *brightest;
    }
}

TEST_F(Scene, TopAndSideFacesShowBelowAndBesideTheEye)
{
    build_test_level();
    std::vector<uint32_t> picture = draw();
    // The ledge's front face is S rows; the depth of 20 voxels adds rows in
    // perspective, lit from above brighter than the front face.
    EXPECT_GE(column_count(picture, W / 2, BLUE), S + 3);
    int front, brightest;
    ledge_blues(picture, &front, &brightest);
    EXPECT_GT(brightest, front + 20);
    // The pillar's front face is S columns; its right side face shows too.
    EXPECT_GE(row_count(picture, H / 2, YELLOW), S + 4);
}

class SceneFastVoxels : public Scene {
protected:
    void SetUp() override { start(W, H, true); }
};

TEST_F(SceneFastVoxels, OnlyFrontFacesAreDrawn)
{
    build_test_level();
    std::vector<uint32_t> picture = draw();
    write_png(std::string(TARNWICK_TEST_DIR) + "/scene-fast-voxels.png", picture, W, H);
    // The deeper voxels' front faces still peek out in perspective, but no
    // face lit from above: nothing is brighter than the nearest front face.
    int front, brightest;
    ledge_blues(picture, &front, &brightest);
    EXPECT_GT(front, 0);
    EXPECT_LE(brightest, front + 1);
}
