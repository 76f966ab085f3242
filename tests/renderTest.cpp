// Pictures drawn through the whole device path (scene target, resolve,
// post-effect, back buffer) on llvmpipe, read back pixel by pixel.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "device/d3d_misc.h"
#include "device/d3d_render.h"
#include "device/d3d_shaders.h"
#include "device/d3d_textures.h"
#include "device/d3d_vbuf.h"
#include "device/vertexAttribs.h"
#include "deviceFixture.h"

enum { W = 320, H = 200 };

struct TestInstance {
    int16_t x, y, z, size;
    uint32_t color;
};
static_assert(sizeof(TestInstance) == 12, "instances are 12 bytes on stream 1");

// The cube mesh of the game's cube renderer: corners and face codes as
// D3DCOLOR bytes (b0, b1, b2, b3), which reach the shader as (b2, b1, b0, b3).
static const uint8_t CUBE_FACES[6][4][2][3] = {
    {{{0, 0, 0}, {0, 118, 118}}, {{0, 0, 255}, {0, 118, 138}}, {{0, 255, 0}, {0, 138, 118}},
        {{0, 255, 255}, {0, 138, 138}}},
    {{{0, 255, 0}, {118, 255, 118}}, {{0, 255, 255}, {118, 255, 138}}, {{255, 255, 0}, {138, 255, 118}},
        {{255, 255, 255}, {138, 255, 138}}},
    {{{0, 0, 0}, {118, 118, 0}}, {{0, 255, 0}, {118, 138, 0}}, {{255, 0, 0}, {138, 118, 0}},
        {{255, 255, 0}, {138, 138, 0}}},
    {{{255, 0, 255}, {138, 118, 255}}, {{255, 255, 255}, {138, 138, 255}}, {{0, 0, 255}, {118, 118, 255}},
        {{0, 255, 255}, {118, 138, 255}}},
    {{{255, 0, 0}, {138, 0, 118}}, {{255, 0, 255}, {138, 0, 138}}, {{0, 0, 0}, {118, 0, 118}},
        {{0, 0, 255}, {118, 0, 138}}},
    {{{255, 255, 0}, {255, 138, 118}}, {{255, 255, 255}, {255, 138, 138}}, {{255, 0, 0}, {255, 118, 118}},
        {{255, 0, 255}, {255, 118, 138}}},
};
// Cube indices 0..35, then a quad of vertices 0..3 (front face: (0,0), (1,0),
// (0,1), (1,1) in x, y) wound clockwise and counter-clockwise on a y-down screen.
enum { QUAD_CW = 36, QUAD_CCW = 42, INDEX_COUNT = 48 };

static const uint32_t RED = 0xFF0000, GREEN = 0x00FF00, BLUE = 0x0000FF, YELLOW = 0xFFFF00,
                      MAGENTA = 0xFF00FF, CYAN = 0x00FFFF;

class Picture : public testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(open_test_device(W, H, GetParam()));
        decl = create_vertex_declaration(CUBE_ELEMENTS);
        shader = load_shader("test_cubes.sh", nullptr);
        postEffect = load_shader("postfx_none.sh", nullptr);
        image = create_screen_texture();
        mesh = create_vertex_buffer(24 * 8, BUFFER_STATIC);
        indices = create_index_buffer(INDEX_COUNT, BUFFER_STATIC);
        instances = create_vertex_buffer(64 * sizeof(TestInstance), 0);
        ASSERT_TRUE(image && mesh && indices && instances);
        uint8_t* v = static_cast<uint8_t*>(lock_vertex_buffer(mesh, 0, 0));
        for (int f = 0; f < 6; ++f)
            for (int c = 0; c < 4; ++c, v += 8)
                for (int half = 0; half < 2; ++half) {
                    for (int b = 0; b < 3; ++b)
                        v[4 * half + b] = CUBE_FACES[f][c][half][b];
                    v[4 * half + 3] = 255;
                }
        unlock_vertex_buffer(mesh);
        uint16_t* ix = static_cast<uint16_t*>(lock_index_buffer(indices, 0, 0));
        static const uint16_t FACE[6] = {0, 2, 1, 3, 1, 2};
        for (int f = 0; f < 6; ++f)
            for (int i = 0; i < 6; ++i)
                ix[6 * f + i] = static_cast<uint16_t>(4 * f + FACE[i]);
        static const uint16_t QUADS[12] = {0, 1, 2, 1, 3, 2, 0, 2, 1, 1, 2, 3};
        for (int i = 0; i < 12; ++i)
            ix[QUAD_CW + i] = QUADS[i];
        unlock_index_buffer(indices);
    }
    void TearDown() override { close_test_device(); }

    // The shader's transform in c0..c3 and its colouring switch in c8.
    void set_transform(const Matrix& m, bool faceColours)
    {
        set_vs_constants(0, &m.m[0][0], 4);
        const float mode[4] = {faceColours ? 1.0f : 0.0f, 0, 0, 0};
        set_vs_constants(8, mode, 1);
    }

    void fill_instances(const std::vector<TestInstance>& list)
    {
        auto* p = static_cast<TestInstance*>(lock_vertex_buffer(instances, 0, 0));
        ASSERT_NE(p, nullptr);
        std::copy(list.begin(), list.end(), p);
        unlock_vertex_buffer(instances);
    }

    void begin_scene()
    {
        set_scene_target();
        clear_all(0);
        set_vertex_declaration(decl);
        set_stream(0, mesh, 0, 8);
        set_stream(1, instances, 0, sizeof(TestInstance));
        set_indices(indices);
        set_shader(shader);
    }

    // As the game does: resolve, then the post-effect into the back buffer.
    std::vector<uint32_t> finish_scene()
    {
        resolve_scene_to(image);
        set_backbuffer_target();
        set_shader(postEffect);
        set_texture(0, image);
        const float mapping[4] = {0.5f, -0.5f, 0.5f / W + 0.5f, 0.5f / H + 0.5f};
        set_vs_constants(16, mapping, 1);
        draw_fullscreen_quad();
        std::vector<uint32_t> pixels = read_back_buffer(W, H);
        for (uint32_t& p : pixels)
            p &= 0xFFFFFF;
        return pixels;
    }

    VertexDeclaration* decl;
    Shader *shader, *postEffect;
    Texture* image;
    VertexBuffer *mesh, *instances;
    IndexBuffer* indices;
};

static uint32_t at(const std::vector<uint32_t>& pixels, int x, int y)
{
    return pixels[static_cast<size_t>(y) * W + x];
}

// Every pixel of [x0, x1) x [y0, y1) has the colour, and the ring around it
// is black. Multisampled, edges on pixel centres cover half a pixel, as in
// Direct3D 9: the first row and column and the ring after the last are
// blends, and the ring outside those is black.
static void expect_rect(
    const std::vector<uint32_t>& pixels, int x0, int y0, int x1, int y1, uint32_t color, bool multisampled)
{
    int wrong = 0;
    for (int y = y0 - 1; y <= y1 + multisampled; ++y) {
        for (int x = x0 - 1; x <= x1 + multisampled; ++x) {
            if (multisampled && (x == x0 || x == x1 || y == y0 || y == y1))
                continue;
            bool inside = x >= x0 && x < x1 && y >= y0 && y < y1;
            wrong += at(pixels, x, y) != (inside ? color : 0u);
        }
    }
    EXPECT_EQ(wrong, 0) << "rect " << x0 << "," << y0 << " - " << x1 << "," << y1 << " colour " << std::hex
                        << color << " holds " << at(pixels, x0, y0);
}

TEST_P(Picture, InstancedQuadsLandOnTheirPixelsAndCounterClockwiseOnesAreCulled)
{
    begin_scene();
    // Screen pixels, y down, as Direct3D 9 maps them.
    Matrix pixelsToClip = {{{2.0f / W, 0, 0, 0}, {0, -2.0f / H, 0, 0}, {0, 0, 0, 0}, {-1, 1, 0.5f, 1}}};
    set_transform(pixelsToClip, false);
    fill_instances({{40, 30, 0, 16, 0xFF000000 | RED}, {100, 60, 0, 16, 0xFF000000 | GREEN},
        {290, 170, 0, 16, 0xFF000000 | BLUE}, {0, 0, 0, 8, 0xFF000000 | RED},
        // Counter-clockwise copies: culled.
        {40, 100, 0, 16, 0xFF000000 | MAGENTA}, {100, 120, 0, 16, 0xFF000000 | MAGENTA}});
    set_instancing(3);
    draw_indexed(PRIM_TRIANGLE_LIST, 0, 0, 4, QUAD_CW, 2);
    // A run further into the stream: its offset picks the first record.
    set_stream(1, instances, 3 * sizeof(TestInstance), sizeof(TestInstance));
    set_instancing(1);
    draw_indexed(PRIM_TRIANGLE_LIST, 0, 0, 4, QUAD_CW, 2);
    set_stream(1, instances, 4 * sizeof(TestInstance), sizeof(TestInstance));
    set_instancing(2);
    draw_indexed(PRIM_TRIANGLE_LIST, 0, 0, 4, QUAD_CCW, 2);
    GLint divisor = -1;
    glGetVertexAttribiv(ATTR_POSITION1, GL_VERTEX_ATTRIB_ARRAY_DIVISOR, &divisor);
    EXPECT_EQ(divisor, 1);

    // Not instanced: stream 1 advances per vertex again, one record per corner.
    set_instancing(0);
    set_stream(1, instances, 6 * sizeof(TestInstance), sizeof(TestInstance));
    fill_instances(
        {{}, {}, {}, {}, {}, {}, {200, 20, 0, 0, 0xFF000000 | YELLOW}, {230, 20, 0, 0, 0xFF000000 | YELLOW},
            {200, 40, 0, 0, 0xFF000000 | YELLOW}, {230, 40, 0, 0, 0xFF000000 | YELLOW}});
    draw_indexed(PRIM_TRIANGLE_LIST, 0, 0, 4, QUAD_CW, 2);
    glGetVertexAttribiv(ATTR_POSITION1, GL_VERTEX_ATTRIB_ARRAY_DIVISOR, &divisor);
    EXPECT_EQ(divisor, 0);

    std::vector<uint32_t> pixels = finish_scene();
    bool multisampled = scene_samples() > 0;
    write_png(test_file(multisampled ? "quads_aa.png" : "quads.png"), pixels, W, H);
    expect_rect(pixels, 40, 30, 56, 46, RED, multisampled);
    expect_rect(pixels, 100, 60, 116, 76, GREEN, multisampled);
    expect_rect(pixels, 290, 170, 306, 186, BLUE, multisampled);
    expect_rect(pixels, 200, 20, 230, 40, YELLOW, multisampled);
    if (multisampled)
        return;
    // The quad in the corner: the edge rows and columns of the picture are covered.
    EXPECT_EQ(at(pixels, 0, 0), RED);
    EXPECT_EQ(at(pixels, 7, 7), RED);
    EXPECT_EQ(at(pixels, 8, 7), 0u);
    int lit = 0;
    for (uint32_t p : pixels)
        lit += p != 0;
    EXPECT_EQ(lit, 3 * 256 + 64 + 30 * 20);
}

// Where a world point lands on the screen, in pixels.
static void project(const Matrix& vp, float x, float y, float z, int* px, int* py)
{
    float clip[4];
    for (int j = 0; j < 4; ++j)
        clip[j] = x * vp.m[0][j] + y * vp.m[1][j] + z * vp.m[2][j] + vp.m[3][j];
    *px = static_cast<int>((clip[0] / clip[3] + 1) * 0.5f * W);
    *py = static_cast<int>((1 - clip[1] / clip[3]) * 0.5f * H);
}

TEST_P(Picture, ACubeSeenFromTheFrontLeftAndAboveShowsThoseThreeFaces)
{
    // The scene's projection for pixel scale 1, and the eye up, left and in front of the cube.
    const float s = 1;
    Matrix projection
        = {{{240 * s / W, 0, 0, 0}, {0, 240 * s / H, 0, 0}, {0, 0, 1.0005f, 1}, {0, 0, -1.0005f, 0}}};
    const float eye[3] = {-1, 2, -3};
    Matrix view = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {-eye[0], -eye[1], -eye[2], 1}}};
    set_projection(projection);
    set_view(view);
    Matrix vp;
    get_view_projection(&vp);

    for (bool cull : {true, false}) {
        begin_scene();
        set_depth_test(false); // culling alone hides faces
        set_cull(cull);
        set_transform(vp, true);
        fill_instances({{0, 0, 0, 1, 0xFFFFFFFF}});
        set_instancing(1);
        draw_indexed(PRIM_TRIANGLE_LIST, 0, 0, 24, 0, 12);
        set_instancing(0);
        std::vector<uint32_t> pixels = finish_scene();
        int counts[3] = {};
        for (uint32_t p : pixels)
            for (int i = 0; i < 3; ++i)
                counts[i] += p == (const uint32_t[]){YELLOW, MAGENTA, CYAN}[i];
        if (!cull) {
            // Without culling the back faces, drawn last, cover the front.
            EXPECT_GT(counts[0] + counts[1] + counts[2], 0);
            continue;
        }
        if (!GetParam())
            write_png(test_file("cube.png"), pixels, W, H);
        EXPECT_EQ(counts[0] + counts[1] + counts[2], 0) << "a culled face shows";
        int x, y;
        project(vp, 0.5f, 0.5f, 0, &x, &y);
        EXPECT_EQ(at(pixels, x, y), RED) << "front face centre";
        project(vp, 0.5f, 1, 0.5f, &x, &y);
        EXPECT_EQ(at(pixels, x, y), GREEN) << "top face centre";
        project(vp, 0, 0.5f, 0.5f, &x, &y);
        EXPECT_EQ(at(pixels, x, y), BLUE) << "left face centre";
    }
    set_depth_test(true);
}

INSTANTIATE_TEST_SUITE_P(Antialiasing, Picture, testing::Bool(),
    [](const testing::TestParamInfo<bool>& p) { return p.param ? "Multisampled" : "Plain"; });
