// The device layer's tables, reset and frame pacing on llvmpipe.
#include <epoxy/gl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "deathTest.h"
#include "device/d3d_misc.h"
#include "device/d3d_render.h"
#include "device/d3d_shaders.h"
#include "device/d3d_textures.h"
#include "device/d3d_vbuf.h"
#include "device/vertexAttribs.h"
#include "deviceFixture.h"
#include "platform/platform.h"

using testing::HasSubstr;
using testing::Not;

// Reads a GL buffer back (the device's locks are write-only).
static std::vector<uint8_t> buffer_contents(const BufferEntry* e)
{
    std::vector<uint8_t> bytes(e->size);
    glBindBuffer(GL_COPY_READ_BUFFER, e->buffer);
    glGetBufferSubData(GL_COPY_READ_BUFFER, 0, e->size, bytes.data());
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    return bytes;
}

TEST_F(DeviceTest, TheThousandAndFirstVertexBufferIsRefusedWhileIndexBuffersCountApart)
{
    std::vector<VertexBuffer*> vbs;
    for (int i = 0; i < MAX_BUFFERS; ++i) {
        vbs.push_back(create_vertex_buffer(64, i % 2 ? BUFFER_STATIC : 0));
        ASSERT_NE(vbs.back(), nullptr) << i;
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(create_vertex_buffer(64, 0), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "reached MAX_BUFFERS for VB\n");
    IndexBuffer* ib = create_index_buffer(6, BUFFER_STATIC);
    ASSERT_NE(ib, nullptr);
    EXPECT_EQ(ib->size, 12);

    // A destroyed entry is the next one handed out.
    destroy_vertex_buffer(vbs[500]);
    EXPECT_EQ(create_vertex_buffer(32, 0), vbs[500]);
}

TEST_F(DeviceTest, BufferLocksCheckTheirRange)
{
    VertexBuffer* vb = create_vertex_buffer(64, BUFFER_STATIC);
    ASSERT_NE(vb, nullptr);
    EXPECT_EQ(lock_vertex_buffer(nullptr, 0, 0), nullptr);
    EXPECT_EQ(lock_vertex_buffer(vb, 60, 8), nullptr);
    EXPECT_EQ(lock_vertex_buffer(vb, -4, 8), nullptr);
    uint8_t* p = static_cast<uint8_t*>(lock_vertex_buffer(vb, 16, 0));
    ASSERT_NE(p, nullptr);
    memset(p, 0xAB, 48);
    // A second lock of a locked buffer fails quietly.
    EXPECT_EQ(lock_vertex_buffer(vb, 0, 4), nullptr);
    unlock_vertex_buffer(vb);
    std::vector<uint8_t> bytes = buffer_contents(vb);
    EXPECT_EQ(bytes[15], 0);
    EXPECT_EQ(bytes[16], 0xAB);
    EXPECT_EQ(bytes[63], 0xAB);
}

TEST_F(DeviceTest, AResetKeepsEveryHandleAndWhatManagedResourcesHold)
{
    VertexBuffer* still = create_vertex_buffer(16, BUFFER_STATIC);
    VertexBuffer* dynamic = create_vertex_buffer(16, 0);
    IndexBuffer* dynamicIb = create_index_buffer(8, 0);
    Texture* managed = create_managed_texture(4, 2);
    Texture* screen = create_screen_texture();
    ASSERT_TRUE(still && dynamic && dynamicIb && managed && screen);
    EXPECT_EQ(screen->width, 0);
    EXPECT_EQ(screen->madeWidth, 320);
    EXPECT_EQ(screen->madeHeight, 200);

    memcpy(lock_vertex_buffer(still, 0, 0), "0123456789abcdef", 16);
    unlock_vertex_buffer(still);
    int pitch = 0;
    uint32_t* px = lock_texture(managed, &pitch, true);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(pitch, 16);
    for (int i = 0; i < 8; ++i)
        px[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x102030);
    unlock_texture(managed);
    uint32_t staticName = still->buffer, managedName = managed->texture;

    testing::internal::CaptureStdout();
    ASSERT_TRUE(resize_d3d(400, 300, false));
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_THAT(log, HasSubstr("=== resizing d3d to 400x300 windowed\n"));
    EXPECT_THAT(log, HasSubstr("resized d3d to 400x300 windowed\n"));
    EXPECT_EQ(test_game.resizes, 1);
    EXPECT_EQ(screen_width(), 400);
    EXPECT_EQ(screen_height(), 300);

    // Managed resources are untouched, default-pool ones come back under the same handles.
    EXPECT_EQ(still->buffer, staticName);
    EXPECT_EQ(memcmp(buffer_contents(still).data(), "0123456789abcdef", 16), 0);
    EXPECT_EQ(managed->texture, managedName);
    px = lock_texture(managed, &pitch, false);
    ASSERT_NE(px, nullptr);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(px[i], 0xFF000000u | static_cast<uint32_t>(i * 0x102030)) << i;
    unlock_texture(managed);
    EXPECT_NE(dynamic->buffer, 0u);
    EXPECT_EQ(dynamic->size, 16);
    EXPECT_NE(lock_vertex_buffer(dynamic, 0, 0), nullptr);
    unlock_vertex_buffer(dynamic);
    EXPECT_NE(lock_index_buffer(dynamicIb, 0, 0), nullptr);
    unlock_index_buffer(dynamicIb);
    EXPECT_NE(screen->texture, 0u);
    EXPECT_EQ(screen->width, 0);
    EXPECT_EQ(screen->madeWidth, 400);
    EXPECT_EQ(screen->madeHeight, 300);
    GLint w = 0;
    glBindTexture(GL_TEXTURE_2D, screen->texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    EXPECT_EQ(w, 400);
}

TEST_F(DeviceTest, AResetToTheSameSizeAndModeDoesNothing)
{
    testing::internal::CaptureStdout();
    EXPECT_TRUE(resize_d3d(0, 0, false));
    EXPECT_TRUE(resize_d3d(320, 200, false));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(test_game.resizes, 0);
}

// Full screen takes the size the window has, which the caller passes: the
// window system may not have granted the desktop.
TEST_F(DeviceTest, FullScreenTakesTheGivenSizeAndScreenTexturesFollow)
{
    Texture* screen = create_screen_texture();
    ASSERT_TRUE(resize_d3d(0, 0, true));
    EXPECT_TRUE(display_fullscreen());
    EXPECT_EQ(screen_width(), 320);
    ASSERT_TRUE(resize_d3d(480, 272, true));
    EXPECT_EQ(screen_width(), 480);
    EXPECT_EQ(screen_height(), 272);
    EXPECT_EQ(screen->madeWidth, 480);
    EXPECT_EQ(screen->madeHeight, 272);
}

TEST_F(DeviceTest, TexturesRefuseTheThousandAndFirstAndLocksOfRenderTargets)
{
    std::vector<Texture*> all;
    for (int i = 0; i < MAX_TEXTURES; ++i) {
        all.push_back(create_managed_texture(1, 1));
        ASSERT_NE(all.back(), nullptr) << i;
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(create_managed_texture(1, 1), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "reached MAX_TEXTURES\n");
    destroy_texture(all[7]);
    Texture* screen = create_screen_texture();
    EXPECT_EQ(screen, all[7]);

    int pitch;
    testing::internal::CaptureStdout();
    EXPECT_EQ(lock_texture(screen, &pitch, true), nullptr);
    EXPECT_EQ(lock_texture(nullptr, &pitch, true), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "error locking texture (code 0x00000502)\n");

    testing::internal::CaptureStdout();
    destroy_texture(all[8]);
    EXPECT_EQ(create_texture_slot(4, 4, 1, 0, 99, POOL_MANAGED), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "error creating texture (code 0x00000500)\n");
}

TEST_F(DeviceTest, DeclarationsMapTypesAndUsagesOntoAttributes)
{
    VertexDeclaration* d = create_vertex_declaration(CUBE_ELEMENTS);
    ASSERT_EQ(d->count, 5);
    EXPECT_EQ(d->elements[0].type, ATTRIB_D3DCOLOR);
    EXPECT_EQ(d->elements[0].location, ATTR_POSITION0);
    EXPECT_EQ(d->elements[1].location, ATTR_NORMAL0);
    EXPECT_EQ(d->elements[2].type, ATTRIB_SHORT4);
    EXPECT_EQ(d->elements[2].location, ATTR_POSITION1);
    EXPECT_EQ(d->elements[3].location, ATTR_COLOR0);
    EXPECT_EQ(d->elements[3].offset, 8);
    EXPECT_EQ(d->elements[4].type, ATTRIB_END);

    const VertexElement odd[] = {
        {0, 0, 0, VDECL_TEXCOORD, 0},
        {4, 0, 8, VDECL_TEXCOORD, 1},
        {8, 0, VDECL_FLOAT2, 4, 0},
        {16, 0, VDECL_FLOAT3, 200, 1},
        VDECL_END,
    };
    d = create_vertex_declaration(odd);
    EXPECT_EQ(d->elements[0].type, ATTRIB_UNUSED);
    EXPECT_EQ(d->elements[1].type, ATTRIB_UNUSED);
    EXPECT_EQ(d->elements[2].usage, ATTRIB_TANGENT);
    EXPECT_EQ(d->elements[2].location, ATTR_TANGENT0);
    EXPECT_EQ(d->elements[3].usage, ATTRIB_TANGENT);
    EXPECT_EQ(d->elements[3].location, ATTR_TANGENT1);
}

// count elements, each a float at its own offset, then the end marker.
static std::vector<VertexElement> long_declaration(int count)
{
    std::vector<VertexElement> list;
    for (int i = 0; i < count; ++i)
        list.push_back(
            {static_cast<uint16_t>(4 * i), 0, VDECL_FLOAT1, VDECL_TEXCOORD, static_cast<uint8_t>(i % 8)});
    list.push_back(VDECL_END);
    return list;
}

TEST(DeclarationDeathTest, ThirtyOneElementsFitAndThirtyTwoFailTheLengthAssertion)
{
    VertexDeclaration* d = create_vertex_declaration(long_declaration(31).data());
    EXPECT_EQ(d->count, MAX_VDECL_LEN);
    EXPECT_FATAL(
        create_vertex_declaration(long_declaration(32).data()), "failed ASSERT\\(i<MAX_VDECL_LEN\\)");
    release_all_vertex_declarations();
}

TEST(DeclarationDeathTest, TheTableHoldsSixtyFourAndAnUnplaceableElementIsFatal)
{
    for (int i = 0; i < MAX_VERTEX_DECLARATIONS; ++i)
        create_vertex_declaration(CUBE_ELEMENTS);
    EXPECT_FATAL(create_vertex_declaration(CUBE_ELEMENTS), "ERROR: reached maximum vertex declaration count");
    release_all_vertex_declarations();
    const VertexElement ninthTexcoord[] = {{0, 0, VDECL_FLOAT2, VDECL_TEXCOORD, 8}, VDECL_END};
    EXPECT_FATAL(create_vertex_declaration(ninthTexcoord),
        "ERROR: failed to create vertex declaration \\(code 0x00000501\\)");
}

TEST(DeviceDeathTest, WithoutADeviceItsUsersStopAtTheirAssertions)
{
    EXPECT_FATAL(flush_gpu(), "failed ASSERT\\(flush_query\\)");
    EXPECT_FATAL(available_texture_memory(), "failed ASSERT\\(d3d\\)");
    EXPECT_FATAL(create_vertex_buffer(16, 0), "d3d_vbuf\\.cpp\\([0-9]+\\): failed ASSERT\\(d3d\\)");
    EXPECT_FATAL(create_index_buffer(16, 0), "d3d_vbuf\\.cpp\\([0-9]+\\): failed ASSERT\\(d3d\\)");
    EXPECT_FATAL(resolve_scene_to(nullptr), "d3d_render\\.cpp\\([0-9]+\\): failed ASSERT\\(t\\)");
    EXPECT_FALSE(render_frame(0));
    EXPECT_FALSE(resize_d3d(640, 360, false));
}

class DeviceDrawDeathTest : public DeviceTest {
protected:
    void SetUp() override
    {
        // The child must build its own device: a forked one would lack llvmpipe's threads.
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        DeviceTest::SetUp();
    }
};

TEST_F(DeviceDrawDeathTest, ADrawThatOpenGLRefusesEndsTheProgramWithItsCode)
{
    set_shader(load_shader("test_cubes.sh", nullptr));
    set_vertex_declaration(create_vertex_declaration(CUBE_ELEMENTS));
    // No index buffer is bound.
    EXPECT_FATAL(
        draw_indexed(PRIM_TRIANGLE_LIST, 0, 0, 4, 0, 2), "ERROR: draw_indexed failed \\(0x00000502\\)");
    EXPECT_FATAL(draw_prim(static_cast<PrimitiveType>(9), 0, 1), "ERROR: draw_prim failed \\(0x00000500\\)");
}

TEST(DeviceStartTest, AntialiasingMultisamplesTheSceneWhereTheDriverCan)
{
    testing::internal::CaptureStdout();
    ASSERT_TRUE(open_test_device(320, 200, true));
    std::string log = testing::internal::GetCapturedStdout();
    GLint maxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    if (maxSamples >= 2) {
        EXPECT_THAT(log, HasSubstr("AA quality "));
        EXPECT_GE(scene_samples(), 2);
    } else {
        EXPECT_THAT(log, Not(HasSubstr("AA quality")));
        EXPECT_EQ(scene_samples(), 0);
    }
    EXPECT_THAT(log, HasSubstr("init d3d ok (320x200)\n"));
    close_test_device();

    testing::internal::CaptureStdout();
    ASSERT_TRUE(open_test_device(320, 200, false));
    log = testing::internal::GetCapturedStdout();
    EXPECT_THAT(log, Not(HasSubstr("AA quality")));
    EXPECT_EQ(scene_samples(), 0);
    GLint samples = -1;
    set_scene_target();
    glGetIntegerv(GL_SAMPLES, &samples);
    EXPECT_EQ(samples, 0);
    close_test_device();
}

TEST_F(DeviceTest, RenderFrameDeclinesWhileTheGpuIsTwoFramesBehind)
{
    Shader* heavy = load_shader("test_heavy.sh", nullptr);
    int draws = 0;
    bool busy = true;
    test_game.onDraw = [&](float) {
        ++draws;
        if (!busy)
            return;
        set_backbuffer_target();
        set_shader(heavy);
        const float iterations[4] = {30000, 0, 0, 0};
        set_vs_constants(0, iterations, 1);
        draw_fullscreen_quad();
    };
    // The first frame keeps the GPU busy; the second only passes the fence
    // the device made at start; the third finds the first frame's unfinished.
    EXPECT_TRUE(render_frame(0));
    busy = false;
    EXPECT_TRUE(render_frame(0));
    EXPECT_FALSE(render_frame(0));
    EXPECT_EQ(draws, 2);
    flush_gpu();
    EXPECT_TRUE(render_frame(0));
    EXPECT_EQ(draws, 3);
}

TEST_F(DeviceTest, ReportsFreeTextureMemory)
{
    EXPECT_GT(available_texture_memory(), 0u);
}
