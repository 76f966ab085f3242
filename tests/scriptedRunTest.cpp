// Scripted runs on a generated level: the hero walks right, jumps and fires
// for thousands of updates, with a frame drawn after each one (frames wake
// the robots). One seed and one script always give one game.
#include <stdint.h>

#include <algorithm>
#include <vector>

#include "fakeSound.h"
#include "game/runStats.h"
#include "gameplayFixture.h"
#include "gen/levelGenRuntime.h"
#include "levelTestData.h"

namespace {

// What a run leaves behind, and what happened on the way.
struct RunResult {
    uint64_t gridHash = 0;
    Hero hero;
    std::vector<Enemy> robots;
    int robotsAtStart = 0;
    int erasedVoxels = 0;
    int mostDebris = 0;
    int mostRobotDebris = 0;
    float highestJump = 0; // above the floor the hero jumped from
    float startX = 0;
};

class ScriptedRun : public DrawingGameplayTest {
protected:
    static void SetUpTestSuite() { load_real_level_data(); }
    static void TearDownTestSuite() { free_level_data(); }

    // D and the left button held throughout, Space pressed every 15th
    // update, the cursor 100 pixels right of the middle at three heights in
    // turn; a frame after every update.
    static RunResult run(uint64_t seed, int updates)
    {
        rng_seed(seed);
        new_game();
        new_level();
        begin_run();
        std::vector<uint8_t> original(level_grid(), level_grid() + LEVEL_GRID_BYTES);
        RunResult r;
        r.robotsAtStart = enemy_count();
        r.startX = hero().position.x;
        float ground = hero().position.y;
        hold(KEY_D);
        hold(VK_LBUTTON);
        for (int i = 0; i < updates; ++i) {
            mouse_at(420, 150 + 30 * (i / 200 % 3));
            if (i % 15 == 0)
                press(VK_SPACE);
            update();
            camera_interpolate(0);
            draw_world(0);
            if (hero().onGround)
                ground = hero().position.y;
            else if (hero().position.y - ground > r.highestJump)
                r.highestJump = hero().position.y - ground;
            r.mostDebris = debris_count() > r.mostDebris ? debris_count() : r.mostDebris;
            int robotDebris = debris_of_colour(ROBOT_BURST_COLOUR);
            r.mostRobotDebris = robotDebris > r.mostRobotDebris ? robotDebris : r.mostRobotDebris;
        }
        hold(KEY_D, false);
        hold(VK_LBUTTON, false);
        for (int i = 0; i < LEVEL_GRID_BYTES; ++i)
            r.erasedVoxels += original[i] && !level_grid()[i];
        r.gridHash = level_grid_hash();
        r.hero = hero();
        for (int i = 0; i < enemy_count(); ++i)
            r.robots.push_back(enemy(i));
        return r;
    }
};

TEST_F(ScriptedRun, TheHeroWalksJumpsBlowsHolesAndKillsARobot)
{
    RunResult r = run(7, 3000);
    EXPECT_GT(r.hero.position.x, r.startX + 150);
    EXPECT_GT(r.highestJump, 30); // 195 voxels/s up against 500 voxels/s^2: about 38
    EXPECT_LT(r.highestJump, 40);
    EXPECT_GT(r.erasedVoxels, 1000);
    EXPECT_GT(r.mostDebris, 20);
    // A robot burst, and its robot is gone; the hero lives.
    EXPECT_GE(r.mostRobotDebris, 200);
    EXPECT_LT(static_cast<int>(r.robots.size()), r.robotsAtStart);
    EXPECT_GE(r.hero.health, 1);
    EXPECT_LE(r.hero.health, 4);
    // Every hole ends at the wall's indestructible parts: nothing of 128 and
    // up was erased, and the exit is still there.
    int exitVoxels = 0;
    for (int i = 0; i < LEVEL_GRID_BYTES; ++i)
        exitVoxels += level_grid()[i] >= VOXEL_EXIT;
    EXPECT_GT(exitVoxels, 0);
}

// The run's counts agree with what was heard: a sound for every shot, hole,
// robot burst and heart lost; hits at least every robot hit heard (two shots
// may strike a robot in its last update) and at most the shots; the time is
// the updates' time.
TEST_F(ScriptedRun, TheRunCountsWhatHappened)
{
    fake_sound = FakeSound();
    run(7, 3000);
    const RunStats& s = end_run();
    auto heard = [](SoundId id) {
        return static_cast<int>(std::count(fake_sound.played.begin(), fake_sound.played.end(), id));
    };
    EXPECT_EQ(s.seed, 7u) << "the first level's seed";
    EXPECT_EQ(s.timeMs, 150000);
    EXPECT_EQ(s.shots, heard(SOUND_SHOT));
    EXPECT_EQ(s.holes, heard(SOUND_HOLE));
    EXPECT_EQ(s.robots, heard(SOUND_ROBOT_BURST));
    EXPECT_EQ(s.heartsLost, heard(SOUND_HERO_HURT) + heard(SOUND_HERO_DEATH));
    EXPECT_GE(s.hits, heard(SOUND_ROBOT_HIT));
    EXPECT_LE(s.hits, s.shots);
    EXPECT_GE(s.robots, 1);
    EXPECT_GT(s.holes, 10);
    // Nothing counts after the end.
    count_shot_fired();
    EXPECT_EQ(run_stats().shots, s.shots);
    EXPECT_EQ(s.levels, 0);
}

TEST_F(ScriptedRun, ANewLevelPutsTheHeroAndTheRobotsAtTheGeneratedSpawns)
{
    rng_seed(5);
    add_enemy(1, 1); // a robot of the last level, dropped
    new_level();
    const LevelSpawns& spawns = level_spawns();
    ASSERT_TRUE(spawns.heroPlaced);
    EXPECT_EQ(hero().position.x, spawns.hero.x);
    EXPECT_EQ(hero().position.y, spawns.hero.y);
    EXPECT_EQ(camera_focus().previous.y, spawns.hero.y + 9); // the camera snaps to the hero
    ASSERT_EQ(enemy_count(), spawns.robots.size());
    ASSERT_GT(enemy_count(), 0);
    for (int i = 0; i < enemy_count(); ++i) {
        EXPECT_EQ(enemy(i).position.x, spawns.robots[i].x);
        EXPECT_EQ(enemy(i).position.y, spawns.robots[i].y);
        EXPECT_TRUE(enemy(i).dormant);
    }
}

TEST_F(ScriptedRun, OneSeedAndOneScriptGiveOneGame)
{
    RunResult a = run(11, 2000);
    RunResult b = run(11, 2000);
    EXPECT_EQ(a.gridHash, b.gridHash);
    EXPECT_GT(a.erasedVoxels, 0);
    const Hero &ha = a.hero, &hb = b.hero;
    EXPECT_EQ(memcmp(&ha.position, &hb.position, sizeof ha.position), 0);
    EXPECT_EQ(memcmp(&ha.aimDirection, &hb.aimDirection, sizeof ha.aimDirection), 0);
    EXPECT_EQ(memcmp(&ha.aimPoint, &hb.aimPoint, sizeof ha.aimPoint), 0);
    EXPECT_EQ(ha.velocityX, hb.velocityX);
    EXPECT_EQ(ha.velocityY, hb.velocityY);
    EXPECT_EQ(ha.legPhase, hb.legPhase);
    EXPECT_EQ(ha.fireCooldown, hb.fireCooldown);
    EXPECT_EQ(ha.invulnerable, hb.invulnerable);
    EXPECT_EQ(ha.health, hb.health);
    EXPECT_EQ(ha.facingRight, hb.facingRight);
    ASSERT_EQ(a.robots.size(), b.robots.size());
    for (size_t i = 0; i < a.robots.size(); ++i) {
        const Enemy &ea = a.robots[i], &eb = b.robots[i];
        EXPECT_EQ(memcmp(&ea.position, &eb.position, sizeof ea.position), 0) << i;
        EXPECT_EQ(ea.velocityX, eb.velocityX) << i;
        EXPECT_EQ(ea.velocityY, eb.velocityY) << i;
        EXPECT_EQ(ea.health, eb.health) << i;
        EXPECT_EQ(ea.lastFlags, eb.lastFlags) << i;
        EXPECT_EQ(ea.facingRight, eb.facingRight) << i;
        EXPECT_EQ(ea.dormant, eb.dormant) << i;
    }
    // Another seed is another game.
    RunResult c = run(12, 200);
    EXPECT_NE(c.gridHash, a.gridHash);
}

} // namespace
