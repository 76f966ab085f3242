// The cube renderer and the voxel cache against the recording fake device.
#include "voxel/dynCubeRender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "core/settings.h"
#include "deathTest.h"
#include "device/d3d_misc.h"
#include "device/d3d_vbuf.h"
#include "fakeFrame.h"
#include "fakePlatform.h"
#include "tempFile.h"

// The cubes a scan emits, as (x, y, z, value, doubled).
struct Emitted {
    int x, y, z;
    uint8_t v;
    bool doubled;
};

static std::vector<Emitted> scan(const VoxelBox& box, int column, int row)
{
    std::vector<Emitted> out;
    scan_chunk(box, column, row, [&](int x, int y, int z, uint8_t v, bool d) {
        out.push_back({x, y, z, v, d});
    });
    return out;
}

// A small grid of even sizes, x fastest.
struct TestGrid {
    TestGrid(int nx, int ny, int nz)
        : nx(nx)
        , ny(ny)
        , nz(nz)
        , bytes(static_cast<size_t>(nx) * ny * nz)
    {
    }
    uint8_t& at(int x, int y, int z) { return bytes[x + nx * (y + ny * z)]; }
    VoxelBox box() { return {bytes.data(), 1, nx, nx * ny, nx, ny, nz, palette}; }
    void fill(int x0, int y0, int z0, int x1, int y1, int z1, uint8_t v)
    {
        for (int z = z0; z <= z1; ++z)
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x)
                    at(x, y, z) = v;
    }
    int nx, ny, nz;
    std::vector<uint8_t> bytes;
    uint32_t palette[256] = {};
};

TEST(CubeInstance, EncodesXBeyondAShortAndNegativeOffsets)
{
    CubeInstance c = make_cube_instance(2048 * 16, 5 * 16, 3, 0xFF112233, false);
    EXPECT_EQ(c.s0, 0);
    EXPECT_EQ(c.s3, 1);
    EXPECT_EQ(c.s1, 80);
    EXPECT_EQ(c.s2, 3);
    EXPECT_EQ(c.colour, 0xFF112233u);

    c = make_cube_instance(-8 * 16, 0, 0, 0, false);
    EXPECT_EQ(static_cast<uint16_t>(c.s0), 0x7F80);
    EXPECT_EQ(c.s3, -1);

    c = make_cube_instance(4095 * 16, 0, 0, 0, true); // the level's last voxel, doubled
    EXPECT_EQ(static_cast<uint16_t>(c.s0), 0x8000 | ((4095 * 16) & 0x7FFF));
    EXPECT_EQ((c.s0 & 0x7FFF) + 32768 * c.s3, 4095 * 16);
}

TEST(CubeInstance, ARunKeepsItsFirstCubesXOnBothSidesOfZero)
{
    for (int x16 : {-8 * 16, -16, 0, 2047 * 16, 2048 * 16, 4094 * 16}) {
        CubeInstance run = make_cube_instance(x16, 32, 48, 0xFF445566, false);
        for (int k = 1; k < CUBE_MAX_RUN; ++k)
            ASSERT_TRUE(
                extend_cube_run(&run, make_cube_instance(x16 + 16 * k, 32, 48, 0xFF445566, false), 16));
        EXPECT_EQ(cube_run(run), CUBE_MAX_RUN) << x16;
        EXPECT_EQ(cube_x16(run), x16);
        EXPECT_FALSE(
            extend_cube_run(&run, make_cube_instance(x16 + 16 * CUBE_MAX_RUN, 32, 48, 0xFF445566, false), 16))
            << "a full run";
    }
    // Only the next cube of the same row, size and colour joins.
    CubeInstance run = make_cube_instance(160, 32, 48, 7, true);
    EXPECT_FALSE(extend_cube_run(&run, make_cube_instance(176, 32, 48, 7, true), 32)) << "overlapping";
    EXPECT_FALSE(extend_cube_run(&run, make_cube_instance(224, 32, 48, 7, true), 32)) << "a gap";
    EXPECT_FALSE(extend_cube_run(&run, make_cube_instance(192, 32, 48, 7, false), 32)) << "another size";
    EXPECT_FALSE(extend_cube_run(&run, make_cube_instance(192, 32, 48, 8, true), 32)) << "another colour";
    EXPECT_FALSE(extend_cube_run(&run, make_cube_instance(192, 48, 48, 7, true), 32)) << "another row";
    EXPECT_FALSE(extend_cube_run(&run, make_cube_instance(192, 32, 64, 7, true), 32)) << "another layer";
    EXPECT_EQ(cube_run(run), 1);
    EXPECT_TRUE(extend_cube_run(&run, make_cube_instance(192, 32, 48, 7, true), 32));
}

TEST(VoxelScan, AUniformBlockInOpenSpaceIsOneDoubleCube)
{
    TestGrid g(32, 32, 8);
    g.fill(4, 4, 2, 5, 5, 3, 9);
    std::vector<Emitted> cubes = scan(g.box(), 0, 0);
    ASSERT_EQ(cubes.size(), 1u);
    EXPECT_TRUE(cubes[0].doubled);
    EXPECT_EQ(cubes[0].x, 4);
    EXPECT_EQ(cubes[0].z, 2);
    EXPECT_EQ(cubes[0].v, 9);
    CubeInstance c = make_cube_instance(cubes[0].x * 16, 0, 0, 0, cubes[0].doubled);
    EXPECT_NE(c.s0 & 0x8000, 0);
}

TEST(VoxelScan, ABlockWithOneDifferentVoxelEmitsItsVoxelsInOrder)
{
    TestGrid g(32, 32, 8);
    g.fill(4, 4, 2, 5, 5, 3, 9);
    g.at(5, 5, 3) = 7;
    std::vector<Emitted> cubes = scan(g.box(), 0, 0);
    ASSERT_EQ(cubes.size(), 8u);
    const int order[8][3]
        = {{4, 4, 2}, {5, 4, 2}, {5, 5, 2}, {4, 5, 2}, {4, 4, 3}, {5, 4, 3}, {5, 5, 3}, {4, 5, 3}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(cubes[i].x, order[i][0]) << i;
        EXPECT_EQ(cubes[i].y, order[i][1]) << i;
        EXPECT_EQ(cubes[i].z, order[i][2]) << i;
        EXPECT_FALSE(cubes[i].doubled);
    }
    EXPECT_EQ(cubes[6].v, 7);
}

TEST(VoxelScan, BlocksAreBuriedOnlyWhenEveryFaceNeighbourIsSolidAwayFromTheEdge)
{
    TestGrid g(32, 32, 8);
    g.fill(2, 2, 2, 9, 9, 5, 4); // 8 x 8 x 4: every block touches z = 1 or z = 6
    std::vector<Emitted> cubes = scan(g.box(), 0, 0);
    EXPECT_EQ(cubes.size(), 32u);
    for (const Emitted& e : cubes)
        EXPECT_TRUE(e.doubled);

    TestGrid full(32, 32, 6);
    full.fill(0, 0, 0, 31, 31, 5, 4);
    cubes = scan(full.box(), 0, 0);
    // z = 0 and z = 4 lie on the grid's edge; at z = 2 only the blocks on
    // the chunk's x = 0 or y = 0 edge of the grid show.
    int middle = 0;
    for (const Emitted& e : cubes)
        middle += e.z == 2;
    EXPECT_EQ(middle, 8 + 7);
    EXPECT_EQ(cubes.size(), 64u + 15u + 64u);
}

TEST(VoxelScan, MixedBlocksSendOnlyTheirExposedVoxels)
{
    TestGrid g(32, 32, 8);
    g.fill(1, 1, 1, 4, 4, 4, 2); // 4 x 4 x 4, not block aligned: its 2 x 2 x 2 core is buried
    std::vector<Emitted> cubes = scan(g.box(), 0, 0);
    EXPECT_EQ(cubes.size(), 56u);
    for (const Emitted& e : cubes) {
        EXPECT_FALSE(e.doubled);
        bool inner = e.x >= 2 && e.x <= 3 && e.y >= 2 && e.y <= 3 && e.z >= 2 && e.z <= 3;
        EXPECT_FALSE(inner) << e.x << "," << e.y << "," << e.z;
    }
}

TEST(VoxelScan, TheBlockWiseScanEmitsWhatTheVoxelByVoxelScanDoes)
{
    // Solid rock (or open air) over 3 x 2 chunks, with boxes carved or
    // painted at any place and size and a few single voxels flipped: blocks
    // uniform and mixed, buried and beside a hole on each side, on and off
    // the grid's edges.
    srand(11);
    for (int variant = 0; variant < 8; ++variant) {
        TestGrid g(48, 32, 6);
        if (variant > 0)
            g.fill(0, 0, 0, 47, 31, 5, 1);
        for (int i = 0; i < 30; ++i) {
            int x = rand() % 48, y = rand() % 32, z = rand() % 6;
            g.fill(x, y, z, std::min(x + rand() % 8, 47), std::min(y + rand() % 8, 31),
                std::min(z + rand() % 3, 5), static_cast<uint8_t>(rand() % 3 ? 0 : 2));
        }
        for (uint8_t& v : g.bytes)
            if (rand() % 100 < variant)
                v = v ? 0 : 3;
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 3; ++column) {
                std::vector<Emitted> byVoxel;
                scan_chunk_by_voxel(g.box(), column, row, [&](int x, int y, int z, uint8_t v, bool d) {
                    byVoxel.push_back({x, y, z, v, d});
                });
                std::vector<Emitted> blockWise = scan(g.box(), column, row);
                ASSERT_EQ(blockWise.size(), byVoxel.size())
                    << "variant " << variant << ", chunk " << column << "," << row;
                for (size_t i = 0; i < byVoxel.size(); ++i) {
                    const Emitted &a = blockWise[i], &b = byVoxel[i];
                    ASSERT_TRUE(
                        a.x == b.x && a.y == b.y && a.z == b.z && a.v == b.v && a.doubled == b.doubled)
                        << "variant " << variant << ", cube " << i;
                }
            }
    }
}
class CubeRenderer : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake_reset();
        fake_frame_reset();
        cube_renderer_init();
    }
    void TearDown() override
    {
        voxel_cache_destroy();
        cube_renderer_shutdown();
    }
    static const FakeBuffer* buffer_of_size(int size)
    {
        for (auto& [handle, b] : fake_device.buffers)
            if (static_cast<int>(b.bytes.size()) == size)
                return &b;
        return nullptr;
    }
};

TEST_F(CubeRenderer, TheMeshAndIndicesAreTheTable)
{
    // Corners as (b0, b1, b2) and face codes per vertex, face by face.
    const uint8_t table[24][6] = {{0, 0, 0, 0, 118, 118}, {0, 0, 255, 0, 118, 138}, {0, 255, 0, 0, 138, 118},
        {0, 255, 255, 0, 138, 138}, {0, 255, 0, 118, 255, 118}, {0, 255, 255, 118, 255, 138},
        {255, 255, 0, 138, 255, 118}, {255, 255, 255, 138, 255, 138}, {0, 0, 0, 118, 118, 0},
        {0, 255, 0, 118, 138, 0}, {255, 0, 0, 138, 118, 0}, {255, 255, 0, 138, 138, 0},
        {255, 0, 255, 138, 118, 255}, {255, 255, 255, 138, 138, 255}, {0, 0, 255, 118, 118, 255},
        {0, 255, 255, 118, 138, 255}, {255, 0, 0, 138, 0, 118}, {255, 0, 255, 138, 0, 138},
        {0, 0, 0, 118, 0, 118}, {0, 0, 255, 118, 0, 138}, {255, 255, 0, 255, 138, 118},
        {255, 255, 255, 255, 138, 138}, {255, 0, 0, 255, 118, 118}, {255, 0, 255, 255, 118, 138}};
    const FakeBuffer* mesh = buffer_of_size(192);
    ASSERT_NE(mesh, nullptr);
    for (int v = 0; v < 24; ++v) {
        const uint8_t* b = &mesh->bytes[8 * v];
        const uint8_t expect[8]
            = {table[v][0], table[v][1], table[v][2], 255, table[v][3], table[v][4], table[v][5], 255};
        EXPECT_EQ(memcmp(b, expect, 8), 0) << "vertex " << v;
    }
    const FakeBuffer* indices = buffer_of_size(72);
    ASSERT_NE(indices, nullptr);
    const uint16_t* ix = reinterpret_cast<const uint16_t*>(indices->bytes.data());
    for (int f = 0; f < 6; ++f) {
        const uint16_t expect[6] = {static_cast<uint16_t>(4 * f), static_cast<uint16_t>(4 * f + 2),
            static_cast<uint16_t>(4 * f + 1), static_cast<uint16_t>(4 * f + 3),
            static_cast<uint16_t>(4 * f + 1), static_cast<uint16_t>(4 * f + 2)};
        EXPECT_EQ(memcmp(ix + 6 * f, expect, 12), 0) << "face " << f;
    }
}

TEST_F(CubeRenderer, TheDynamicStreamDrawsFullBatchesOf16384)
{
    begin_cubes();
    for (int i = 0; i < 16384; ++i)
        emit_cube(i, 0, 0, 0xFFFFFFFF);
    EXPECT_TRUE(fake_device.draws.empty());
    emit_cube(0, 0, 0, 0xFFFFFFFF); // the 16385th starts a new batch
    ASSERT_EQ(fake_device.draws.size(), 1u);
    EXPECT_EQ(fake_device.draws[0].instanceCount, 16384);
    EXPECT_EQ(fake_device.draws[0].vertexCount, 24); // sprites show all six faces
    end_cubes();
    ASSERT_EQ(fake_device.draws.size(), 2u);
    EXPECT_EQ(fake_device.draws[1].instanceCount, 1);
}

TEST_F(CubeRenderer, ABatchSeenThroughAnEyeLeavesOutTheFacesTurnedAwayInEveryCube)
{
    // The game's projection for 640 x 360 and an eye 120 voxels in front of
    // the origin: cubes up and to the right of it show their front, left
    // and bottom faces only.
    set_projection({{{240.0f * 3 / 640, 0, 0, 0}, {0, 240.0f * 3 / 360, 0, 0}, {0, 0, 1.0005f, 1},
        {0, 0, -1.0005f, 0}}});
    Matrix view = MATRIX_IDENTITY;
    view.m[3][2] = 120;
    set_view(view);
    begin_cubes();
    emit_cube(10 * 16, 5 * 16, 0, 0xFFFFFFFF);
    emit_cube(12 * 16, 6 * 16, 16, 0xFFFFFFFF);
    end_cubes();
    set_view(MATRIX_IDENTITY);
    set_projection(MATRIX_IDENTITY);
    ASSERT_EQ(fake_device.draws.size(), 1u);
    const FakeDraw& d = fake_device.draws[0];
    EXPECT_EQ(d.instanceCount, 2);
    ASSERT_EQ(d.primitiveCount, 6);
    const FakeBuffer* sets = buffer_of_size(6 * 6 * 32 * 2);
    ASSERT_TRUE(sets);
    const uint16_t* ix = reinterpret_cast<const uint16_t*>(sets->bytes.data()) + d.startIndex;
    const int faces[3] = {FACE_FRONT, FACE_LEFT, FACE_BOTTOM};
    for (int t = 0; t < 6; ++t)
        EXPECT_EQ(ix[3 * t] / 4, faces[t / 2]) << "triangle " << t;
}

TEST_F(CubeRenderer, AMirroredBoxReadsItsVoxelsBackwards)
{
    const uint8_t voxels[3] = {1, 2, 3};
    const uint32_t palette[4] = {0, 0xFF0000AA, 0xFF0000BB, 0xFF0000CC};
    begin_cubes();
    draw_voxel_box(voxels, 1, 3, 3, 3, 1, 1, palette, 10, 0, 0, VOXEL_BOX_MIRROR_X);
    end_cubes();
    ASSERT_EQ(fake_device.draws.size(), 1u);
    const CubeInstance* c = reinterpret_cast<const CubeInstance*>(
        fake_device.buffers.at(fake_device.draws[0].instances).bytes.data());
    EXPECT_EQ(c[0].colour, 0xFF0000CCu);
    EXPECT_EQ(c[0].s0, 160);
    EXPECT_EQ(c[2].colour, 0xFF0000AAu);
    EXPECT_EQ(c[2].s0, 192);
}

TEST_F(CubeRenderer, NullVoxelsOrPaletteFailTheirAssertions)
{
    const uint8_t voxels[1] = {1};
    const uint32_t palette[2] = {0, 1};
    EXPECT_FATAL(draw_voxel_box(nullptr, 1, 1, 1, 1, 1, 1, palette, 0, 0, 0, 0), "failed ASSERT\\(data\\)");
    EXPECT_FATAL(draw_voxel_box(voxels, 1, 1, 1, 1, 1, 1, nullptr, 0, 0, 0, 0), "failed ASSERT\\(palette\\)");
    EXPECT_FATAL(
        {
            begin_cubes();
            emit_cube(0, 0, 0, 0);
            begin_cubes();
        },
        "dynCubeRender\\.cpp\\([0-9]+\\): failed ASSERT\\(!vbPtr\\)");
}

TEST_F(CubeRenderer, ATransformSetsTheObjectSpaceLightAndDepth)
{
    begin_cubes();
    // A quarter turn about y, then moved to (100, 20, 8).
    Matrix world = {{{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {100, 20, 8, 1}}};
    set_cube_transform(world);
    const float* c5 = &fake_device.constants[4 * 5];
    const float* c6 = &fake_device.constants[4 * 6];
    // The light turned back into object space lands on the world light.
    Vec4 light = transform({c5[0], c5[1], c5[2], 0}, world);
    EXPECT_NEAR(light.y, CUBE_LIGHT_DIRECTION[1], 1e-6);
    EXPECT_NEAR(light.z, CUBE_LIGHT_DIRECTION[2], 1e-6);
    // The depth vector gives 0.05 per voxel of world depth for object points.
    for (Vec4 p : {Vec4{0, 0, 0, 1}, Vec4{3, 1, -2, 1}}) {
        float depth = c6[0] * p.x + c6[1] * p.y + c6[2] * p.z + c6[3];
        EXPECT_NEAR(depth, 0.05f * transform(p, world).z, 1e-5);
    }
    // A matrix without an inverse (flattened in z) keeps the world-space
    // shading rather than reading an inverse that was never computed.
    Matrix flat = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 0, 0}, {5, 6, 7, 1}}};
    set_cube_transform(flat);
    EXPECT_FLOAT_EQ(c6[2], 0.05f);
    EXPECT_FLOAT_EQ(c5[1], CUBE_LIGHT_DIRECTION[1]);
    EXPECT_FLOAT_EQ(c5[2], CUBE_LIGHT_DIRECTION[2]);
    end_cubes();
    EXPECT_FLOAT_EQ(c6[2], 0.05f); // back to world space
    EXPECT_FLOAT_EQ(c5[1], CUBE_LIGHT_DIRECTION[1]);
}

// A view from far in front of the middle of the 64 x 48 test grid that
// shows all of it.
static const CacheView WHOLE_GRID = {32, 24, -120, 1, 1};

class VoxelCache : public CubeRenderer {
protected:
    void SetUp() override
    {
        CubeRenderer::SetUp();
        grid.fill(0, 0, 0, 63, 3, 3, 1); // a floor along the bottom of four chunks
        voxel_cache_create(grid.bytes.data(), 1, 64, 64 * 48, 64, 48, 4, grid.palette);
    }
    // Chunk builds of the last draw: locks of cache entries.
    int builds()
    {
        int n = 0;
        for (auto& [handle, b] : fake_device.buffers)
            if (b.bytes.size() == 0x6000)
                n += b.locks;
        int since = n - lastBuilds;
        lastBuilds = n;
        return since;
    }
    // The faces drawn since the draws were cleared, as counts of cubes (or
    // of records) per face of the mesh; every draw is one face of one run
    // of records, and a record may stand for a row of cubes.
    std::vector<int> faces_drawn(bool records = false)
    {
        std::vector<int> count(6);
        for (const FakeDraw& d : fake_device.draws) {
            EXPECT_EQ(d.vertexCount, 4);
            EXPECT_EQ(d.primitiveCount, 2);
            EXPECT_LE(d.instanceCount, 2048);
            const uint8_t* bytes = fake_device.buffers[d.instances].bytes.data() + d.instanceOffset;
            for (int i = 0; i < d.instanceCount; ++i) {
                CubeInstance c;
                memcpy(&c, bytes + i * sizeof c, sizeof c);
                count[d.startIndex / 6] += records ? 1 : cube_run(c);
            }
        }
        return count;
    }
    TestGrid grid{64, 48, 4};
    int lastBuilds = 0;
};

TEST_F(VoxelCache, OnlyChunksWithinOneVoxelOfAChangeAreRebuilt)
{
    voxel_cache_draw(0, 0, 63, 47, WHOLE_GRID);
    EXPECT_EQ(builds(), 4); // the four floor chunks; empty chunks keep no entry
    voxel_cache_draw(0, 0, 63, 47, WHOLE_GRID);
    EXPECT_EQ(builds(), 0);

    voxel_cache_invalidate(20, 2, 21, 2); // inside chunk 1
    voxel_cache_draw(0, 0, 63, 47, WHOLE_GRID);
    EXPECT_EQ(builds(), 1);
    voxel_cache_invalidate(16, 0, 16, 0); // on the border: widened into chunk 0
    voxel_cache_draw(0, 0, 63, 47, WHOLE_GRID);
    EXPECT_EQ(builds(), 2);
    voxel_cache_invalidate_all();
    voxel_cache_draw(0, 0, 63, 47, WHOLE_GRID);
    EXPECT_EQ(builds(), 4);
}

TEST_F(VoxelCache, ChunksScrolledOutOfViewAreRebuiltOnReturn)
{
    voxel_cache_draw(0, 0, 63, 47, WHOLE_GRID);
    builds();
    voxel_cache_draw(0, 0, 31, 47, WHOLE_GRID); // chunks 2 and 3 leave the view
    EXPECT_EQ(builds(), 0);
    voxel_cache_draw(0, 0, 63, 47, WHOLE_GRID);
    EXPECT_EQ(builds(), 2);
}

TEST_F(VoxelCache, OnlyFacesThatTouchAnEmptyVoxelAndMayFaceTheEyeAreDrawn)
{
    // The floor is 64 x 4 x 4 voxels: 32 x 2 x 2 doubled cubes. Seen from
    // above its middle, the fronts of the front layer show and the tops of
    // the upper layer; the ends' side faces and the bottoms (the grid's
    // edges) face away, and backs are never drawn.
    fake_device.draws.clear();
    voxel_cache_draw(0, 0, 63, 47, WHOLE_GRID);
    std::vector<int> faces = faces_drawn();
    EXPECT_EQ(faces[FACE_FRONT], 64);
    EXPECT_EQ(faces[FACE_TOP], 64);
    EXPECT_EQ(faces[FACE_LEFT], 0);
    EXPECT_EQ(faces[FACE_RIGHT], 0);
    EXPECT_EQ(faces[FACE_BOTTOM], 0);
    EXPECT_EQ(faces[FACE_BACK], 0);
    // Each chunk's row of eight equal cubes is one stretched record.
    EXPECT_EQ(faces_drawn(true)[FACE_FRONT], 4 * 2);
    EXPECT_EQ(faces_drawn(true)[FACE_TOP], 4 * 2);

    // From below the floor and left of the grid: the bottoms (on the grid's
    // edge) and the left end's left faces.
    fake_device.draws.clear();
    voxel_cache_draw(0, 0, 63, 47, {-10, -10, -120, 1, 1});
    faces = faces_drawn();
    EXPECT_EQ(faces[FACE_TOP], 0);
    EXPECT_EQ(faces[FACE_BOTTOM], 64);
    EXPECT_EQ(faces[FACE_RIGHT], 0);
    EXPECT_EQ(faces[FACE_LEFT], 4);
}

TEST_F(VoxelCache, ChunksOutOfTheViewStayCachedButAreNotDrawn)
{
    // A narrow view of chunk 0: two voxels wide at the back.
    const CacheView narrow = {8, 24, -120, 1.0f / 140, 1};
    fake_device.draws.clear();
    voxel_cache_draw(0, 0, 63, 47, narrow);
    EXPECT_EQ(builds(), 4);
    for (const FakeDraw& d : fake_device.draws)
        EXPECT_EQ(d.instances, fake_device.draws[0].instances) << "one chunk drawn";
    fake_device.draws.clear();
    voxel_cache_draw(0, 0, 63, 47, WHOLE_GRID);
    EXPECT_EQ(builds(), 0);
    EXPECT_EQ(faces_drawn()[FACE_FRONT], 64);
}

// The faces drawn by one cache draw with fast voxels on.
static std::vector<int> fast_faces(const std::function<std::vector<int>()>& draw)
{
    TempDir store;
    setenv("XDG_CONFIG_HOME", store.path.c_str(), 1);
    const char* args[] = {"test"};
    settings_write_dword("flags", SETTINGS_FAST_VOXELS);
    read_settings(1, args);
    std::vector<int> faces = draw();
    settings_write_dword("flags", 0);
    read_settings(1, args);
    return faces;
}

TEST_F(VoxelCache, FastVoxelsDrawEveryCubesFrontToAWideViewAndNothingElse)
{
    // A 2 x 2 x 4 column of alternating colours: sixteen single cubes, the
    // fronts of all but the first layer covered, and two more faces of each
    // on the column's edges (only whole chunks' faces turned away are left
    // out). A view 90 degrees wide sees every front.
    TestGrid column(2, 2, 4);
    for (int z = 0; z < 4; ++z)
        column.fill(0, 0, z, 1, 1, z, static_cast<uint8_t>(1 + z % 2));
    voxel_cache_destroy();
    voxel_cache_create(column.bytes.data(), 1, 2, 4, 2, 2, 4, column.palette);
    fake_device.draws.clear();
    voxel_cache_draw(0, 0, 1, 1, {1, 1, -120, 1, 1});
    std::vector<int> faces = faces_drawn();
    EXPECT_EQ(faces[FACE_FRONT], 4);
    EXPECT_EQ(faces[FACE_TOP] + faces[FACE_LEFT] + faces[FACE_RIGHT] + faces[FACE_BOTTOM], 32);

    faces = fast_faces([&] {
        fake_device.draws.clear();
        voxel_cache_draw(0, 0, 1, 1, {1, 1, -120, 1, 1});
        return faces_drawn();
    });
    EXPECT_EQ(faces[FACE_FRONT], 16);
    EXPECT_EQ(faces[FACE_TOP] + faces[FACE_LEFT] + faces[FACE_RIGHT] + faces[FACE_BOTTOM], 0);
}

TEST_F(VoxelCache, FastVoxelsLeaveOutTheCoveredFrontsThatNoRayToANarrowViewLeaves)
{
    // A 32 x 32 x 4 slab, 256 double cubes in front and 224 behind them
    // (the back layer leaves out the four columns on the side away from
    // the eye), seen from above and right of it (and in turn from the other
    // three corners, mirrored) through a view that reaches 0.9 voxels
    // sideways and half a voxel up per voxel of depth. A ray from a back
    // cube's covered front towards the eye moves no further, so it meets
    // the front layer's fronts unless it can leave the slab first: from the
    // back cube at (x, y) when x + 4 > 32 or y + 3 > 32, 29 of them. A view
    // reaching further up gets all 480.
    for (int right = 0; right < 2; ++right)
        for (int up = 0; up < 2; ++up) {
            TestGrid slab(32, 32, 4);
            slab.fill(0, 0, 0, 31, 31, 1, 1);
            slab.fill(right ? 4 : 0, 0, 2, right ? 31 : 27, 31, 3, 1);
            voxel_cache_destroy();
            voxel_cache_create(slab.bytes.data(), 1, 32, 32 * 32, 32, 32, 4, slab.palette);
            auto fronts = [&](float slopeY) {
                CacheView view = {right ? 40.0f : -8.0f, up ? 40.0f : -8.0f, -120, 0.9f, slopeY};
                return fast_faces([&] {
                    fake_device.draws.clear();
                    voxel_cache_draw(0, 0, 31, 31, view);
                    return faces_drawn();
                })[FACE_FRONT];
            };
            EXPECT_EQ(fronts(0.5f), 256 + 29) << "right " << right << ", up " << up;
            EXPECT_EQ(fronts(0.6f), 480) << "right " << right << ", up " << up;
            voxel_cache_destroy();
        }
}

TEST_F(VoxelCache, BuildsAreCountedChunkByChunkEmptyOnesAtEveryDraw)
{
    const CacheBuildCounts before = voxel_cache_build_counts();
    voxel_cache_draw(0, 0, 63, 47, WHOLE_GRID);
    EXPECT_EQ(voxel_cache_build_counts().chunks - before.chunks, 12); // 4 x 3 chunks
    voxel_cache_draw(0, 0, 63, 47, WHOLE_GRID);
    EXPECT_EQ(voxel_cache_build_counts().chunks - before.chunks, 12 + 8); // the empty ones again
    EXPECT_GE(voxel_cache_build_counts().ticks, before.ticks);
}

TEST_F(VoxelCache, AChunkWithMoreRecordsThanAnEntryHoldsUsesSeveralEntries)
{
    // A checkerboard of 16 x 16 x 40 voxels: 5120 single cubes with all
    // their faces open, seen from the middle of the chunk: each shows its
    // front and one face of each pair.
    TestGrid big(16, 16, 40);
    for (int z = 0; z < 40; ++z)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                big.at(x, y, z) = (x + y + z) % 2 ? 3 : 0;
    voxel_cache_destroy();
    voxel_cache_create(big.bytes.data(), 1, 16, 256, 16, 16, 40, big.palette);
    fake_device.draws.clear();
    voxel_cache_draw(0, 0, 15, 15, {8, 8, -120, 1, 1});
    EXPECT_EQ(voxel_cache_instances(), 5 * 5120);
    std::vector<int> faces = faces_drawn();
    EXPECT_EQ(faces[FACE_FRONT], 5120);
    for (int f : {FACE_TOP, FACE_LEFT, FACE_RIGHT, FACE_BOTTOM})
        EXPECT_EQ(faces[f], 5120) << "face " << f;
}
