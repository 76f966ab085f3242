// bestRuns.h - the ten best runs, kept in the player's data folder.
//
// "$XDG_DATA_HOME/Oskvel Games/TARNWICK/bestruns.txt" (~/.local/share when
// the variable is unset or not an absolute path) holds the table as text: the
// line "TARNWICK best runs 1" naming the format, then one line per run, best
// first: levels finished, time in milliseconds, robots destroyed, shots
// fired, hits, holes blown, hearts lost, seed, the day's date of a -daily run
// or "-", and the date played, separated by single spaces, e.g.
//   3 135250 12 140 30 80 4 20261208 2026-12-08 2026-12-08
// The file is written whole or not at all and read strictly: a file that is
// not exactly this (junk, a line cut short, a number out of range, more than
// ten runs, too long, or a link or anything but a file at the name) is kept
// aside as "bestruns.txt.damaged" (then "_2", "_3", ...; never replacing)
// and a new table starts. Only a live player's game keeps the table: replays
// and playbot never read or write it (game_keep_best_runs, gameHooks.h).
#pragma once

#include "../libs/inc/misc/zu_utils.h"
#include "runStats.h"

enum {
    BEST_RUNS = 10,              // rows the table keeps
    BEST_RUNS_FILE_BYTES = 4096, // a longer file is damaged
};

struct BestRuns {
    RunStats runs[BEST_RUNS]; // best first
    int count;
};

// True when run a ranks above run b: more levels, then a shorter time.
bool run_ranks_above(const RunStats& a, const RunStats& b);
// Puts the run into the table at its rank (below the runs it only ties);
// its row, or -1 when the table is full of runs at least as good.
int insert_best_run(BestRuns& table, const RunStats& run);

// The table as the file holds it: its length in out (which must have
// BEST_RUNS_FILE_BYTES).
int format_best_runs(const BestRuns& table, char* out);
// Reads a file's text strictly into the table; false with the reason in why.
bool parse_best_runs(const char* text, int size, BestRuns* table, ShortText& why);

// The file's path; false (and one log line) when there is no home folder to
// keep it in.
bool best_runs_path(PathText& path);
// Reads the table at path. A missing file is an empty table; a damaged one
// is kept aside, logged, and an empty table returned. False (logged) when
// the file can't be read or kept aside: it must then not be replaced.
bool load_best_runs(const char* path, BestRuns* table);
// Writes the table to path whole, making its folders (0700); false (logged)
// when it could not.
bool save_best_runs(const char* path, const BestRuns& table);

// The end of a live player's run: the table read, the run put in and the
// table written back. Fills *table with what to show (empty when the file
// could not be used) and returns the run's row, or -1 when it did not enter.
int keep_best_run(const RunStats& run, BestRuns* table);
