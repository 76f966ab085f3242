// Recordings: what is written plays back the same with its checkpoints; a
// file that is damaged, of another version or no recording at all is refused
// with a reason, one cut short plays up to its last whole checkpoint; a
// recording that can't be written says so; the state hash sees everything
// that decides later updates.
#include <signal.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "game/gameMode.h"
#include "game/recording.h"
#include "game/upgradeMode.h"
#include "game/upgrades.h"
#include "gameplayFixture.h"
#include "tempFile.h"

namespace {

// Why a recording with these bytes is refused ("" when it loads), and how
// many updates it plays and whether it is complete when it loads.
struct Loaded {
    std::string refusal;
    int updates = 0;
    bool complete = false;
};

Loaded load(const std::string& path)
{
    LongText error;
    Loaded l;
    if (load_replay(path.c_str(), error)) {
        l.updates = replay_updates();
        l.complete = replay_complete();
    } else {
        l.refusal = error.s;
    }
    close_replay();
    return l;
}

Loaded load(const std::vector<uint8_t>& bytes)
{
    TempFile file(bytes);
    return load(file.path);
}

class Recording : public GameplayTest {
protected:
    // `updates` updates into a new recording at `path`: update i holds the D
    // key and the aim point (i, -i); update 1 also wakes robot 3 and pans,
    // update 2 also releases Space and has two commands.
    static bool record(const std::string& path, int updates, int* recorded)
    {
        LongText why;
        if (!create_recording(path.c_str(), why) || !begin_recording(0x123456789abcdefULL, 0.05f))
            return false;
        for (int i = 0; i < updates; ++i) {
            UpdateInput in = {};
            in.down = game_key_bit('D');
            in.aimX = static_cast<float>(i);
            in.aimY = -static_cast<float>(i);
            if (i == 1) {
                in.woken.push(3);
                in.panX = -200;
                in.panY = 17;
            }
            if (i == 2) {
                in.released = game_key_bit(VK_SPACE);
                in.commands.push(UPGRADE_GO);
                in.commands.push(-5);
            }
            record_update(in);
        }
        return finish_recording(recorded);
    }
    // 350 updates into a file that can't grow past 3000 bytes, which hold the
    // first checkpoint after the header but not the second; says how it went.
    [[noreturn]] static void record_into_small_file(const std::string& path)
    {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit = {3000, 3000};
        setrlimit(RLIMIT_FSIZE, &limit);
        int recorded = -1;
        bool whole = record(path, 350, &recorded);
        fprintf(stderr, "whole %d, recorded %d, %s\n", whole, recorded, recording_failure());
        _exit(0);
    }
    static std::vector<uint8_t> recorded_bytes(int updates)
    {
        TempDir dir;
        std::string path = dir.path + "/game.rec";
        int recorded = 0;
        EXPECT_TRUE(record(path, updates, &recorded));
        EXPECT_EQ(recorded, updates);
        return file_bytes(path);
    }
};

TEST_F(Recording, WhatIsWrittenPlaysBackTheSameWithItsCheckpoints)
{
    TempFile file(recorded_bytes(250));
    LongText error;
    ASSERT_TRUE(load_replay(file.path.c_str(), error)) << error.s;
    EXPECT_EQ(replay_header().seed, 0x123456789abcdefULL);
    EXPECT_EQ(replay_header().updateSeconds, 0.05f);
    EXPECT_EQ(replay_header().dataHash, game_data_hash());
    EXPECT_TRUE(replay_complete());
    EXPECT_EQ(replay_updates(), 250);
    uint64_t hash;
    for (int updates : {0, 100, 200, 250})
        EXPECT_TRUE(replay_checkpoint(updates, &hash)) << updates;
    EXPECT_FALSE(replay_checkpoint(50, &hash));
    for (int i = 0; i < 250; ++i) {
        UpdateInput in = {};
        ASSERT_TRUE(replay_next(in)) << i;
        EXPECT_EQ(in.down, game_key_bit('D'));
        EXPECT_EQ(in.aimX, static_cast<float>(i));
        EXPECT_EQ(in.aimY, -static_cast<float>(i));
        if (i == 1) {
            ASSERT_EQ(in.woken.size(), 1);
            EXPECT_EQ(in.woken[0], 3);
            EXPECT_EQ(in.panX, -200);
            EXPECT_EQ(in.panY, 17);
        }
        if (i == 2) {
            EXPECT_EQ(in.released, game_key_bit(VK_SPACE));
            ASSERT_EQ(in.commands.size(), 2);
            EXPECT_EQ(in.commands[0], UPGRADE_GO);
            EXPECT_EQ(in.commands[1], -5);
        }
    }
    UpdateInput in = {};
    EXPECT_FALSE(replay_next(in));
    EXPECT_EQ(replay_position(), 250);
    close_replay();
}

TEST_F(Recording, DamagedAndForeignFilesAreRefusedAndCutOnesPlayToTheirLastCheckpoint)
{
    std::vector<uint8_t> good = recorded_bytes(150);
    EXPECT_EQ(load(good).refusal, "");
    // A cut before the first checkpoint is refused; after it, the recording
    // plays to the last checkpoint it holds whole, and is not complete.
    const size_t firstCheckpointEnd = RECORDING_HEADER_BYTES + 17;
    for (size_t n = 0; n < good.size(); ++n) {
        Loaded l = load(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(n)));
        if (n < firstCheckpointEnd) {
            EXPECT_NE(
                l.refusal.find(n < 8 ? "is not a TARNWICK recording" : "is truncated"), std::string::npos)
                << n << ": " << l.refusal;
            continue;
        }
        EXPECT_EQ(l.refusal, "") << n;
        EXPECT_FALSE(l.complete) << n;
        EXPECT_TRUE(l.updates == 0 || l.updates == 100) << n << ": " << l.updates;
    }
    // A flipped bit after the magic is refused, or at worst turns the end
    // into an update and leaves a recording that is not complete.
    for (size_t i = 8; i < good.size(); ++i) {
        std::vector<uint8_t> bad = good;
        bad[i] ^= 0x10;
        Loaded l = load(bad);
        EXPECT_TRUE(l.refusal != "" || !l.complete) << i;
    }
    std::vector<uint8_t> other = good;
    other[8] = 1;
    EXPECT_NE(
        load(other).refusal.find("was made by version 1 of the recording format; this game plays version 2"),
        std::string::npos);
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_NE(load(longer).refusal.find("is damaged (bytes follow its end)"), std::string::npos);
    EXPECT_NE(load("/nonexistent/game.rec").refusal.find("can't be opened"), std::string::npos);
    // Neither a folder nor a pipe is read (a pipe would wait for a writer).
    TempDir dir;
    EXPECT_NE(load(dir.path).refusal.find("is not a file"), std::string::npos);
    std::string pipe = dir.path + "/pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_NE(load(pipe).refusal.find("is not a file"), std::string::npos);
}

// A recording that can't be written says so and never claims more than the
// file holds: a device that takes nothing fails at the start; a file that
// stops growing (as on a full disk) keeps its whole checkpoints.
TEST_F(Recording, FailedWritesAreReportedAndTheFileKeepsItsWholeCheckpoints)
{
    LongText why;
    ASSERT_TRUE(create_recording("/dev/full", why));
    EXPECT_FALSE(begin_recording(1, 0.05f));
    EXPECT_STREQ(recording_failure(), "can't write '/dev/full': No space left on device");
    int updates = -1;
    EXPECT_FALSE(finish_recording(&updates));
    EXPECT_EQ(updates, 0);
    EXPECT_FALSE(create_recording("/nonexistent/game.rec", why));
    EXPECT_STREQ(why.s, "No such file or directory");

    TempDir dir;
    std::string path = dir.path + "/game.rec";
    EXPECT_EXIT(record_into_small_file(path), ::testing::ExitedWithCode(0),
        "whole 0, recorded 100, can't write '.*': File too large");
    Loaded l = load(path);
    EXPECT_EQ(l.refusal, "");
    EXPECT_EQ(l.updates, 100);
    EXPECT_FALSE(l.complete);
}

TEST_F(Recording, TheStateHashSeesEverythingThatDecidesLaterUpdates)
{
    uint64_t start = game_state_hash();
    EXPECT_EQ(game_state_hash(), start);
    std::vector<uint64_t> seen = {start};
    // Each change must give a hash not seen before.
    auto changed = [&seen](const char* what) {
        uint64_t h = game_state_hash();
        for (uint64_t s : seen)
            EXPECT_NE(h, s) << what;
        seen.push_back(h);
    };
    level_grid()[level_voxel_index(10, 10, 10)] = 1;
    changed("a voxel");
    place_hero(40, 16);
    changed("the hero");
    add_enemy(100, 16);
    changed("a robot");
    enemy(0).dormant = false;
    changed("a robot woken");
    fire_shot(SHOT_HITS_ENEMIES, nullptr, {0, 0, 8, 1}, {1, 0, 0, 0}, 0xff14ff14);
    changed("a shot");
    emit_debris({1, 2, 3, 1}, {0, 0, 0, 0}, 0xff000000, 1);
    changed("a piece of debris");
    emit_debris({1, 2, 3, 1}, {0, 0, 0, 0}, 0xff000000, 1);
    changed("another piece at the same place");
    hold(VK_LBUTTON);
    update();
    hold(VK_LBUTTON, false);
    changed("an update");
    set_camera_focus({5, 5, 0, 1});
    changed("the camera");
    switch_mode(view_level_mode());
    changed("the viewer");
    switch_mode(game_over_mode());
    changed("the game over");
    set_upgrade_points(5);
    changed("the points");
}

} // namespace
