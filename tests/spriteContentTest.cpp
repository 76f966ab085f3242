// The game's six sprites in the frames the game draws them in: they load,
// stay within their owners' collision boxes, stand on the floor and face the
// way their owners walk.
#include <gtest/gtest.h>

#include <string>

#include "core/paths.h"
#include "game/world.h"
#include "libs/inc/misc/zu_vecmath.h"
#include "voxel/loadSprite.h"

namespace {

// Colours the content uses for the side the model faces.
const uint32_t HERO_VISOR = 0xFFFFB020;
const uint32_t ROBOT_EYE = 0xFFFF3020;

struct Bounds {
    float lo[3] = {1e9f, 1e9f, 1e9f};
    float hi[3] = {-1e9f, -1e9f, -1e9f};
    float sum[3] = {};
    int count = 0;

    void add(const Vec4& p)
    {
        const float* v = &p.x;
        for (int a = 0; a < 3; ++a) {
            lo[a] = v[a] < lo[a] ? v[a] : lo[a];
            hi[a] = v[a] > hi[a] ? v[a] : hi[a];
        }
    }
    float centre(int axis) const { return sum[axis] / count; }
};

// The world bounds of a sprite's solid voxels (only those of `colour` when it
// is not 0) drawn as voxel_sprite_draw draws them in `frame`; centre() is the
// mean of the voxels' centres.
Bounds world_bounds(
    const VoxelSprite* s, const Matrix& frame, int ox, int oy, int oz, bool mirror, uint32_t colour = 0)
{
    Bounds b;
    for (int k = 0; k < s->nz; ++k)
        for (int j = 0; j < s->ny; ++j)
            for (int i = 0; i < s->nx; ++i) {
                uint8_t v = s->voxels[i + s->nx * (j + s->ny * k)];
                if (!v || (colour && s->palette[v] != colour))
                    continue;
                float x = static_cast<float>((mirror ? s->nx - 1 - i : i) + ox);
                float y = static_cast<float>(j + oy), z = static_cast<float>(k + oz);
                for (int corner = 0; corner < 8; ++corner)
                    b.add(transform(
                        {x + (corner & 1), y + ((corner >> 1) & 1), z + ((corner >> 2) & 1), 1}, frame));
                Vec4 c = transform({x + 0.5f, y + 0.5f, z + 0.5f, 1}, frame);
                b.sum[0] += c.x, b.sum[1] += c.y, b.sum[2] += c.z;
                ++b.count;
            }
    return b;
}

class GameSprites : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        set_app_path(TARNWICK_BIN_DIR "/");
        for (int i = 0; i < COUNT; ++i)
            sprites[i] = load_voxel_sprite(NAMES[i]);
    }
    static void TearDownTestSuite()
    {
        for (VoxelSprite*& s : sprites) {
            voxel_sprite_free(s);
            s = nullptr;
        }
    }

    enum { BODY, ARM, LEGS0, LEGS2, HEART, ROBOT, COUNT };
    static constexpr const char* NAMES[COUNT]
        = {"hero_body.png", "hero_arm.png", "hero_legs0.png", "hero_legs2.png", "heart.png", "robot1.png"};
    static VoxelSprite* sprites[COUNT];

    // Every voxel within the box (lo, hi) around `at`, give or take one voxel.
    static void expect_within(
        const Bounds& b, const Vec4& at, const float lo[3], const float hi[3], const char* what)
    {
        const float* p = &at.x;
        for (int a = 0; a < 3; ++a) {
            EXPECT_GE(b.lo[a], p[a] + lo[a] - 1) << what << " axis " << a;
            EXPECT_LE(b.hi[a], p[a] + hi[a] + 1) << what << " axis " << a;
        }
    }
};

VoxelSprite* GameSprites::sprites[COUNT];

} // namespace

TEST_F(GameSprites, AllSixLoad)
{
    for (int i = 0; i < COUNT; ++i)
        EXPECT_TRUE(sprites[i]) << NAMES[i];
}

TEST_F(GameSprites, TheHerosBodyAndLegsStayInItsBoxAndStandOnItsFeet)
{
    const float lo[3] = {-4, 0, -6}, hi[3] = {4, 15, 6};
    const Vec4 at = {300, 100, 8, 1};
    for (bool right : {true, false}) {
        Matrix frame = facing_frame(right, at);
        Bounds body = world_bounds(sprites[BODY], frame, -8, 0, -7, false);
        expect_within(body, at, lo, hi, "body");
        for (int legs : {LEGS0, LEGS2})
            for (bool mirror : {false, true}) {
                Bounds b = world_bounds(sprites[legs], frame, -8, 0, -7, mirror);
                expect_within(b, at, lo, hi, NAMES[legs]);
                EXPECT_EQ(b.lo[1], at.y) << NAMES[legs] << " stands on the floor";
                EXPECT_GE(b.hi[1], body.lo[1]) << NAMES[legs] << " reaches the body";
            }
        // Head and body together are as tall as the box.
        EXPECT_GE(body.hi[1], at.y + 14);
    }
}

TEST_F(GameSprites, TheHeroLooksTheWayItWalks)
{
    const Vec4 at = {300, 100, 8, 1};
    Bounds right = world_bounds(sprites[BODY], facing_frame(true, at), -8, 0, -7, false, HERO_VISOR);
    Bounds left = world_bounds(sprites[BODY], facing_frame(false, at), -8, 0, -7, false, HERO_VISOR);
    ASSERT_GT(right.count, 0);
    EXPECT_GT(right.centre(0), at.x + 1);
    EXPECT_LT(left.centre(0), at.x - 1);
    // The visor sits in the head.
    EXPECT_GT(right.centre(1), at.y + 9);
}

TEST_F(GameSprites, TheArmHangsFromTheShoulderAndPointsAlongTheAim)
{
    // With the aim straight ahead the arm's frame is the body frame itself.
    const Vec4 pivot = {0, 8, 2, 1};
    Bounds arm = world_bounds(sprites[ARM], MATRIX_IDENTITY, -8, 0, -7, false);
    Bounds mirrored = world_bounds(sprites[ARM], MATRIX_IDENTITY, -8, 0, -7, true);
    // Both arms lie beside the body's centre plane, one on each side.
    EXPECT_TRUE((arm.lo[0] >= 0 && mirrored.hi[0] <= 0) || (arm.hi[0] <= 0 && mirrored.lo[0] >= 0))
        << "an arm crosses the centre plane";
    EXPECT_NEAR(arm.centre(0), -mirrored.centre(0), 0.01f);
    // The shoulder wraps the pivot, and the arm reaches forward (-z) from it.
    EXPECT_LE(arm.lo[1], pivot.y - 1);
    EXPECT_GE(arm.hi[1], pivot.y + 1);
    EXPECT_LE(arm.lo[2], pivot.z - 4);
    EXPECT_GE(arm.hi[2], pivot.z);
    EXPECT_LT(arm.centre(2), pivot.z);
    EXPECT_LT(arm.hi[2] - pivot.z, 3.0f) << "little of the arm lies behind the shoulder";
}

TEST_F(GameSprites, TheRobotStaysInItsBoxAndLooksTheWayItWalks)
{
    const float lo[3] = {-6, 0, -6}, hi[3] = {6, 14, 6};
    const Vec4 at = {500, 40, 8, 1};
    for (bool right : {true, false}) {
        Matrix frame = facing_frame(right, at);
        Bounds robot = world_bounds(sprites[ROBOT], frame, -8, 0, -8, false);
        expect_within(robot, at, lo, hi, "robot");
        EXPECT_EQ(robot.lo[1], at.y) << "the robot stands on the floor";
        EXPECT_GE(robot.hi[1], at.y + 13);
        Bounds eye = world_bounds(sprites[ROBOT], frame, -8, 0, -8, false, ROBOT_EYE);
        ASSERT_GT(eye.count, 0);
        if (right)
            EXPECT_GT(eye.centre(0), at.x + 2);
        else
            EXPECT_LT(eye.centre(0), at.x - 2);
    }
}

TEST_F(GameSprites, HeartsFitTheirRowAndStayInFrontOfTheLevel)
{
    // Drawn at half scale at sprite offsets 16 apart, from y = 104 up, from
    // z = -4 back: each heart must leave a gap to the next, stay below the
    // top of a screen 120 voxels high around the view centre (60 above it),
    // and end before the level's front face at z = 0.
    Matrix half = {{{0.5f, 0, 0, 0}, {0, 0.5f, 0, 0}, {0, 0, 0.5f, 0}, {0, 0, 0, 1}}};
    Bounds heart = world_bounds(sprites[HEART], half, -160, 104, -4, false);
    EXPECT_LE(heart.hi[0] - heart.lo[0], 7.5f);
    EXPECT_GE(heart.hi[0] - heart.lo[0], 5.0f);
    EXPECT_LE(heart.hi[1], 59.0f);
    EXPECT_LE(heart.hi[2], 0.0f);
}
