// runStats.cpp - the counts of the run being played.
#include "runStats.h"

#include <math.h>
#include <string.h>
#include <time.h>

#include "../core/log.h"
#include "../gen/levelGen.h"

static struct {
    RunStats stats;    // cleared by begin_run
    double seconds;    // the run's updates' lengths summed; cleared by begin_run
    bool counting;     // set by begin_run, cleared by end_run
    bool dailyPending; // set by set_daily_run, cleared by the begin_run it marks
    DayDate dailyDate; // the date set_daily_run gave
} run;

void set_daily_run(const DayDate& date)
{
    run.dailyPending = true;
    run.dailyDate = date;
}

void begin_run()
{
    memset(&run.stats, 0, sizeof run.stats);
    run.seconds = 0;
    run.counting = true;
    run.stats.seed = level_seed();
    if (run.dailyPending) {
        run.dailyPending = false;
        run.stats.daily = true;
        run.stats.dailyDate = run.dailyDate;
        char day[16];
        log_message("daily %s", format_day(run.dailyDate, day, sizeof day));
    }
    log_message("random seed: %llu", static_cast<unsigned long long>(run.stats.seed));
}

// Today's date on the player's calendar.
static DayDate local_today()
{
    time_t now = time(nullptr);
    struct tm local;
    if (!localtime_r(&now, &local))
        return utc_date(static_cast<int64_t>(now));
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

bool run_active()
{
    return run.counting;
}

const RunStats& end_run()
{
    if (!run.counting)
        return run.stats;
    run.counting = false;
    run.stats.timeMs = llround(run.seconds * 1000);
    run.stats.played = local_today();
    return run.stats;
}

const RunStats& run_stats()
{
    return run.stats;
}

void count_update(float seconds)
{
    if (run.counting)
        run.seconds += seconds;
}

void count_level_finished()
{
    run.stats.levels += run.counting;
}

void count_robot_destroyed()
{
    run.stats.robots += run.counting;
}

void count_shot_fired()
{
    run.stats.shots += run.counting;
}

void count_hit()
{
    run.stats.hits += run.counting;
}

void count_hole()
{
    run.stats.holes += run.counting;
}

void count_hearts_lost(int hearts)
{
    if (run.counting)
        run.stats.heartsLost += hearts;
}
