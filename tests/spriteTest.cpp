// Voxel sprites: the PNG reader on good, odd, corrupt and hostile files,
// cutting sprites out of the level grid, and drawing them as cubes.
#include "voxel/loadSprite.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "deathTest.h"
#include "device/d3d_vbuf.h"
#include "fakeFrame.h"
#include "pngWriter.h"
#include "tempFile.h"
#include "voxel/cubeInstance.h"
#include "voxel/dynCubeRender.h"
#include "voxel/levelGrid.h"

namespace {

class SpriteFiles : public ::testing::Test {
protected:
    void TearDown() override { voxel_sprite_free(sprite); }

    std::string path(const std::string& name) const { return dir.path + "/" + name; }

    // Writes the image and loads it; the log lines land in `log`.
    VoxelSprite* load(const TestPng& png)
    {
        std::string file = path("sprite" + std::to_string(count++) + ".png");
        EXPECT_TRUE(write_test_png(file, png));
        return load_file(file);
    }
    VoxelSprite* load_file(const std::string& file)
    {
        voxel_sprite_free(sprite);
        ::testing::internal::CaptureStdout();
        sprite = load_voxel_sprite(file.c_str());
        log = ::testing::internal::GetCapturedStdout();
        return sprite;
    }
    uint8_t voxel(int x, int y, int z) const { return sprite->voxels[x + sprite->nx * (y + sprite->ny * z)]; }
    uint32_t colour(int x, int y, int z) const { return sprite->palette[voxel(x, y, z)]; }

    TempDir dir;
    std::string log;
    VoxelSprite* sprite = nullptr;
    int count = 0;
};

// A picture of n distinct opaque colours and, after them, empty pixels.
std::vector<uint32_t> distinct_colours(int n, int size)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(size), 0);
    for (int i = 0; i < n; ++i)
        pixels[i] = 0xFF000000u | static_cast<uint32_t>(i + 1) * 0x010203u;
    return pixels;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

TEST_F(SpriteFiles, SlicesLieSideBySideWithTheTopRowOnTop)
{
    // A 4 x 3 x 2 model as an 8 x 3 image; pixel (5, 0) is voxel (1, 2, 1).
    std::vector<uint32_t> pixels(24, 0);
    pixels[5] = 0xFF102030;
    pixels[2 * 8 + 0] = 0xFFA0B0C0; // bottom row, first slice: voxel (0, 0, 0)
    pixels[1 * 8 + 7] = 0xFF102030; // the same colour again: voxel (3, 1, 1)
    ASSERT_TRUE(load(rgba_png(8, 3, pixels, 4, 3, 2)));
    EXPECT_EQ(sprite->nx, 4);
    EXPECT_EQ(sprite->ny, 3);
    EXPECT_EQ(sprite->nz, 2);
    EXPECT_EQ(voxel(1, 2, 1), 1);
    EXPECT_EQ(voxel(3, 1, 1), 1);
    EXPECT_EQ(voxel(0, 0, 0), 2);
    EXPECT_EQ(colour(1, 2, 1), 0xFF102030u);
    EXPECT_EQ(colour(0, 0, 0), 0xFFA0B0C0u);
    EXPECT_EQ(sprite->palette[0], 0u);
    int solid = 0;
    for (int i = 0; i < 24; ++i)
        solid += sprite->voxels[i] != 0;
    EXPECT_EQ(solid, 3);
    EXPECT_TRUE(contains(log, "voxel PNG from '" + path("sprite0.png") + "' ok\n")) << log;
}

TEST_F(SpriteFiles, OnlyAllZeroPixelsAreEmpty)
{
    std::vector<uint32_t> pixels = {0x00FF0000, 0x00000000, 0x01000000, 0x00000001};
    ASSERT_TRUE(load(rgba_png(4, 1, pixels, 2, 1, 2)));
    EXPECT_EQ(colour(0, 0, 0), 0x00FF0000u); // transparent red is still a voxel
    EXPECT_EQ(voxel(1, 0, 0), 0);
    EXPECT_NE(voxel(0, 0, 1), 0);
    EXPECT_NE(voxel(1, 0, 1), 0);
}

TEST_F(SpriteFiles, TwoHundredFiftyFiveColoursFitAndOneMoreDoesNot)
{
    ASSERT_TRUE(load(rgba_png(256, 1, distinct_colours(255, 256), 16, 1, 16)));
    EXPECT_EQ(voxel(15, 0, 15), 0);
    EXPECT_EQ(voxel(14, 0, 15), 255);
    EXPECT_EQ(sprite->palette[255], 0xFF000000u | 255u * 0x010203u);

    EXPECT_FALSE(load(rgba_png(256, 1, distinct_colours(256, 256), 16, 1, 16)));
    EXPECT_TRUE(contains(log, "too many colors in PNG voxel image")) << log;
    EXPECT_FALSE(contains(log, "ok"));
}

TEST_F(SpriteFiles, APaletteImageWithTransparencyExpandsToFourChannels)
{
    TestPng png;
    png.width = 4, png.height = 2;
    png.colourType = PNG_COLOR_TYPE_PALETTE;
    png.palette = {{0, 0, 0}, {255, 0, 0}, {0, 0, 255}};
    png.transparency = {0, 255, 128};
    png.rows = {0, 1, 2, 0, 1, 1, 0, 2};
    png.texts = {{"VoxelGridDimX", "2"}, {"VoxelGridDimY", "2"}, {"VoxelGridDimZ", "2"}};
    ASSERT_TRUE(load(png)) << log;
    EXPECT_EQ(voxel(0, 1, 0), 0);
    EXPECT_EQ(colour(1, 1, 0), 0xFFFF0000u);
    EXPECT_EQ(colour(0, 1, 1), 0x800000FFu);
    EXPECT_EQ(colour(1, 0, 1), 0x800000FFu);
}

TEST_F(SpriteFiles, ImagesWithoutFourEightBitChannelsAreRefused)
{
    const char* const MESSAGE = "expected four 8-bit channels in PNG";
    TestPng png;
    png.width = 2, png.height = 1;
    png.texts = {{"VoxelGridDimX", "1"}, {"VoxelGridDimY", "1"}, {"VoxelGridDimZ", "2"}};

    png.colourType = PNG_COLOR_TYPE_RGB;
    png.rows = {1, 2, 3, 4, 5, 6};
    EXPECT_FALSE(load(png));
    EXPECT_TRUE(contains(log, MESSAGE)) << log;

    png.colourType = PNG_COLOR_TYPE_GRAY;
    png.rows = {10, 20};
    EXPECT_FALSE(load(png));
    EXPECT_TRUE(contains(log, MESSAGE)) << log;

    png.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
    png.rows = {10, 255, 20, 255};
    EXPECT_FALSE(load(png));
    EXPECT_TRUE(contains(log, MESSAGE)) << log;

    png.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    png.bitDepth = 16;
    png.rows.assign(16, 0x40);
    EXPECT_FALSE(load(png));
    EXPECT_TRUE(contains(log, MESSAGE)) << log;
}

TEST_F(SpriteFiles, AnInterlacedImageReadsLikeAPlainOne)
{
    std::vector<uint32_t> pixels = distinct_colours(50, 64);
    TestPng png = rgba_png(16, 4, pixels, 8, 4, 2);
    png.interlaced = true;
    ASSERT_TRUE(load(png)) << log;
    EXPECT_EQ(colour(0, 3, 0), pixels[0]);
    EXPECT_EQ(colour(1, 0, 1), pixels[3 * 16 + 9]);
}

TEST_F(SpriteFiles, GridSizeTextsAreDigitsThenAnythingAndTheLastOneWins)
{
    std::vector<uint32_t> pixels = distinct_colours(3, 24);
    TestPng png = rgba_png(24, 1, pixels, 12, 1, 2);
    png.texts = {{"VoxelGridDimX", "3"}, {"VoxelGridDimX", "12 voxels"},
        {"VoxelGridDimY", "1", PNG_TEXT_COMPRESSION_zTXt},
        {"VoxelGridDimZ", "2", PNG_ITXT_COMPRESSION_NONE, true}, {"voxelgriddimz", "7"}};
    ASSERT_TRUE(load(png)) << log;
    EXPECT_EQ(sprite->nx, 12);
    EXPECT_EQ(sprite->nz, 2);
}

TEST_F(SpriteFiles, MissingOrZeroSizesAndMismatchesAreRefused)
{
    std::vector<uint32_t> pixels = distinct_colours(2, 8);
    TestPng png = rgba_png(8, 1, pixels, 4, 1, 2);
    png.texts.pop_back();
    EXPECT_FALSE(load(png));
    EXPECT_TRUE(contains(log, "no voxel grid dimensions in PNG")) << log;

    png.texts.push_back({"VoxelGridDimZ", "0"});
    EXPECT_FALSE(load(png));
    EXPECT_TRUE(contains(log, "no voxel grid dimensions in PNG")) << log;

    png.texts.back().text = "x2";
    EXPECT_FALSE(load(png));
    EXPECT_TRUE(contains(log, "no voxel grid dimensions in PNG")) << log;

    png.texts.back().text = "4";
    EXPECT_FALSE(load(png));
    EXPECT_TRUE(contains(log, "voxel and PNG image size mismatch")) << log;

    png.texts = rgba_png(8, 1, pixels, 4, 2, 2).texts;
    EXPECT_FALSE(load(png));
    EXPECT_TRUE(contains(log, "voxel and PNG image size mismatch")) << log;
}

TEST_F(SpriteFiles, SizesWhoseProductWrapsAroundAreRefused)
{
    // 3 x 1431655766 is 2 modulo 2^32, and 65536 x 65536 is 0; neither is the
    // image's width.
    std::vector<uint32_t> pixels = distinct_colours(2, 2);
    TestPng png = rgba_png(2, 1, pixels, 3, 1, 1);
    png.texts.back().text = "1431655766";
    EXPECT_FALSE(load(png));
    EXPECT_TRUE(contains(log, "voxel and PNG image size mismatch")) << log;

    png.texts[0].text = "99999999999999999999";
    png.texts.back().text = "99999999999999999999";
    EXPECT_FALSE(load(png));
    EXPECT_TRUE(contains(log, "voxel and PNG image size mismatch")) << log;
}

TEST_F(SpriteFiles, AHugeImageIsRefusedBeforeItsPixelsAreAllocated)
{
    // The header claims 60000 x 60000 pixels (14 GB decoded); the file holds
    // a few bytes of them.
    TestPng small = rgba_png(1, 1, {0xFF112233}, 1, 1, 1);
    std::string file = path("huge.png");
    ASSERT_TRUE(write_test_png(file, small));
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // IHDR's width and height follow the 8-byte signature, the chunk length and type.
    for (int at : {16, 20}) {
        bytes[at] = 0, bytes[at + 1] = 0, bytes[at + 2] = 0xEA, bytes[at + 3] = 0x60;
    }
    // IHDR's CRC would now be wrong; a PNG reader must refuse the file either way.
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    EXPECT_FALSE(load_file(file));
}

TEST_F(SpriteFiles, BrokenFilesReturnNoSprite)
{
    TestPng good = rgba_png(8, 3, distinct_colours(5, 24), 4, 3, 2);
    std::string file = path("good.png");
    ASSERT_TRUE(write_test_png(file, good));
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    EXPECT_FALSE(load_file(path("absent.png")));
    EXPECT_TRUE(contains(log, "can't open voxel PNG")) << log;

    auto write_bytes = [&](const std::vector<uint8_t>& b) {
        std::string name = path("broken" + std::to_string(count++) + ".png");
        std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
        return name;
    };
    for (size_t cut : {size_t(0), size_t(7), size_t(30), bytes.size() / 2, bytes.size() - 13})
        EXPECT_FALSE(load_file(write_bytes(std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut))))
            << "cut at " << cut;
    std::vector<uint8_t> flipped = bytes;
    flipped[bytes.size() / 2] ^= 0x55;
    EXPECT_FALSE(load_file(write_bytes(flipped)));
    EXPECT_FALSE(load_file(write_bytes({'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'})));
}

TEST(SpriteFromGrid, CopiesTheBoxAndTheWholeLevelPalette)
{
    uint8_t* grid = level_grid();
    uint32_t* palette = palette_colors();
    palette[7] = 0xFF123456;
    palette[255] = 0xFFABCDEF;
    grid[level_voxel_index(100, 20, 3)] = 7;
    grid[level_voxel_index(102, 21, 4)] = 255;
    VoxelSprite* s = voxel_sprite_from_grid(100, 20, 3, 102, 21, 4);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->nx, 3);
    EXPECT_EQ(s->ny, 2);
    EXPECT_EQ(s->nz, 2);
    EXPECT_EQ(s->voxels[0], 7);
    EXPECT_EQ(s->voxels[2 + 3 * (1 + 2 * 1)], 255);
    EXPECT_EQ(s->palette[7], 0xFF123456u);
    EXPECT_EQ(s->palette[255], 0xFFABCDEFu);
    // A copy: later changes to the level do not reach it.
    grid[level_voxel_index(100, 20, 3)] = 0;
    EXPECT_EQ(s->voxels[0], 7);
    voxel_sprite_free(s);
    voxel_sprite_free(nullptr);
}

TEST(SpriteFromGridDeathTest, AnEmptyOrOutsideBoxFailsItsAssertion)
{
    EXPECT_FATAL(voxel_sprite_from_grid(5, 5, 5, 4, 5, 5), "failed ASSERT\\(nx>0 && ny>0 && nz>0\\)");
    EXPECT_FATAL(voxel_sprite_from_grid(0, 0, 0, 0, 0, LEVEL_SIZE_Z), "loadSprite\\.cpp\\([0-9]+\\): failed");
}

namespace {

// The cubes of the last instanced draw, decoded to whole voxels.
std::vector<CubeInstance> drawn_instances()
{
    const FakeDraw& draw = fake_device.draws.back();
    const FakeBuffer& buffer = fake_device.buffers.at(draw.instances);
    const CubeInstance* first
        = reinterpret_cast<const CubeInstance*>(buffer.bytes.data() + draw.instanceOffset);
    return std::vector<CubeInstance>(first, first + draw.instanceCount);
}

int voxel_x(const CubeInstance& c)
{
    return cube_x16(c) / 16;
}

} // namespace

TEST(SpriteDraw, DrawsTheVisibleVoxelsAtTheOffsetAndMirrors)
{
    fake_frame_reset();
    cube_renderer_init();
    uint8_t voxels[3 * 1 * 1] = {1, 0, 2};
    uint32_t palette[3] = {0, 0xFF0000FF, 0xFF00FF00};
    VoxelSprite s = {3, 1, 1, palette, voxels};

    begin_cubes();
    voxel_sprite_draw(&s, -8, 2, -7, false);
    end_cubes();
    std::vector<CubeInstance> cubes = drawn_instances();
    ASSERT_EQ(cubes.size(), 2u);
    EXPECT_EQ(voxel_x(cubes[0]), -8);
    EXPECT_EQ(cubes[0].s1, 2 * 16);
    EXPECT_EQ(cubes[0].s2, -7 * 16);
    EXPECT_EQ(cubes[0].colour, 0xFF0000FFu);
    EXPECT_EQ(voxel_x(cubes[1]), -6);

    begin_cubes();
    voxel_sprite_draw(&s, 0, 0, 0, true);
    end_cubes();
    cubes = drawn_instances();
    ASSERT_EQ(cubes.size(), 2u);
    EXPECT_EQ(voxel_x(cubes[0]), 0);
    EXPECT_EQ(cubes[0].colour, 0xFF00FF00u);
    EXPECT_EQ(voxel_x(cubes[1]), 2);
    EXPECT_EQ(cubes[1].colour, 0xFF0000FFu);
    cube_renderer_shutdown();
}
