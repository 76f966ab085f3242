// The debug batch against the recording fake device: switching between
// triangles and lines, flushing at the buffer's limits, and the shapes.
#include "kiln/debugVis.h"

#include <gtest/gtest.h>
#include <math.h>

#include <vector>

#include "deathTest.h"
#include "device/d3d_misc.h"
#include "fakeFrame.h"

namespace {

struct Vertex {
    float x, y, z;
    uint32_t colour;
};

std::vector<Vertex> vertices_of(const FakePrimDraw& d)
{
    const Vertex* v = reinterpret_cast<const Vertex*>(d.vertices.data());
    return std::vector<Vertex>(v, v + d.vertices.size() / sizeof(Vertex));
}

class DebugVis : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake_frame_reset();
        debug_vis_init();
    }
    void TearDown() override { debug_vis_shutdown(); }
};

class DebugVisDeathTest : public DebugVis { };

const Vec4 O = {0, 0, 0, 1}, X = {1, 0, 0, 1}, Y = {0, 1, 0, 1};

} // namespace

TEST_F(DebugVis, ChangingThePrimitiveKindDrawsWhatCameBefore)
{
    debug_vis_begin();
    EXPECT_FALSE(fake_device.culling);
    debug_vis_triangle(O, X, Y, 0xFF0000FF);
    debug_vis_triangle(O, Y, X, 1, 2, 3);
    EXPECT_TRUE(fake_device.primDraws.empty());
    debug_vis_line(O, X, 0xFF00FF00);
    ASSERT_EQ(fake_device.primDraws.size(), 1u);
    EXPECT_EQ(fake_device.primDraws[0].type, PRIM_TRIANGLE_LIST);
    EXPECT_EQ(fake_device.primDraws[0].primitives, 2);
    std::vector<Vertex> v = vertices_of(fake_device.primDraws[0]);
    ASSERT_EQ(v.size(), 6u);
    EXPECT_EQ(v[1].x, 1.0f);
    EXPECT_EQ(v[0].colour, 0xFF0000FFu);
    EXPECT_EQ(v[5].colour, 3u);
    debug_vis_end();
    ASSERT_EQ(fake_device.primDraws.size(), 2u);
    EXPECT_EQ(fake_device.primDraws[1].type, PRIM_LINE_LIST);
    EXPECT_EQ(fake_device.primDraws[1].primitives, 1);
    EXPECT_TRUE(fake_device.culling);
}

TEST_F(DebugVis, TheBufferIsDrawnBeforeItWouldOverflow)
{
    // 4096 vertices: 1365 triangles (4095 vertices) fit, the next does not;
    // 2048 lines fill it exactly.
    debug_vis_begin();
    for (int i = 0; i < 1365; ++i)
        debug_vis_triangle(O, X, Y, 0xFFFFFFFF);
    EXPECT_TRUE(fake_device.primDraws.empty());
    debug_vis_triangle(O, X, Y, 0xFFFFFFFF);
    ASSERT_EQ(fake_device.primDraws.size(), 1u);
    EXPECT_EQ(fake_device.primDraws[0].primitives, 1365);
    debug_vis_flush(false);
    for (int i = 0; i < 2048; ++i)
        debug_vis_line(O, X, 0xFFFFFFFF);
    EXPECT_EQ(fake_device.primDraws.size(), 2u);
    debug_vis_line(O, X, 0xFFFFFFFF);
    ASSERT_EQ(fake_device.primDraws.size(), 3u);
    EXPECT_EQ(fake_device.primDraws[2].primitives, 2048);
    EXPECT_EQ(fake_device.primDraws[2].vertices.size(), 65536u);
    debug_vis_end();
    EXPECT_EQ(fake_device.primDraws.back().primitives, 1);
}

TEST_F(DebugVis, ACubeIsTwelveTrianglesOverItsSixFaces)
{
    debug_vis_begin();
    debug_vis_cube({10, 20, 30, 1}, 2, 0xFFFF00FF);
    debug_vis_end();
    ASSERT_EQ(fake_device.primDraws.size(), 1u);
    std::vector<Vertex> v = vertices_of(fake_device.primDraws[0]);
    ASSERT_EQ(v.size(), 36u);
    // Every triangle lies in one face: one coordinate is the same at all
    // three corners; each face gets two triangles.
    int faces[3][2] = {};
    for (int t = 0; t < 12; ++t) {
        const Vertex* c = &v[3 * t];
        for (int axis = 0; axis < 3; ++axis) {
            float a = (&c[0].x)[axis];
            if (a == (&c[1].x)[axis] && a == (&c[2].x)[axis])
                ++faces[axis][a > (axis == 0 ? 10 : axis == 1 ? 20 : 30)];
        }
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(fabsf(c[i].x - 10), 2.0f);
            EXPECT_EQ(fabsf(c[i].y - 20), 2.0f);
            EXPECT_EQ(fabsf(c[i].z - 30), 2.0f);
        }
    }
    for (auto& axis : faces)
        for (int n : axis)
            EXPECT_EQ(n, 2);
}

TEST_F(DebugVis, ABoxIsItsTwelveEdgesWhicheverCornersSpanIt)
{
    debug_vis_begin();
    debug_vis_box({4, 0, 6, 1}, {-4, 15, -6, 1}, 0xFF00FF00);
    debug_vis_end();
    std::vector<Vertex> v = vertices_of(fake_device.primDraws.at(0));
    ASSERT_EQ(v.size(), 24u);
    float lengths[3] = {};
    for (int e = 0; e < 12; ++e) {
        float d[3] = {v[2 * e + 1].x - v[2 * e].x, v[2 * e + 1].y - v[2 * e].y, v[2 * e + 1].z - v[2 * e].z};
        int moving = 0;
        for (int a = 0; a < 3; ++a)
            if (d[a] != 0) {
                ++moving;
                lengths[a] += d[a];
            }
        EXPECT_EQ(moving, 1) << "edge " << e;
    }
    EXPECT_EQ(lengths[0], 4 * 8.0f);
    EXPECT_EQ(lengths[1], 4 * 15.0f);
    EXPECT_EQ(lengths[2], 4 * 12.0f);
}

TEST_F(DebugVis, ACrossIsThreeAxisLinesThroughItsCentre)
{
    debug_vis_begin();
    debug_vis_cross({1, 2, 3, 1}, 2, 0xFFFFFFFF);
    debug_vis_end();
    std::vector<Vertex> v = vertices_of(fake_device.primDraws.at(0));
    ASSERT_EQ(v.size(), 6u);
    EXPECT_EQ(v[0].x, -1.0f);
    EXPECT_EQ(v[1].x, 3.0f);
    EXPECT_EQ(v[2].y, 0.0f);
    EXPECT_EQ(v[3].y, 4.0f);
    EXPECT_EQ(v[4].z, 1.0f);
    EXPECT_EQ(v[5].z, 5.0f);
    EXPECT_EQ(v[5].x, 1.0f);
}

TEST_F(DebugVisDeathTest, DrawingOutsideABatchOrBeginningTwiceFails)
{
    EXPECT_FATAL(debug_vis_line(O, X, 0), "debugVis\\.cpp\\([0-9]+\\): failed ASSERT\\(vbPtr\\)");
    EXPECT_FATAL(debug_vis_flush(true), "failed ASSERT\\(vbPtr\\)");
    EXPECT_FATAL(
        {
            debug_vis_begin();
            debug_vis_begin();
        },
        "debugVis\\.cpp\\([0-9]+\\): failed ASSERT\\(!vbPtr\\)");
}
