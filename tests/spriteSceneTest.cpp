// The game's sprites drawn into a generated level on llvmpipe, in the frames
// the hero and the robots use: the picture sprites-in-level.png in the test
// directory shows them against the level's own colours.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/gameMode.h"
#include "game/hero.h"
#include "game/scene.h"
#include "game/world.h"
#include "kiln/debugVis.h"
#include "readBack.h"
#include "sceneFixture.h"
#include "voxel/dynCubeRender.h"
#include "voxel/loadSprite.h"

namespace {

enum { W = 1280, H = 720, S = 6 };

struct Sprites {
    VoxelSprite *body, *arm, *legs0, *legs2, *heart, *robot;
};

// The arm's frame inside the body frame for an aim direction given in body
// coordinates: its z axis points away from the aim, and the shoulder pivot
// (0, 8, 2) stays where it is.
Matrix arm_frame(const Vec4& aim)
{
    Vec4 e = {-aim.x, -aim.y, -aim.z, 0};
    Vec4 y = {0, e.z, -e.y, 0}; // e x (1, 0, 0)
    const Vec4 pivot = {0, 8, 2, 1};
    Matrix m = {{{1, 0, 0, 0}, {y.x, y.y, y.z, 0}, {e.x, e.y, e.z, 0}, {0, 0, 0, 1}}};
    m.m[3][0] = pivot.x - (pivot.x * 1 + pivot.y * y.x + pivot.z * e.x);
    m.m[3][1] = pivot.y - (pivot.y * y.y + pivot.z * e.y);
    m.m[3][2] = pivot.z - (pivot.y * y.z + pivot.z * e.z);
    return m;
}

// One hero as the game draws it: body, legs by pose, both arms aimed along
// `aim` (world direction in the x-y plane).
void draw_hero_at(const Sprites& s, const Vec4& at, Vec4 aim, int legPose)
{
    bool right = aim.x > 0;
    Matrix body = facing_frame(right, at);
    set_cube_transform(body);
    voxel_sprite_draw(s.body, -8, 0, -7, false);
    VoxelSprite* legs = legPose % 2 ? s.legs2 : s.legs0;
    voxel_sprite_draw(legs, -8, 0, -7, legPose >= 2);
    // World to body coordinates: the inverse turn.
    Vec4 aimBody = {0, aim.y, right ? -aim.x : aim.x, 0};
    Matrix arm;
    multiply_matrices(arm_frame(aimBody), body, &arm);
    set_cube_transform(arm);
    voxel_sprite_draw(s.arm, -8, 0, -7, false);
    voxel_sprite_draw(s.arm, -8, 0, -7, true);
}

// A mode that draws the level and a line-up of sprites around the spawn.
class LineUpMode : public GameMode {
public:
    void enter(GameMode*) override { }
    void leave(GameMode*) override { }
    void update(float) override { }
    void resize() override { }
    void render_overlay(float) override { }
    void render(float t) override
    {
        draw_world(t);
        begin_cubes();
        Vec4 p = hero_position();
        const float d = 0.7071f;
        draw_hero_at(sprites, {p.x - 40, p.y, 8, 1}, {1, 0, 0, 0}, 0);
        draw_hero_at(sprites, {p.x - 20, p.y, 8, 1}, {d, d, 0, 0}, 1);
        draw_hero_at(sprites, {p.x, p.y, 8, 1}, {-1, 0, 0, 0}, 2);
        draw_hero_at(sprites, {p.x + 20, p.y, 8, 1}, {-d, -d, 0, 0}, 3);
        set_cube_transform(facing_frame(true, {p.x + 45, p.y, 8, 1}));
        voxel_sprite_draw(sprites.robot, -8, 0, -8, false);
        set_cube_transform(facing_frame(false, {p.x + 65, p.y, 8, 1}));
        voxel_sprite_draw(sprites.robot, -8, 0, -8, false);
        float cx, cy;
        view_centre(&cx, &cy);
        float s = static_cast<float>(pixel_scale());
        Matrix hearts = {{{0.5f, 0, 0, 0}, {0, 0.5f, 0, 0}, {0, 0, 0.5f, 0},
            {nearbyintf(cx * s) / s, nearbyintf(cy * s) / s, 0, 1}}};
        set_cube_transform(hearts);
        for (int i = 0; i < 4; ++i)
            voxel_sprite_draw(sprites.heart, -160 + 16 * i, 104, -4, false);
        end_cubes();
        // The collision boxes over the sprites, as the debug key shows them.
        debug_vis_begin();
        for (int i = 0; i < 4; ++i) {
            Vec4 at = {p.x - 40 + 20 * i, p.y, 8, 1};
            debug_vis_box({at.x - 4, at.y, at.z - 6, 1}, {at.x + 4, at.y + 15, at.z + 6, 1}, 0xff00ff00);
        }
        for (int i = 0; i < 2; ++i) {
            Vec4 at = {p.x + 45 + 20 * i, p.y, 8, 1};
            debug_vis_box({at.x - 6, at.y, at.z - 6, 1}, {at.x + 6, at.y + 14, at.z + 6, 1}, 0xffff0000);
        }
        debug_vis_cross({p.x + 10, p.y + 25, 8, 1}, 2, 0xff00ff00);
        debug_vis_cube({p.x + 10, p.y + 30, 8, 1}, 1, 0xffffff00);
        debug_vis_end();
    }

    Sprites sprites = {};
};

class SpriteScene : public SceneFixture {
protected:
    void SetUp() override
    {
        start(W, H, false);
        Sprites& s = mode.sprites;
        s.body = load_voxel_sprite("hero_body.png");
        s.arm = load_voxel_sprite("hero_arm.png");
        s.legs0 = load_voxel_sprite("hero_legs0.png");
        s.legs2 = load_voxel_sprite("hero_legs2.png");
        s.heart = load_voxel_sprite("heart.png");
        s.robot = load_voxel_sprite("robot1.png");
        ASSERT_TRUE(s.body && s.arm && s.legs0 && s.legs2 && s.heart && s.robot);
        previous = current_mode();
        switch_mode(&mode);
    }
    void TearDown() override
    {
        switch_mode(previous);
        for (VoxelSprite* s : {mode.sprites.body, mode.sprites.arm, mode.sprites.legs0, mode.sprites.legs2,
                 mode.sprites.heart, mode.sprites.robot})
            voxel_sprite_free(s);
        stop();
    }

    LineUpMode mode;
    GameMode* previous = nullptr;
};

// Where a world point lands on the screen (pixels, top row 0), for the
// scene's projection at pixel scale S.
void project(const Vec4& p, float* x, float* y)
{
    float cx, cy;
    view_centre(&cx, &cy);
    float k = 120.0f * S / (p.z + 120.0f);
    *x = W / 2 + (p.x - cx) * k;
    *y = H / 2 - (p.y - cy) * k;
}

// Pixels in the rectangle whose colour passes the test.
template <class Test>
int count_pixels(const std::vector<uint32_t>& picture, float x0, float y0, float x1, float y1, Test test)
{
    int n = 0;
    for (int y = static_cast<int>(y0); y < static_cast<int>(y1); ++y)
        for (int x = static_cast<int>(x0); x < static_cast<int>(x1); ++x)
            if (x >= 0 && y >= 0 && x < W && y < H)
                n += test(picture[static_cast<size_t>(y) * W + x]);
    return n;
}

// A part of the picture magnified, for looking at the sprites closely.
void write_crop(
    const std::string& file, const std::vector<uint32_t>& picture, int x0, int y0, int w, int h, int zoom)
{
    std::vector<uint32_t> crop;
    for (int y = 0; y < h * zoom; ++y)
        for (int x = 0; x < w * zoom; ++x) {
            int sx = x0 + x / zoom, sy = y0 + y / zoom;
            bool inside = sx >= 0 && sy >= 0 && sx < W && sy < H;
            crop.push_back(inside ? picture[static_cast<size_t>(sy) * W + sx] : 0);
        }
    write_png(file, crop, w * zoom, h * zoom);
}

// Hues, whatever the shading: front faces show at about 60% brightness.
bool amber(uint32_t p)
{
    int r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
    return r > 100 && 2 * g > r && 7 * g < 6 * r && 10 * b < 3 * r;
}

bool red(uint32_t p)
{
    int r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
    return r > 100 && 3 * g < r && 3 * b < r;
}

} // namespace

TEST_F(SpriteScene, HeroesRobotsAndHeartsShowInTheLevel)
{
    std::vector<uint32_t> picture = draw();
    write_png(std::string(TARNWICK_TEST_DIR) + "/sprites-in-level.png", picture, W, H);
    Vec4 p = hero_position();
    float left, top;
    project({p.x - 50, p.y + 22, 8, 1}, &left, &top);
    write_crop(std::string(TARNWICK_TEST_DIR) + "/sprites-close-up.png", picture, static_cast<int>(left),
        static_cast<int>(top), 130 * S * 120 / 128, 26 * S, 2);
    // Each hero's visor shows in its head, on the side it faces.
    for (int i = 0; i < 4; ++i) {
        float x, y;
        project({p.x - 40 + 20 * i, p.y + 12, 8, 1}, &x, &y);
        bool right = i < 2;
        float x0 = right ? x : x - 6 * S, x1 = right ? x + 6 * S : x;
        EXPECT_GT(count_pixels(picture, x0, y - 3 * S, x1, y + 3 * S, amber), S * S) << "hero " << i;
    }
    // The robots' eyes, likewise.
    for (int i = 0; i < 2; ++i) {
        float x, y;
        project({p.x + 45 + 20 * i, p.y + 11, 8, 1}, &x, &y);
        float x0 = i == 0 ? x : x - 7 * S, x1 = i == 0 ? x + 7 * S : x;
        EXPECT_GT(count_pixels(picture, x0, y - 3 * S, x1, y + 3 * S, red), S) << "robot " << i;
    }
    // The debug box around the third hero: its front face's left and right
    // edges are pure green lines, 8 voxels apart in the plane z = 2.
    float bx0, bx1, by;
    project({p.x - 4, p.y + 8, 2, 1}, &bx0, &by);
    project({p.x + 4, p.y + 8, 2, 1}, &bx1, &by);
    auto green = [](uint32_t px) { return (px & 0xFFFFFF) == 0x00FF00; };
    EXPECT_GT(count_pixels(picture, bx0 - 2, by - 2, bx0 + 2, by + 2, green), 0);
    EXPECT_GT(count_pixels(picture, bx1 - 2, by - 2, bx1 + 2, by + 2, green), 0);
    EXPECT_EQ(count_pixels(picture, bx0 + 4, by - 2, bx1 - 4, by + 2, green), 0);
    // Four hearts in a row at the top left, each about 7 voxels wide.
    float cx, cy;
    view_centre(&cx, &cy);
    for (int i = 0; i < 4; ++i) {
        float x, y;
        project({cx - 80 + 8 * i, cy + 55, -1, 1}, &x, &y);
        EXPECT_GT(count_pixels(picture, x, y - 4 * S, x + 7 * S, y + 4 * S, red), 8 * S * S) << "heart " << i;
    }
}
