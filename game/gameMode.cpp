// gameMode.cpp - the mode switch and the game flow shared by the modes.
#include "gameMode.h"

#include "../gen/levelGen.h"
#include "../gen/levelGenRuntime.h"
#include "../voxel/dynCubeRender.h"
#include "enemies.h"
#include "hero.h"
#include "runStats.h"
#include "shots.h"
#include "upgrades.h"

static struct {
    GameMode* current;  // null before game_init and after game_shutdown
    bool levelComplete; // cleared by new_level
} flow;

void switch_mode(GameMode* next)
{
    GameMode* old = flow.current;
    if (next == old)
        return;
    if (old)
        old->leave(next);
    flow.current = next;
    if (next)
        next->enter(old);
}

GameMode* current_mode()
{
    return flow.current;
}

bool level_complete()
{
    return flow.levelComplete;
}

void set_level_complete(bool complete)
{
    flow.levelComplete = complete;
}

void new_game()
{
    reset_hero_aim();
    set_level_number(1);
    set_upgrade_points(0);
    for (Upgrade* const* u = upgrades; *u; ++u)
        (*u)->reset();
}

// Puts the hero and the robots at the spawns of the last generation run
// (robots are added to those already there).
static void place_spawns()
{
    const LevelSpawns& spawns = level_spawns();
    if (spawns.heroPlaced)
        place_hero(spawns.hero.x, spawns.hero.y);
    for (int i = 0; i < spawns.robots.size(); ++i)
        add_enemy(spawns.robots[i].x, spawns.robots[i].y);
}

void start_game()
{
    new_game();
    new_level();
    begin_run();
    switch_mode(play_mode());
}

void new_level()
{
    set_level_complete(false);
    clear_enemies();
    clear_shots();
    clear_debris();
    generate_level();
    place_spawns();
    voxel_cache_invalidate_all();
}

void advance_level()
{
    set_level_number(level_number() + 1);
    set_upgrade_points(upgrade_points() + 5);
    count_level_finished();
}

void update_world(float seconds)
{
    update_enemies(seconds);
    update_hero(seconds);
    update_shots(seconds);
    update_debris(seconds);
}

void play_world_step(float seconds)
{
    update_world(seconds);
    if (hero_health() <= 0)
        switch_mode(game_over_mode());
    if (level_complete())
        switch_mode(elevator_mode());
}
