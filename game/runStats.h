// runStats.h - what one run of the game did, from its start to GAME OVER.
//
// A run begins with start_game and ends when the hero dies. The world's code
// counts into it as things happen (a shot fired, a robot destroyed, ...); the
// counts live beside the game's state, never in it: they are not part of
// the state hash and no update reads them back, so counting changes nothing
// a replay checks.
#pragma once

#include <stdint.h>

#include "../core/daily.h"

struct RunStats {
    int levels;        // levels finished (elevator rides to the upgrade screen)
    int64_t timeMs;    // updates times their length: the game's time, not the clock's
    int robots;        // robots destroyed by the hero's shots
    int shots;         // shots fired
    int hits;          // shots that hit a robot
    int holes;         // holes blown into walls
    int heartsLost;    // health points lost, falling out of the world included
    uint64_t seed;     // level_seed of the run's first level: -seed N plays it again
    bool daily;        // started from the seed of `dailyDate` with -daily
    DayDate dailyDate; // meaningful when daily
    DayDate played;    // the local date the run ended; set by end_run
};

// The next run to begin is the seed of the day of `date` (the game was started
// with -daily); later runs are ordinary.
void set_daily_run(const DayDate& date);
// A new run on the level just generated: the counts cleared, the seed taken
// from level_seed(), and "random seed: N" logged (after "daily YYYY-MM-DD"
// for the run of the day).
void begin_run();
// True from begin_run until end_run.
bool run_active();
// The run ends (GAME OVER): counting stops; the run's counts with today's
// date. Again after the end, the same counts.
const RunStats& end_run();
// The run being counted, or the last one ended.
const RunStats& run_stats();

// Counted only while a run goes on (not behind GAME OVER).
void count_update(float seconds);
void count_level_finished();
void count_robot_destroyed();
void count_shot_fired();
void count_hit();
void count_hole();
void count_hearts_lost(int hearts);
