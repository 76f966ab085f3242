// soundBench.cpp - rendering every sound effect, as sound_init does at start-up.
#include <benchmark/benchmark.h>

#include "sound/sound.h"

void shutdown_all()
{
}

static void BM_RenderAllSoundEffects(benchmark::State& state)
{
    DynArray<int16_t> pcm;
    for (auto _ : state)
        for (int id = 0; id < SOUND_COUNT; ++id) {
            synth_render(sound_effect(static_cast<SoundId>(id)), SOUND_RATE, &pcm);
            benchmark::DoNotOptimize(pcm.data());
        }
}
BENCHMARK(BM_RenderAllSoundEffects)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
