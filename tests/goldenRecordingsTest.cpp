// The golden recordings under tests/recordings/: games of the bot (firing
// into robots; finishing a level, buying upgrades and playing on) and of a
// virtual pad, replayed headless through the game's own playback step to
// every checkpoint they hold. They are the net for the game's rules: when an
// update's results change on purpose, the rules version rises and
// scripts/recordGolden.sh makes them again. A replay that parts from its
// recording stops at the checkpoint where it did; one of other rules is
// refused before it starts.
#include <dirent.h>
#include <zlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "deathTest.h"
#include "game/playback.h"
#include "game/recording.h"
#include "game/rulesVersion.h"
#include "game/upgrades.h"
#include "screensFixture.h"
#include "tempFile.h"

namespace {

const std::string RECORDINGS = TARNWICK_SOURCE_DIR "/tests/recordings";

std::vector<std::string> golden_recordings()
{
    std::vector<std::string> files;
    if (DIR* dir = opendir(RECORDINGS.c_str())) {
        while (dirent* e = readdir(dir)) {
            std::string name = e->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".rec") == 0)
                files.push_back(RECORDINGS + "/" + name);
        }
        closedir(dir);
    }
    std::sort(files.begin(), files.end());
    return files;
}

// How a replay went: what the playback said at its end, its log, and where
// the game stood.
struct Replayed {
    bool ok;
    std::string log;
    int level, points;
};

// The recording at `path` played from a fresh start as the game program
// plays it, on the fake device.
Replayed replay(const std::string& path)
{
    start_font_on_fakes();
    ::testing::internal::CaptureStdout();
    start_playback(0, nullptr, path.c_str(), 0.05f);
    game_init();
    while (play_update(playback_update_seconds(0.05f)))
        input_end_update();
    Replayed r;
    r.ok = finish_playback();
    r.level = level_number();
    r.points = upgrade_points();
    game_shutdown();
    r.log = ::testing::internal::GetCapturedStdout();
    font_shutdown();
    return r;
}

// Bytes of a recording changed at `offset` to `value` (little-endian, `size`
// bytes), with the CRC of every checkpoint from there on made good again, so
// that only what the change means is left to find.
std::vector<uint8_t> altered(std::vector<uint8_t> bytes, size_t offset, uint64_t value, int size)
{
    RecordingContents contents;
    LongText why;
    EXPECT_TRUE(parse_recording(bytes.data(), static_cast<int>(bytes.size()), contents, why)) << why.s;
    for (int i = 0; i < size; ++i)
        bytes[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    for (const RecordingCheckpoint& c : contents.checkpoints) {
        size_t crcAt = static_cast<size_t>(c.at) + 1 + 4 + 8;
        uint32_t crc = static_cast<uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(crcAt)));
        for (int i = 0; i < 4; ++i)
            bytes[crcAt + static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (8 * i));
    }
    return bytes;
}

TEST(GoldenRecordings, ReplayToEveryCheckpoint)
{
    std::vector<std::string> files = golden_recordings();
    ASSERT_GE(files.size(), 3u) << "no golden recordings in " << RECORDINGS;
    for (const std::string& file : files) {
        Replayed r = replay(file);
        EXPECT_TRUE(r.ok) << file << ":\n" << r.log;
        EXPECT_NE(r.log.find("replay ended after"), std::string::npos) << file << ":\n" << r.log;
    }
    // The bot's second level, after points were spent on the upgrade screen.
    Replayed upgrade = replay(RECORDINGS + "/upgrade.rec");
    EXPECT_EQ(upgrade.level, 2);
    EXPECT_LT(upgrade.points, 5);
}

TEST(GoldenRecordings, AReplayThatPartsFromItsRecordingStopsAtThatCheckpoint)
{
    std::vector<uint8_t> bytes = file_bytes(RECORDINGS + "/robots.rec");
    RecordingContents contents;
    LongText why;
    ASSERT_TRUE(parse_recording(bytes.data(), static_cast<int>(bytes.size()), contents, why)) << why.s;
    ASSERT_GE(contents.checkpoints.size(), 3);
    const RecordingCheckpoint& c = contents.checkpoints[2];
    TempFile file(altered(bytes, static_cast<size_t>(c.at) + 5, c.stateHash ^ 1, 8));
    Replayed r = replay(file.path);
    EXPECT_FALSE(r.ok);
    char line[96];
    snprintf(line, sizeof line, "replay diverged between updates %d and %d (state %016llx, recorded %016llx)",
        contents.checkpoints[1].updates, c.updates, static_cast<unsigned long long>(c.stateHash),
        static_cast<unsigned long long>(c.stateHash ^ 1));
    EXPECT_NE(r.log.find(line), std::string::npos) << r.log;
    snprintf(line, sizeof line, "replay stopped after %d of", c.updates);
    EXPECT_NE(r.log.find(line), std::string::npos) << r.log;
}

TEST(GoldenRecordings, ARecordingOfOtherRulesOrDataIsRefusedBeforeItStarts)
{
    std::vector<uint8_t> bytes = file_bytes(RECORDINGS + "/robots.rec");
    TempFile rules(altered(bytes, 12, RULES_VERSION + 1, 4));
    char message[64];
    snprintf(message, sizeof message, "was recorded with rules version %d, this game has %d",
        RULES_VERSION + 1, RULES_VERSION);
    EXPECT_FATAL(start_playback(0, nullptr, rules.path.c_str(), 0.05f), message);
    TempFile data(altered(bytes, 16, 12345, 8));
    start_font_on_fakes();
    EXPECT_FATAL(
        {
            start_playback(0, nullptr, data.path.c_str(), 0.05f);
            game_init();
        },
        "ERROR: the recording '.*' was recorded with other level data");
    font_shutdown();
}

} // namespace
