// sceneBench.cpp - the cube renderer on llvmpipe: building the level's chunks,
// rebuilding after a hole, and whole frames.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include "benchGame.h"
#include "device/d3d_misc.h"
#include "device/d3d_render.h"
#include "game/hero.h"
#include "game/scene.h"
#include "game/world.h"
#include "platform/platform.h"
#include "voxel/dynCubeRender.h"
#include "voxel/levelGrid.h"

void shutdown_all()
{
    close_bench_game();
}

// The view the benchmarks look at: a room in the middle of level 1 of seed 7.
static const float VIEW_X = 1500, VIEW_Y = 96;

static void use_back_buffer(int width, int height)
{
    plat_set_window_rect(0, 0, width, height);
    resize_d3d(width, height, false);
    place_hero(VIEW_X, VIEW_Y);
}

// The visible window of the last draw, clamped to the grid (inclusive).
static void view_rect(int* x0, int* y0, int* x1, int* y1)
{
    visible_window(x0, y0, x1, y1);
    *x0 = *x0 > 0 ? *x0 : 0;
    *y0 = *y0 > 0 ? *y0 : 0;
    *x1 = (*x1 < LEVEL_SIZE_X ? *x1 : LEVEL_SIZE_X) - 1;
    *y1 = (*y1 < LEVEL_SIZE_Y ? *y1 : LEVEL_SIZE_Y) - 1;
}

// Every chunk of a 1280 x 720 view (6 pixels per voxel) built from an empty
// cache into mapped vertex buffers: the game's own work, without the GL
// driver's cost of drawing them.
static void BM_VoxelCacheColdView(benchmark::State& state)
{
    use_back_buffer(1280, 720);
    draw_world(0.0f);
    int x0, y0, x1, y1;
    view_rect(&x0, &y0, &x1, &y1);
    for (auto _ : state) {
        voxel_cache_invalidate_all();
        voxel_cache_build(x0, y0, x1, y1);
    }
    int solid = 0;
    const uint8_t* grid = level_grid();
    for (int z = 0; z < LEVEL_SIZE_Z; ++z)
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                solid += grid[level_voxel_index(x, y, z)] != 0;
    state.counters["instances"] = voxel_cache_instances();
    state.counters["nonempty_voxels"] = solid;
}
BENCHMARK(BM_VoxelCacheColdView)->Unit(benchmark::kMillisecond);

// The same view built and drawn, as a frame after a new level does: on
// llvmpipe most of it is the driver shading the cubes' vertices on the CPU.
static void BM_VoxelCacheColdDraw(benchmark::State& state)
{
    use_back_buffer(1280, 720);
    for (auto _ : state) {
        voxel_cache_invalidate_all();
        draw_world(0.0f);
        state.PauseTiming();
        flush_gpu();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_VoxelCacheColdDraw)->Unit(benchmark::kMillisecond);

// Rebuilding the view after a 5 x 5 x 18 hole was blown into a wall (and,
// every other time, after it was filled again): only the chunks around the
// hole are built again.
static void BM_PunchHoleRebuild(benchmark::State& state)
{
    use_back_buffer(1280, 720);
    draw_world(0.0f);
    int x0, y0, x1, y1;
    view_rect(&x0, &y0, &x1, &y1);
    uint8_t* grid = level_grid();
    const int hx = static_cast<int>(VIEW_X) - 40, hy = 60;
    static uint8_t saved[18][5][5];
    for (int z = 0; z < 18; ++z)
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x)
                saved[z][y][x] = grid[level_voxel_index(hx + x, hy + y, z)];
    bool open = false;
    for (auto _ : state) {
        state.PauseTiming();
        open = !open;
        for (int z = 0; z < 18; ++z)
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 5; ++x)
                    grid[level_voxel_index(hx + x, hy + y, z)] = open ? 0 : saved[z][y][x];
        world_changed(hx, hy, 0, hx + 4, hy + 4, 17);
        state.ResumeTiming();
        voxel_cache_build(x0, y0, x1, y1);
    }
}
BENCHMARK(BM_PunchHoleRebuild)->Unit(benchmark::kMicrosecond);

// One frame counted: draw calls and instances by the device, and what the
// GL pipeline saw (vertices submitted, vertex-shader runs, primitives, those
// that leave the clipper, fragment-shader runs) through pipeline statistics
// queries. The view is still, so every frame counts alike.
static void count_frame(benchmark::State& state)
{
    static const struct {
        GLenum target;
        const char* name;
    } QUERIES[] = {
        {GL_VERTICES_SUBMITTED_ARB, "vertices"},
        {GL_VERTEX_SHADER_INVOCATIONS_ARB, "vs_runs"},
        {GL_PRIMITIVES_SUBMITTED_ARB, "primitives"},
        {GL_CLIPPING_OUTPUT_PRIMITIVES_ARB, "clip_out"},
        {GL_FRAGMENT_SHADER_INVOCATIONS_ARB, "fs_runs"},
    };
    enum { COUNT = sizeof QUERIES / sizeof QUERIES[0] };
    bool statistics = epoxy_has_gl_extension("GL_ARB_pipeline_statistics_query");
    GLuint queries[COUNT] = {};
    if (statistics) {
        glGenQueries(COUNT, queries);
        for (int i = 0; i < COUNT; ++i)
            glBeginQuery(QUERIES[i].target, queries[i]);
    }
    reset_draw_counts();
    render_frame(0.0f);
    present_frame();
    state.counters["draws"] = static_cast<double>(draw_counts().draws);
    state.counters["instances"] = static_cast<double>(draw_counts().instances);
    if (!statistics)
        return;
    for (int i = 0; i < COUNT; ++i) {
        glEndQuery(QUERIES[i].target);
        GLuint64 n = 0;
        glGetQueryObjectui64v(queries[i], GL_QUERY_RESULT, &n);
        state.counters[QUERIES[i].name] = static_cast<double>(n);
    }
    glDeleteQueries(COUNT, queries);
}

// Whole frames of a window: the scene, the post-effect and the overlays,
// finished by the GPU (llvmpipe) before the next one.
static void BM_FrameRender(benchmark::State& state, int width, int height, bool fastVoxels)
{
    use_fast_voxels(fastVoxels);
    use_back_buffer(width, height);
    for (auto _ : state) {
        render_frame(0.0f);
        present_frame();
        flush_gpu();
    }
    state.counters["fps"]
        = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    count_frame(state);
    flush_gpu();
    use_fast_voxels(false);
}
// CPU time is the whole process's: on llvmpipe the rasteriser's threads do
// most of a frame's work, and their sum is steadier than the wall clock on a
// busy host.
BENCHMARK_CAPTURE(BM_FrameRender, 640x360, 640, 360, false)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_FrameRender, 1280x720, 1280, 720, false)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_FrameRender, 640x360_fast, 640, 360, true)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_FrameRender, 1280x720_fast, 1280, 720, true)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

int main(int argc, char** argv)
{
    open_bench_game("scene_bench");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    close_bench_game();
    return 0;
}
