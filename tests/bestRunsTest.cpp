// The best runs table: its order and ten-row cap, its file written and read
// back, damaged files kept aside without ever following a link or replacing
// a name, the data folder's rule; and the seed of the day.
#include "game/bestRuns.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "core/daily.h"
#include "core/log.h"
#include "platform/platform.h"
#include "tempFile.h"

namespace {

RunStats run_of(int levels, int64_t ms, uint64_t seed = 1)
{
    RunStats r = {};
    r.levels = levels;
    r.timeMs = ms;
    r.seed = seed;
    r.played = {2026, 12, 8};
    return r;
}

std::string text_of(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void write_text(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

const char HEADER[] = "TARNWICK best runs 1\n";
const char ROW[] = "3 135250 12 140 30 80 4 20261208 2026-12-08 2026-12-09\n";

// A fresh data folder for the test's lifetime.
class BestRunsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("XDG_DATA_HOME", home.path.c_str(), 1);
        PathText p;
        ASSERT_TRUE(best_runs_path(p));
        path = p.s;
        dir = home.path + "/Oskvel Games/TARNWICK";
    }
    void TearDown() override { unsetenv("XDG_DATA_HOME"); }

    TempDir home;
    std::string path, dir;
};

} // namespace

TEST(BestRuns, MostLevelsThenShortestTimeRankFirstAndTenRowsStay)
{
    BestRuns t = {};
    // Twelve runs in a scrambled order: levels 0..3, times 100..300.
    const int levels[] = {1, 3, 0, 2, 3, 1, 0, 2, 1, 3, 2, 0};
    const int times[] = {200, 300, 100, 100, 100, 300, 300, 200, 100, 200, 300, 200};
    for (int i = 0; i < 12; ++i)
        insert_best_run(t, run_of(levels[i], times[i], static_cast<uint64_t>(i)));
    ASSERT_EQ(t.count, BEST_RUNS);
    for (int i = 0; i + 1 < t.count; ++i)
        EXPECT_TRUE(run_ranks_above(t.runs[i], t.runs[i + 1]) || !run_ranks_above(t.runs[i + 1], t.runs[i]))
            << i;
    EXPECT_EQ(t.runs[0].levels, 3);
    EXPECT_EQ(t.runs[0].timeMs, 100);
    EXPECT_EQ(t.runs[9].levels, 0) << "the two slowest runs without a level fell out";
    EXPECT_EQ(t.runs[9].timeMs, 100);
    // A run no better than the last row does not enter; a tie ranks below
    // the run that was there first.
    EXPECT_EQ(insert_best_run(t, run_of(0, 100)), -1);
    EXPECT_EQ(insert_best_run(t, run_of(3, 100, 99)), 1);
    EXPECT_EQ(t.runs[1].seed, 99u);
}

TEST_F(BestRunsFile, ATableWrittenReadsBackTheSameInItsFormat)
{
    BestRuns t = {};
    RunStats daily = run_of(3, 135250, 20261208);
    daily.robots = 12, daily.shots = 140, daily.hits = 30, daily.holes = 80, daily.heartsLost = 4;
    daily.daily = true;
    daily.dailyDate = {2026, 12, 8};
    daily.played = {2026, 12, 9};
    insert_best_run(t, daily);
    insert_best_run(t, run_of(1, 5000, UINT64_MAX));
    ASSERT_TRUE(save_best_runs(path.c_str(), t));
    EXPECT_EQ(
        text_of(path), std::string(HEADER) + ROW + "1 5000 0 0 0 0 0 18446744073709551615 - 2026-12-08\n");
    struct stat st;
    ASSERT_EQ(stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    BestRuns back = {};
    ASSERT_TRUE(load_best_runs(path.c_str(), &back));
    ASSERT_EQ(back.count, 2);
    EXPECT_EQ(memcmp(&back.runs[0], &t.runs[0], sizeof(RunStats)), 0);
    EXPECT_EQ(memcmp(&back.runs[1], &t.runs[1], sizeof(RunStats)), 0);
    // A missing file is an empty table; nothing is left beside the file.
    unlink(path.c_str());
    EXPECT_TRUE(load_best_runs(path.c_str(), &back));
    EXPECT_EQ(back.count, 0);
    EXPECT_EQ(system(("test -z \"$(ls -A '" + dir + "')\"").c_str()), 0) << "no temporary file left";
}

TEST_F(BestRunsFile, ADamagedFileIsKeptAsideUnderAFreeNameAndANewTableStarts)
{
    ASSERT_TRUE(plat_make_dirs(dir.c_str()));
    std::string many = HEADER;
    for (int i = 0; i <= BEST_RUNS; ++i)
        many += ROW;
    const std::string damaged[] = {
        "junk\n",
        std::string(HEADER) + "3 135250 12 140 30 80 4 20261208 2026-12-08 2026-12-09", // cut short
        std::string(HEADER) + "3 135250 12 140 30 80 4 20261208 2026-12-08\n",          // a field missing
        std::string(HEADER) + "3 135250 12 140 30 80 4 20261208 2026-12-08  2026-12-09\n",
        std::string(HEADER) + "3 -1 12 140 30 80 4 20261208 - 2026-12-09\n",
        std::string(HEADER) + "3 1 12 140 30 80 4 18446744073709551616 - 2026-12-09\n", // seed beyond 64 bits
        std::string(HEADER) + "3 1 12 10 30 80 4 7 - 2026-12-09\n",           // more hits than shots
        std::string(HEADER) + "3 1 12 140 30 80 4 7 2026-02-29 2026-12-09\n", // no such day
        many,
        std::string(HEADER) + std::string(BEST_RUNS_FILE_BYTES, '#'),
        "",
    };
    int n = 0;
    for (const std::string& text : damaged) {
        write_text(path, text);
        BestRuns t = {};
        t.count = 5;
        testing::internal::CaptureStdout();
        EXPECT_TRUE(load_best_runs(path.c_str(), &t)) << n;
        std::string log = testing::internal::GetCapturedStdout();
        EXPECT_EQ(t.count, 0) << n;
        std::string aside = path + ".damaged" + (n ? "_" + std::to_string(n + 1) : "");
        EXPECT_EQ(text_of(aside), text) << "kept whole as " << aside;
        EXPECT_NE(access(path.c_str(), F_OK), 0) << n;
        EXPECT_NE(log.find("best runs file '" + path + "' is damaged ("), std::string::npos) << log;
        EXPECT_NE(log.find("); kept as '" + aside + "'; starting a new table"), std::string::npos) << log;
        ++n;
    }
}

TEST_F(BestRunsFile, ALinkAtTheNameIsNeitherFollowedNorWrittenThrough)
{
    ASSERT_TRUE(plat_make_dirs(dir.c_str()));
    std::string target = home.path + "/elsewhere.txt";
    write_text(target, std::string(HEADER) + ROW);
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);
    testing::internal::CaptureStdout();
    BestRuns t = {};
    RunStats r = run_of(2, 1000);
    EXPECT_EQ(keep_best_run(r, &t), 0) << "the link's table is not read";
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("is damaged (it is a link)"), std::string::npos) << log;
    struct stat st;
    ASSERT_EQ(lstat((path + ".damaged").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link itself was moved aside";
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode)) << "the new table is a file of its own";
    EXPECT_EQ(text_of(target), std::string(HEADER) + ROW) << "the link's target is untouched";
}

TEST(DataHome, XdgDataHomeWhenAbsoluteElseTheHomesLocalShareElseNone)
{
    const char* oldHome = getenv("HOME");
    std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", "/home/player", 1);
    setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_STREQ(plat_data_home(), "/data");
    setenv("XDG_DATA_HOME", "relative/data", 1);
    EXPECT_STREQ(plat_data_home(), "/home/player/.local/share");
    unsetenv("XDG_DATA_HOME");
    EXPECT_STREQ(plat_data_home(), "/home/player/.local/share");
    // A home that is not absolute counts as none (the password entry's is
    // used then); never a guess like /tmp.
    setenv("HOME", "relative", 1);
    std::string fallback = plat_data_home();
    EXPECT_TRUE(fallback.empty() || fallback[0] == '/') << fallback;
    EXPECT_EQ(fallback.find("/tmp"), std::string::npos) << fallback;
    if (oldHome)
        setenv("HOME", savedHome.c_str(), 1);
    else
        unsetenv("HOME");
    // Control bytes of a path show escaped in a log line.
    PathText shown;
    EXPECT_STREQ(log_escaped(shown, "a\nb\\c\x7f"), "a\\x0ab\\\\c\\x7f");
}

TEST(Daily, TheSeedIsTheUtcDateAsYyyymmddAndChangesAtUtcMidnight)
{
    const int64_t DEC_8_2026 = 1796688000; // 2026-12-08 00:00:00 UTC
    EXPECT_EQ(day_seed(utc_date(DEC_8_2026)), 20261208u);
    EXPECT_EQ(day_seed(utc_date(DEC_8_2026 + 86399)), 20261208u);
    EXPECT_EQ(day_seed(utc_date(DEC_8_2026 + 86400)), 20261209u);
    EXPECT_EQ(day_seed(utc_date(DEC_8_2026 - 1)), 20261207u);
    // The year's and a leap month's last days, and the clock's start.
    EXPECT_EQ(day_seed(utc_date(DEC_8_2026 + 23 * 86400 + 86399)), 20261231u);
    EXPECT_EQ(day_seed(utc_date(DEC_8_2026 + 24 * 86400)), 20270101u);
    EXPECT_EQ(day_seed(utc_date(1835395200)), 20280229u); // 2028-02-29 00:00 UTC
    EXPECT_EQ(day_seed(utc_date(0)), 19700101u);
    char text[16];
    EXPECT_STREQ(format_day(utc_date(DEC_8_2026), text, sizeof text), "2026-12-08");
    DayDate d;
    EXPECT_TRUE(parse_day("2028-02-29", &d));
    for (const char* bad :
        {"2026-02-29", "2026-13-01", "2026-1-01", "2026-01-01 ", "1969-12-31", "2026/01/01"})
        EXPECT_FALSE(parse_day(bad, &d)) << bad;
}
