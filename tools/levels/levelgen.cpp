// levelgen.cpp - generates levels outside the game, for content work, tests and checks.
//
//   levelgen [--seed N] [--count K] [--png FILE] [--bench]
//
// Loads "level.pal" and "tiles.bin" from its own directory as the game does,
// seeds the generator with N (default: the counter, as the game does) and
// generates K levels in a row without reseeding (default 1). For each it
// prints the generation log, the hero's spawn point, the number of robots
// and a hash of the level grid. --png writes the last level as a side view,
// --bench the median time of generate_level. Failures are fatal (exit 100).
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "core/about.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/paths.h"
#include "core/random.h"
#include "core/timer.h"
#include "gen/levelGen.h"
#include "gen/levelGenRuntime.h"
#include "libs/inc/cont/zu_dynArray.h"
#include "platform/platform.h"
#include "voxel/levelGrid.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {

const char USAGE[] = "usage: levelgen [--seed N] [--count K] [--png FILE] [--bench]";

struct Options {
    bool seeded = false;
    uint64_t seed = 0;
    int count = 1;
    const char* png = nullptr;
    bool bench = false;
};

uint64_t number_after(int argc, char** argv, int& i, uint64_t limit)
{
    if (i + 1 >= argc)
        fatal_error("%s needs a value\n%s", argv[i], USAGE);
    ++i;
    return number_argument(argv[i - 1], argv[i], limit);
}

Options parse_options(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--seed") == 0) {
            o.seed = number_after(argc, argv, i, UINT64_MAX);
            o.seeded = true;
        } else if (strcmp(argv[i], "--count") == 0) {
            o.count = static_cast<int>(number_after(argc, argv, i, 1000000));
        } else if (strcmp(argv[i], "--png") == 0 && i + 1 < argc) {
            o.png = argv[++i];
        } else if (strcmp(argv[i], "--bench") == 0) {
            o.bench = true;
        } else {
            fatal_error("unknown argument '%s'\n%s", argv[i], USAGE);
        }
    }
    if (o.count < 1)
        fatal_error("--count must be at least 1\n%s", USAGE);
    return o;
}

// The level from the front, y up: each pixel the colour of the front-most
// voxel at its x and y, black where the level is empty.
void write_side_view(const char* file)
{
    DynArray<uint8_t> rgba;
    rgba.resize(LEVEL_SIZE_X * LEVEL_SIZE_Y * 4);
    const uint8_t* grid = level_grid();
    const uint32_t* palette = palette_colors();
    for (int y = 0; y < LEVEL_SIZE_Y; ++y) {
        uint8_t* row = rgba.data() + (LEVEL_SIZE_Y - 1 - y) * LEVEL_SIZE_X * 4;
        for (int x = 0; x < LEVEL_SIZE_X; ++x) {
            uint32_t colour = 0xFF000000u;
            for (int z = 0; z < LEVEL_SIZE_Z; ++z) {
                uint8_t v = grid[level_voxel_index(x, y, z)];
                if (v) {
                    colour = palette[v];
                    break;
                }
            }
            uint8_t* p = row + x * 4;
            p[0] = static_cast<uint8_t>(colour >> 16);
            p[1] = static_cast<uint8_t>(colour >> 8);
            p[2] = static_cast<uint8_t>(colour);
            p[3] = 0xFF;
        }
    }
    if (!stbi_write_png(file, LEVEL_SIZE_X, LEVEL_SIZE_Y, 4, rgba.data(), LEVEL_SIZE_X * 4))
        fatal_error("can't write %s", file);
    log_message("wrote %s", file);
}

double median_of(DynArray<double>& values)
{
    std::sort(values.begin(), values.end());
    int n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

void shutdown_all()
{
    free_level_data();
}

int main(int argc, char** argv)
{
    plat_open_standard_streams();
    if (answer_help_or_version(argc, argv, "levelgen", USAGE))
        return 0;
    // A tool for terminals and scripts: errors go to the log, never to a box.
    setenv("TARNWICK_NO_MSGBOX", "1", 1);
    find_app_path();
    timer_init();
    Options o = parse_options(argc, argv);
    rng_seed(o.seeded ? o.seed : static_cast<uint64_t>(timer_now()));
    load_level_data();

    DynArray<double> times;
    for (int k = 0; k < o.count; ++k) {
        int64_t start = timer_now();
        generate_level();
        times.push(ticks_to_seconds(timer_now() - start) * 1000.0);
        const LevelSpawns& spawns = level_spawns();
        log_message("hero spawn: %.0f %.0f", spawns.hero.x, spawns.hero.y);
        log_message("robots: %d", spawns.robots.size());
        log_message("level hash: %016llx", static_cast<unsigned long long>(level_grid_hash()));
    }
    if (o.png)
        write_side_view(o.png);
    if (o.bench)
        log_message("generate_level median: %.2f ms", median_of(times));
    shutdown_all();
    return 0;
}
