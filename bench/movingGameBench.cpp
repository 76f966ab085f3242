// movingGameBench.cpp - a game in motion on llvmpipe: a golden recording
// replayed through the game's own update and draw, one frame drawn after
// every update, each frame timed until the GPU has finished it. What a still
// frame hides shows here: the chunks scrolled into view and the holes blown
// into walls, built by the voxel cache in the frames that need them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "benchGame.h"
#include "core/input.h"
#include "core/timer.h"
#include "device/d3d_misc.h"
#include "device/d3d_render.h"
#include "game/gameHooks.h"
#include "game/playback.h"
#include "platform/platform.h"
#include "voxel/dynCubeRender.h"

void shutdown_all()
{
    close_bench_device();
}

// The bot finishing a level (running and tunnelling through it from end to
// end), buying upgrades and playing on into the next one.
static const char* const RECORDING = TARNWICK_SOURCE_DIR "/tests/recordings/upgrade.rec";
static const float UPDATE_SECONDS = 0.05f;

// Milliseconds of every frame drawn, and of the voxel cache's building in it.
struct FrameTimes {
    std::vector<double> frame, build;
};

// The value below which a share `p` of the sorted values lies (nearest rank).
static double percentile(const std::vector<double>& sorted, double p)
{
    size_t at = static_cast<size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(at, sorted.size() - 1)];
}

// Milliseconds of a span of timer ticks.
static double ms(int64_t ticks)
{
    return 1000.0 * ticks_to_seconds(ticks);
}

// The recording played from a fresh game in a window of the given size;
// false when the replay parted from its recording.
static bool replay_frames(int width, int height, FrameTimes* times)
{
    start_playback(0, nullptr, RECORDING, UPDATE_SECONDS);
    game_init();
    plat_set_window_rect(0, 0, width, height);
    resize_d3d(width, height, false);
    while (play_update(playback_update_seconds(UPDATE_SECONDS))) {
        input_end_update();
        int64_t built = voxel_cache_build_counts().ticks;
        int64_t start = timer_now();
        render_frame(0.0f);
        present_frame();
        flush_gpu();
        times->frame.push_back(ms(timer_now() - start));
        times->build.push_back(ms(voxel_cache_build_counts().ticks - built));
    }
    bool ok = finish_playback();
    game_shutdown();
    return ok;
}

// Frame times as counters (milliseconds): median, 95th and 99th percentile,
// longest, the longest against the median, the same for the frames after the
// first level's first, and the cache's build time per frame (median and
// longest).
static void BM_MovingGame(benchmark::State& state, int width, int height)
{
    FrameTimes times;
    for (auto _ : state)
        if (!replay_frames(width, height, &times))
            state.SkipWithError("the replay parted from its recording");
    if (times.frame.empty())
        return;
    // The first frame that builds is the first level's first: it also pays
    // the driver's first compile of the cube shaders, a start-up cost the
    // game logs as "first frame presented after".
    size_t first = 0;
    while (first + 1 < times.build.size() && times.build[first] == 0)
        ++first;
    const double later = first + 1 < times.frame.size()
        ? *std::max_element(times.frame.begin() + static_cast<std::ptrdiff_t>(first) + 1, times.frame.end())
        : 0;
    std::sort(times.frame.begin(), times.frame.end());
    std::sort(times.build.begin(), times.build.end());
    double median = percentile(times.frame, 0.5);
    state.counters["frames"] = static_cast<double>(times.frame.size());
    state.counters["p50_ms"] = median;
    state.counters["p95_ms"] = percentile(times.frame, 0.95);
    state.counters["p99_ms"] = percentile(times.frame, 0.99);
    state.counters["max_ms"] = times.frame.back();
    state.counters["max_over_p50"] = times.frame.back() / median;
    state.counters["max_later_ms"] = later;
    state.counters["max_later_over_p50"] = later / median;
    state.counters["build_p50_ms"] = percentile(times.build, 0.5);
    state.counters["build_max_ms"] = times.build.back();
}
BENCHMARK_CAPTURE(BM_MovingGame, 640x360, 640, 360)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_MovingGame, 1280x720, 1280, 720)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv)
{
    timer_init();
    open_bench_device("moving_bench");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    close_bench_device();
    return 0;
}
