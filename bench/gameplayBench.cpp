// gameplayBench.cpp - the world step and wall destruction on the level of
// seed 7, with the voxel cache filled by a drawn frame as in the game.
#include <benchmark/benchmark.h>

#include <vector>

#include "benchGame.h"
#include "game/enemies.h"
#include "game/gameMode.h"
#include "game/hero.h"
#include "game/scene.h"
#include "game/shots.h"
#include "game/world.h"
#include "voxel/dynCubeRender.h"
#include "voxel/levelGrid.h"

void shutdown_all()
{
    close_bench_game();
}

enum { ROBOTS = 40, SHOTS = 20, DEBRIS = 2000, HOLE_RADIUS = 4, HOLE_DEPTH = 18 };

// The world of one busy update, put back before every measured step.
struct BusyWorld {
    Vec4 heroAt;
    std::vector<Enemy> robots;
    std::vector<Shot> shots;
    std::vector<Debris> debris;
};

static void restore(const BusyWorld& w)
{
    place_hero(w.heroAt.x, w.heroAt.y);
    clear_enemies();
    for (const Enemy& e : w.robots) {
        add_enemy(e.position.x, e.position.y);
        enemy(enemy_count() - 1) = e;
    }
    clear_shots();
    for (const Shot& s : w.shots)
        fire_shot(s.flags, s.owner, s.position, s.velocity, s.colour);
    clear_debris();
    for (const Debris& d : w.debris)
        emit_debris(d.position, d.velocity, d.colour, d.lifetime);
}

// The level's robots awake (and copies of the first ones up to 40), walking
// for a second; 20 shots in the air near the hero; 2000 debris pieces of a
// burst in the middle of their life.
static BusyWorld busy_world()
{
    for (int i = enemy_count(); i < ROBOTS; ++i)
        add_enemy(enemy(i % enemy_count()).position.x + 4, enemy(i % enemy_count()).position.y);
    for (int i = 0; i < enemy_count(); ++i)
        enemy(i).dormant = false;
    for (int i = 0; i < 20; ++i)
        update_world(0.05f);
    BusyWorld w;
    w.heroAt = hero().position;
    for (int i = 0; i < enemy_count() && i < ROBOTS; ++i)
        w.robots.push_back(enemy(i));
    // Shots flying right through open air around the hero, so that the
    // measured step moves them all without blowing holes.
    for (int y = 0; y < 60; y += 3)
        for (int x = -100; x < 100 && w.shots.size() < SHOTS; x += 10) {
            Vec4 at = {w.heroAt.x + static_cast<float>(x), w.heroAt.y + static_cast<float>(y), 8, 1};
            Vec4 to = {at.x + 10, at.y, at.z, 1}, point;
            int cell[3];
            if (!segment_vs_world(2, at, to, &point, cell))
                w.shots.push_back({at, {200, 0, 0, 0}, 0xff14ff14, SHOT_HITS_ENEMIES, &hero()});
        }
    for (int i = 0; i < DEBRIS; ++i) {
        float f = static_cast<float>(i) / DEBRIS;
        Vec4 at = {w.heroAt.x + 20 * f, w.heroAt.y + 30, 8, 1};
        w.debris.push_back({at, {70 * (2 * f - 1), 150 * f, 0, 0}, 0xffc8c8c8, 0.5f + f});
    }
    return w;
}

// One world step (robots, hero, shots, debris) of the busy world.
static void BM_UpdateWorld(benchmark::State& state)
{
    BusyWorld w = busy_world();
    for (auto _ : state) {
        state.PauseTiming();
        restore(w);
        state.ResumeTiming();
        update_world(0.05f);
    }
    state.counters["robots"] = static_cast<double>(w.robots.size());
    state.counters["shots"] = static_cast<double>(w.shots.size());
}
BENCHMARK(BM_UpdateWorld)->Unit(benchmark::kMicrosecond);

// The first spot left of the level's middle whose hole box is all
// destructible wall.
static void solid_spot(int* cx, int* cy)
{
    const uint8_t* grid = level_grid();
    for (int y = 32; y < LEVEL_SIZE_Y - 32; ++y)
        for (int x = 1500; x > 100; --x) {
            bool solid = true;
            for (int z = 0; z < HOLE_DEPTH && solid; ++z)
                for (int j = -HOLE_RADIUS; j <= HOLE_RADIUS && solid; ++j)
                    for (int i = -HOLE_RADIUS; i <= HOLE_RADIUS && solid; ++i) {
                        uint8_t v = grid[level_voxel_index(x + i, y + j, z)];
                        solid = v && v < VOXEL_INDESTRUCTIBLE;
                    }
            if (solid) {
                *cx = x;
                *cy = y;
                return;
            }
        }
    fatal_error("no solid wall for the hole benchmark");
}

// A radius-4 hole blown into a wall seen by the last frame: the debris of
// its voxels, erasing them, and invalidating the cache around it.
static void BM_PunchHole(benchmark::State& state)
{
    int cx, cy;
    solid_spot(&cx, &cy);
    place_hero(static_cast<float>(cx), static_cast<float>(cy));
    draw_world(0);
    set_wall_radius(HOLE_RADIUS);
    std::vector<uint8_t> saved(LEVEL_SIZE_Z * 9 * 9);
    uint8_t* grid = level_grid();
    auto each_voxel = [&](auto&& f) {
        int n = 0;
        for (int z = 0; z < LEVEL_SIZE_Z; ++z)
            for (int j = -HOLE_RADIUS; j <= HOLE_RADIUS; ++j)
                for (int i = -HOLE_RADIUS; i <= HOLE_RADIUS; ++i)
                    f(grid[level_voxel_index(cx + i, cy + j, z)], saved[n++]);
    };
    each_voxel([](uint8_t& v, uint8_t& s) { s = v; });
    Shot shot = {{0, 0, 8, 1}, {200, 0, 0, 0}, 0xff14ff14, SHOT_HITS_ENEMIES, &hero()};
    int pieces = 0;
    for (auto _ : state) {
        state.PauseTiming();
        each_voxel([](uint8_t& v, uint8_t& s) { v = s; });
        clear_debris();
        state.ResumeTiming();
        punch_hole(cx, cy, shot);
        pieces += debris_count();
    }
    state.counters["debris"] = static_cast<double>(pieces) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PunchHole)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    open_bench_game("gameplay_bench");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    close_bench_game();
    return 0;
}
