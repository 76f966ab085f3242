// levelGenBench.cpp - how long generate_level takes with the real content.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include "core/log.h"
#include "core/paths.h"
#include "core/random.h"
#include "game/enemies.h"
#include "gen/levelGen.h"
#include "voxel/levelGrid.h"

void shutdown_all()
{
    free_level_data();
}

// Consecutive levels from one seed, as the game makes them.
static void BM_generate_level(benchmark::State& state)
{
    rng_seed(7);
    for (auto _ : state) {
        clear_enemies();
        generate_level();
        benchmark::DoNotOptimize(level_grid()[0]);
    }
}
BENCHMARK(BM_generate_level)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    setenv("TARNWICK_NO_MSGBOX", "1", 1);
    find_app_path();
    load_level_data();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    free_level_data();
    return 0;
}
