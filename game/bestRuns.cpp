// bestRuns.cpp - the best runs table, its text and its file.
#include "bestRuns.h"

#include <errno.h>
#include <inttypes.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "../core/log.h"
#include "../core/numbers.h"
#include "../platform/platform.h"

static const char HEADER[] = "TARNWICK best runs 1";
static const char FOLDER[] = "/Oskvel Games/TARNWICK";
static const char FILE_NAME[] = "/bestruns.txt";
static const char DAMAGED[] = ".damaged";
enum {
    FIELDS = 10,           // per run line
    MAX_LEVELS = 99999,    // beyond these a number is damage, not a run
    MAX_COUNT = 999999999, // robots, shots, hits, holes, hearts
    ASIDE_NAMES = 99,      // ".damaged", then "_2" to "_99"
};
static const uint64_t MAX_TIME_MS = 100000000000ULL; // about three years of play

bool run_ranks_above(const RunStats& a, const RunStats& b)
{
    if (a.levels != b.levels)
        return a.levels > b.levels;
    return a.timeMs < b.timeMs;
}

int insert_best_run(BestRuns& table, const RunStats& run)
{
    int row = 0;
    while (row < table.count && !run_ranks_above(run, table.runs[row]))
        ++row;
    if (row >= BEST_RUNS)
        return -1;
    int last = table.count < BEST_RUNS ? table.count : BEST_RUNS - 1;
    memmove(&table.runs[row + 1], &table.runs[row], sizeof(RunStats) * static_cast<size_t>(last - row));
    table.runs[row] = run;
    table.count = last + 1;
    return row;
}

int format_best_runs(const BestRuns& table, char* out)
{
    int n = snprintf(out, BEST_RUNS_FILE_BYTES, "%s\n", HEADER);
    for (int i = 0; i < table.count; ++i) {
        const RunStats& r = table.runs[i];
        char daily[16] = "-", played[16];
        if (r.daily)
            format_day(r.dailyDate, daily, sizeof daily);
        n += snprintf(out + n, static_cast<size_t>(BEST_RUNS_FILE_BYTES - n),
            "%d %" PRId64 " %d %d %d %d %d %" PRIu64 " %s %s\n", r.levels, r.timeMs, r.robots, r.shots,
            r.hits, r.holes, r.heartsLost, r.seed, daily, format_day(r.played, played, sizeof played));
        ASSERT(n < BEST_RUNS_FILE_BYTES);
    }
    return n;
}

// A count field: a whole number up to max.
static bool read_count(const char* text, uint64_t max, int* out)
{
    uint64_t v;
    if (!parse_whole_number(text, max, &v))
        return false;
    *out = static_cast<int>(v);
    return true;
}

// One run line, split into its fields; false when any is not what it must be.
static bool parse_run(char* const* f, RunStats* r)
{
    memset(r, 0, sizeof *r);
    uint64_t time;
    if (!read_count(f[0], MAX_LEVELS, &r->levels) || !parse_whole_number(f[1], MAX_TIME_MS, &time)
        || !read_count(f[2], MAX_COUNT, &r->robots) || !read_count(f[3], MAX_COUNT, &r->shots)
        || !read_count(f[4], MAX_COUNT, &r->hits) || !read_count(f[5], MAX_COUNT, &r->holes)
        || !read_count(f[6], MAX_COUNT, &r->heartsLost) || !parse_whole_number(f[7], UINT64_MAX, &r->seed))
        return false;
    r->timeMs = static_cast<int64_t>(time);
    r->daily = strcmp(f[8], "-") != 0;
    if (r->daily && !parse_day(f[8], &r->dailyDate))
        return false;
    return parse_day(f[9], &r->played) && r->hits <= r->shots;
}

// Splits a line at single spaces into exactly FIELDS fields, in place.
static bool split_fields(char* line, char** f)
{
    int n = 0;
    for (char* p = line;; ++p) {
        if (n == FIELDS)
            return false;
        f[n++] = p;
        p = strchr(p, ' ');
        if (!p)
            break;
        *p = 0;
    }
    for (int i = 0; i < n; ++i)
        if (!*f[i])
            return false;
    return n == FIELDS;
}

bool parse_best_runs(const char* text, int size, BestRuns* table, ShortText& why)
{
    table->count = 0;
    if (size > BEST_RUNS_FILE_BYTES) {
        format_short(why, "longer than %d bytes", BEST_RUNS_FILE_BYTES);
        return false;
    }
    if (memchr(text, 0, static_cast<size_t>(size))) {
        copy_text(why, "it holds a zero byte");
        return false;
    }
    char copy[BEST_RUNS_FILE_BYTES + 1];
    memcpy(copy, text, static_cast<size_t>(size));
    copy[size] = 0;
    char* line = copy;
    for (int number = 1; *line; ++number) {
        char* end = strchr(line, '\n');
        if (!end) {
            format_short(why, "line %d is cut short", number);
            return false;
        }
        *end = 0;
        if (number == 1) {
            if (strcmp(line, HEADER) != 0) {
                format_short(why, "its first line is not \"%s\"", HEADER);
                return false;
            }
        } else if (number - 1 > BEST_RUNS) {
            format_short(why, "more than %d runs", BEST_RUNS);
            return false;
        } else {
            char* f[FIELDS];
            RunStats run;
            if (!split_fields(line, f) || !parse_run(f, &run)) {
                format_short(why, "line %d is not a run", number);
                return false;
            }
            insert_best_run(*table, run);
        }
        line = end + 1;
    }
    if (line == copy) {
        copy_text(why, "it is empty");
        return false;
    }
    return true;
}

bool best_runs_path(PathText& path)
{
    const char* home = plat_data_home();
    if (!*home) {
        log_message("no home folder (HOME and XDG_DATA_HOME unset): the best runs are not kept");
        return false;
    }
    int n = snprintf(path.s, sizeof path.s, "%s%s%s", home, FOLDER, FILE_NAME);
    if (n < 0 || n >= PathText::capacity()) {
        PathText shown;
        log_message("the data folder '%s' is too long: the best runs are not kept", log_escaped(shown, home));
        return false;
    }
    return true;
}

// What reading the file found.
enum ReadResult { READ_WHOLE, READ_MISSING, READ_DAMAGED, READ_FAILED };

// Reads the file at path, never through a link, into text (at most
// BEST_RUNS_FILE_BYTES + 1 bytes, so a longer file shows as too long). why
// says what is damaged or what failed.
static ReadResult read_file(const char* path, char* text, int* size, ShortText& why)
{
    int64_t fileSize = 0;
    int fd = plat_open_regular_file(path, true, &fileSize);
    if (fd == PLAT_NOT_A_FILE) {
        copy_text(why, "it is not a file");
        return READ_DAMAGED;
    }
    if (fd < 0) {
        if (errno == ENOENT)
            return READ_MISSING;
        format_short(why, errno == ELOOP ? "it is a link" : "%s", strerror(errno));
        return errno == ELOOP ? READ_DAMAGED : READ_FAILED;
    }
    *size = static_cast<int>(fileSize > BEST_RUNS_FILE_BYTES ? BEST_RUNS_FILE_BYTES + 1 : fileSize);
    bool read = plat_read_whole(fd, text, static_cast<size_t>(*size));
    if (!read)
        format_short(why, "%s", strerror(errno));
    close(fd);
    return read ? READ_WHOLE : READ_FAILED;
}

// Moves the damaged file (or link) at path to the first free name of
// "<path>.damaged", "<path>.damaged_2", ...: 0 with the name in aside, or
// the error (EEXIST when every name is taken).
static int keep_aside(const char* path, PathText& aside)
{
    for (int n = 1; n <= ASIDE_NAMES; ++n) {
        int l = n == 1 ? snprintf(aside.s, sizeof aside.s, "%s%s", path, DAMAGED)
                       : snprintf(aside.s, sizeof aside.s, "%s%s_%d", path, DAMAGED, n);
        if (l < 0 || l >= PathText::capacity())
            return ENAMETOOLONG;
        int err = plat_rename_noreplace(path, aside.s);
        if (err != EEXIST)
            return err;
    }
    return EEXIST;
}

bool load_best_runs(const char* path, BestRuns* table)
{
    table->count = 0;
    char text[BEST_RUNS_FILE_BYTES + 1];
    int size = 0;
    ShortText why;
    ReadResult read = read_file(path, text, &size, why);
    if (read == READ_WHOLE && parse_best_runs(text, size, table, why))
        return true;
    if (read == READ_MISSING)
        return true;
    PathText shown, shownAside, aside;
    if (read == READ_FAILED) {
        log_message("can't read the best runs file '%s' (%s); the table is not kept this time",
            log_escaped(shown, path), why.s);
        return false;
    }
    table->count = 0;
    if (int err = keep_aside(path, aside)) {
        log_message("best runs file '%s' is damaged (%s) and can't be kept aside (%s); the table is not kept "
                    "this time",
            log_escaped(shown, path), why.s, strerror(err));
        return false;
    }
    log_message("best runs file '%s' is damaged (%s); kept as '%s'; starting a new table",
        log_escaped(shown, path), why.s, log_escaped(shownAside, aside.s));
    return true;
}

bool save_best_runs(const char* path, const BestRuns& table)
{
    PathText dir, shown;
    copy_text(dir, path);
    *strrchr(dir.s, '/') = 0;
    if (!plat_make_dirs(dir.s, 0700)) {
        log_message(
            "can't make the folder '%s' for the best runs: %s", log_escaped(shown, dir.s), strerror(errno));
        return false;
    }
    char text[BEST_RUNS_FILE_BYTES];
    int size = format_best_runs(table, text);
    int err = plat_replace_file(path, text, static_cast<size_t>(size), 0600);
    if (err)
        log_message("can't write the best runs file '%s': %s", log_escaped(shown, path), strerror(err));
    return err == 0;
}

int keep_best_run(const RunStats& run, BestRuns* table)
{
    table->count = 0;
    PathText path;
    if (!best_runs_path(path) || !load_best_runs(path.s, table))
        return -1;
    int row = insert_best_run(*table, run);
    if (row >= 0 && !save_best_runs(path.s, *table))
        return -1;
    return row;
}
