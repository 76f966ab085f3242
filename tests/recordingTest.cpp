// Recordings: what is written plays back the same, and a file that is cut
// short, damaged, of another version or no recording at all is refused whole
// with a reason; the state hash tells games apart.
#include <stdio.h>

#include <string>
#include <vector>

#include "game/recording.h"
#include "gameplayFixture.h"
#include "tempFile.h"

namespace {

std::vector<uint8_t> file_bytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* f = fopen(path.c_str(), "rb");
    for (int c; f && (c = fgetc(f)) != EOF;)
        bytes.push_back(static_cast<uint8_t>(c));
    if (f)
        fclose(f);
    return bytes;
}

// Why a recording with these bytes is refused; "" when it loads.
std::string refusal(const std::vector<uint8_t>& bytes)
{
    TempFile file(bytes);
    LongText error;
    bool ok = load_replay(file.path.c_str(), error);
    close_replay();
    return ok ? "" : error.s;
}

class Recording : public GameplayTest {
protected:
    // Three updates: keys and aim, a woken robot and a viewer offset, commands.
    static std::vector<uint8_t> three_updates()
    {
        TempDir dir;
        std::string path = dir.path + "/game.rec";
        EXPECT_TRUE(start_recording(path.c_str(), 0x123456789abcdefULL, 0.05f));
        UpdateInput in = {};
        in.down = game_key_bit('D') | game_key_bit(VK_LBUTTON);
        in.pressed = game_key_bit('W');
        in.aimX = 123.25f;
        in.aimY = -7.5f;
        record_update(in);
        in = {};
        in.woken.push(3);
        in.panX = -200;
        in.panY = 17;
        record_update(in);
        in = {};
        in.released = game_key_bit(VK_SPACE);
        in.commands.push(UPGRADE_COMMAND_GO);
        in.commands.push(-5);
        record_update(in);
        EXPECT_EQ(finish_recording(), 3);
        return file_bytes(path);
    }
    static constexpr int32_t UPGRADE_COMMAND_GO = 1;
};

TEST_F(Recording, WhatIsWrittenPlaysBackTheSame)
{
    std::vector<uint8_t> bytes = three_updates();
    TempFile file(bytes);
    LongText error;
    ASSERT_TRUE(load_replay(file.path.c_str(), error)) << error.s;
    EXPECT_EQ(replay_seed(), 0x123456789abcdefULL);
    EXPECT_EQ(replay_update_seconds(), 0.05f);
    EXPECT_EQ(replay_updates(), 3);
    UpdateInput in = {};
    ASSERT_TRUE(replay_next(in));
    EXPECT_EQ(in.down, game_key_bit('D') | game_key_bit(VK_LBUTTON));
    EXPECT_EQ(in.pressed, game_key_bit('W'));
    EXPECT_EQ(in.aimX, 123.25f);
    EXPECT_EQ(in.aimY, -7.5f);
    in = {};
    ASSERT_TRUE(replay_next(in));
    ASSERT_EQ(in.woken.size(), 1);
    EXPECT_EQ(in.woken[0], 3);
    EXPECT_EQ(in.panX, -200);
    EXPECT_EQ(in.panY, 17);
    in = {};
    ASSERT_TRUE(replay_next(in));
    EXPECT_EQ(in.released, game_key_bit(VK_SPACE));
    ASSERT_EQ(in.commands.size(), 2);
    EXPECT_EQ(in.commands[1], -5);
    EXPECT_FALSE(replay_next(in));
    EXPECT_EQ(replay_position(), 3);
    close_replay();
}

TEST_F(Recording, DamagedTruncatedAndForeignFilesAreRefusedWithAReason)
{
    std::vector<uint8_t> good = three_updates();
    EXPECT_EQ(refusal(good), "");
    // Every cut is refused: in the header, in an update, before and in the end.
    for (size_t n = 0; n < good.size(); ++n) {
        std::string why = refusal(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(n)));
        EXPECT_NE(why.find(n < 8 ? "is not a TARNWICK recording" : "is truncated"), std::string::npos)
            << n << ": " << why;
    }
    // Every flipped bit after the magic is refused.
    for (size_t i = 8; i < good.size(); ++i) {
        std::vector<uint8_t> bad = good;
        bad[i] ^= 0x10;
        EXPECT_NE(refusal(bad), "") << i;
    }
    std::vector<uint8_t> other = good;
    other[8] = 2;
    EXPECT_NE(refusal(other).find("was made by version 2 of the recording format; this game plays version 1"),
        std::string::npos);
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_NE(refusal(longer).find("is damaged"), std::string::npos);
    LongText error;
    EXPECT_FALSE(load_replay("/nonexistent/game.rec", error));
    EXPECT_NE(std::string(error.s).find("can't be opened"), std::string::npos);
}

TEST_F(Recording, TheStateHashSeesTheGridTheHeroTheRobotsAndTheShots)
{
    uint64_t start = game_state_hash();
    EXPECT_EQ(game_state_hash(), start);
    level_grid()[level_voxel_index(10, 10, 10)] = 1;
    uint64_t grid = game_state_hash();
    EXPECT_NE(grid, start);
    place_hero(40, 16);
    uint64_t placed = game_state_hash();
    EXPECT_NE(placed, grid);
    add_enemy(100, 16);
    uint64_t robot = game_state_hash();
    EXPECT_NE(robot, placed);
    enemy(0).dormant = false;
    EXPECT_NE(game_state_hash(), robot);
    fire_shot(SHOT_HITS_ENEMIES, nullptr, {0, 0, 8, 1}, {1, 0, 0, 0}, 0xff14ff14);
    EXPECT_NE(game_state_hash(), robot);
}

} // namespace
