// The game's frames on llvmpipe against stored references: fixed views of a
// generated level (a wall with holes, robots, shots and debris; the level's
// corners) at 640 x 360 and 1280 x 720, normal and fast voxels, with and
// without anti-aliasing. Any change to how the world is drawn must leave
// these pictures as they are.
//
// tests/reference/pictures.txt holds a hash of every picture; the pictures
// of normal voxels, and one of fast voxels, are kept whole as PNG files
// beside it. A picture whose hash differs passes only against a whole
// reference, and only by depth ties: where a pixel centre (or sample) lies
// exactly on an edge that two faces share at the same depth, the face drawn
// last wins it, so drawing fewer faces, or in another order, may hand such a
// pixel to the other face. At most 0.1% of the pixels may change so, each
// to the colour of a neighbouring reference pixel (the other face) or, with
// anti-aliasing, to a mix of the two. Every picture drawn is written to the
// test directory as reference-NAME.png; to take new references, copy them
// and the hashes the failures print.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/input.h"
#include "game/enemies.h"
#include "game/gameHooks.h"
#include "game/hero.h"
#include "game/shots.h"
#include "game/world.h"
#include "libs/inc/misc/zu_utils.h"
#include "readBack.h"
#include "sceneFixture.h"
#include "stbImage.h"
#include "voxel/levelGrid.h"

namespace {

const std::string REFERENCE_DIR = TARNWICK_SOURCE_DIR "/tests/reference/";

// The hash of the pixels' colour bytes R, G, B (alpha is not part of the picture).
uint64_t picture_hash(const std::vector<uint32_t>& picture)
{
    uint64_t h = FNV_OFFSET;
    for (uint32_t p : picture) {
        const uint8_t rgb[3]
            = {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)};
        h = hash_bytes(rgb, sizeof rgb, h);
    }
    return h;
}

std::map<std::string, uint64_t> read_hashes()
{
    std::map<std::string, uint64_t> hashes;
    std::ifstream in(REFERENCE_DIR + "pictures.txt");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name, hex;
        if (line.empty() || line[0] == '#' || !(fields >> name >> hex))
            continue;
        hashes[name] = std::stoull(hex, nullptr, 16);
    }
    return hashes;
}

// The whole reference picture, or an empty one when only its hash is kept.
std::vector<uint32_t> read_reference(const std::string& name, int width, int height)
{
    int w, h, channels;
    unsigned char* rgb = stbi_load((REFERENCE_DIR + name + ".png").c_str(), &w, &h, &channels, 3);
    std::vector<uint32_t> picture;
    if (rgb && w == width && h == height)
        for (int i = 0; i < w * h; ++i)
            picture.push_back(0xFF000000u | rgb[3 * i] << 16 | rgb[3 * i + 1] << 8 | rgb[3 * i + 2]);
    stbi_image_free(rgb);
    return picture;
}

// Whether p is a's colour, b's or a mix of the two (a multisampled pixel
// whose samples were split between them), give or take the dither's step.
bool between_colours(uint32_t p, uint32_t a, uint32_t b)
{
    for (int shift : {16, 8, 0}) {
        int c = (p >> shift) & 255, ca = (a >> shift) & 255, cb = (b >> shift) & 255;
        if (c < std::min(ca, cb) - 2 || c > std::max(ca, cb) + 2)
            return false;
    }
    return true;
}

// Pixels that differ from the reference and are not between their
// reference colour and that of one of their eight reference neighbours (the
// two faces of a tie); *changed gets every differing pixel.
int foreign_pixels(const std::vector<uint32_t>& picture, const std::vector<uint32_t>& reference, int width,
    int height, int* changed)
{
    int foreign = 0;
    *changed = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t p = picture[y * width + x], was = reference[y * width + x];
            if ((p & 0xFFFFFF) == (was & 0xFFFFFF))
                continue;
            ++*changed;
            bool tie = false;
            for (int dy = -1; dy <= 1 && !tie; ++dy)
                for (int dx = -1; dx <= 1 && !tie; ++dx) {
                    int nx = x + dx, ny = y + dy;
                    tie = (dx || dy) && nx >= 0 && ny >= 0 && nx < width && ny < height
                        && between_colours(p, was, reference[ny * width + nx]);
                }
            foreign += !tie;
        }
    return foreign;
}

struct Config {
    int width, height;
    bool fastVoxels, antialias;
};

std::string config_name(const Config& c)
{
    char name[64];
    snprintf(name, sizeof name, "%dx%d-%s-%s", c.width, c.height, c.fastVoxels ? "fast" : "normal",
        c.antialias ? "aa" : "noaa");
    return name;
}

class ReferencePictures : public SceneFixture, public ::testing::WithParamInterface<Config> {
protected:
    void SetUp() override
    {
        start(GetParam().width, GetParam().height, GetParam().fastVoxels, GetParam().antialias);
    }
    void TearDown() override { stop(); }

    // Draws the frame and checks it against the reference `view`.
    void expect_reference(const char* view)
    {
        std::vector<uint32_t> picture = draw();
        std::string name = config_name(GetParam()) + "-" + view;
        write_png(std::string(TARNWICK_TEST_DIR) + "/reference-" + name + ".png", picture, width, height);
        uint64_t hash = picture_hash(picture);
        std::map<std::string, uint64_t> hashes = read_hashes();
        if (hashes.count(name) && hashes[name] == hash)
            return;
        std::vector<uint32_t> reference = read_reference(name, width, height);
        ASSERT_FALSE(reference.empty()) << "picture " << name << " " << std::hex << hash
                                        << " differs from the reference; see reference-" << name << ".png";
        int changed;
        int foreign = foreign_pixels(picture, reference, width, height, &changed);
        EXPECT_EQ(foreign, 0) << name;
        EXPECT_LE(changed, width * height / 1000) << name;
    }
};

// A destructible voxel within a hole's depth.
bool is_wall(int x, int y)
{
    for (int z = 0; z < 14; ++z) {
        uint8_t v = level_grid()[level_voxel_index(x, y, z)];
        if (v && v < 128)
            return true;
    }
    return false;
}

// A camera focus that stays put: the frame at t = 0 shows it exactly.
void focus_on(float x, float y)
{
    set_camera_focus({x, y, 0, 1});
    set_camera_focus({x, y, 0, 1});
}

TEST_P(ReferencePictures, MatchTheStoredFrames)
{
    // A room in the middle of the level: holes blown into its wall, one of
    // them through the whole depth, robots, shots in flight and debris.
    // The hero's arm follows the mouse from the first update on.
    set_mouse_pos(0.8f * width, 0.3f * height);
    game_update(0.05f);
    place_hero(1500, 96);
    set_wall_radius(4);
    const Shot shot = {{1500, 96, 0, 1}, {60, 0, 0, 0}, 0xFFFFE040, SHOT_HITS_ENEMIES, nullptr};
    int holes = 0;
    for (int y = 60; y < 150 && holes < 8; y += 11)
        for (int x = 1410; x < 1590 && holes < 8; x += 13)
            if (is_wall(x, y)) {
                punch_hole(x, y, shot);
                ++holes;
            }
    ASSERT_EQ(holes, 8);
    // And one square through the whole depth, where the wall is thick.
    int x = 1580;
    while (x > 1420 && !(is_wall(x, 100) && is_wall(x - 6, 94)))
        --x;
    fill_box(x - 6, 94, 0, x, 100, 19, 0);
    world_changed(x - 6, 94, 0, x, 100, 19);
    add_enemy(1460, 70);
    add_enemy(1530.5f, 101.25f);
    add_enemy(1555, 130);
    for (int i = 0; i < 5; ++i)
        fire_shot(SHOT_HITS_ENEMIES, nullptr, {1480.0f + 11.3f * i, 90.0f + 3.7f * i, 8, 1},
            {60.0f - 25 * i, 10.0f * i - 20, 0, 0}, 0xFFFFE040);
    for (int i = 0; i < 40; ++i)
        emit_debris({1490.0f + 0.77f * i, 100.0f + 0.31f * i, 0.5f * (i % 20), 1}, {0, 0, 0, 0},
            0xFF8040C0 + 0x010203 * i, 1.0f);
    expect_reference("room");
    // The level's lower left corner, from a focus between pixels: the grid's
    // edges and the black beyond them.
    focus_on(30.37f, 20.61f);
    expect_reference("lower-left");
    // Its upper right corner.
    focus_on(4070.8f, 240.2f);
    expect_reference("upper-right");
}

INSTANTIATE_TEST_SUITE_P(Views, ReferencePictures,
    ::testing::Values(Config{640, 360, false, false}, Config{640, 360, false, true},
        Config{640, 360, true, false}, Config{640, 360, true, true}, Config{1280, 720, false, false},
        Config{1280, 720, false, true}, Config{1280, 720, true, false}, Config{1280, 720, true, true}),
    [](const ::testing::TestParamInfo<Config>& info) {
        std::string name = config_name(info.param);
        for (char& c : name)
            if (c == '-')
                c = '_';
        return name;
    });

} // namespace
