// Shots against robots and walls, hole debris, debris physics, and how both
// are drawn.
#include "game/shots.h"

#include "gameplayFixture.h"

namespace {

class Shots : public DrawingGameplayTest {
protected:
    // A shot flying right at 200 voxels/s (10 voxels per 0.05 s step).
    static void fire_right(float x, float y)
    {
        fire_shot(SHOT_HITS_ENEMIES, &hero(), {x, y, 8, 1}, {200, 0, 0, 0}, 0xff14ff14);
    }
};

TEST_F(Shots, AShotHitsADormantRobotAndADeadOneOnlyWakes)
{
    add_enemy(100, 50); // x 94 to 106
    fire_right(85, 57); // its first step reaches 3 into the robot
    update_shots(0.05f);
    EXPECT_EQ(shot_count(), 0);
    EXPECT_EQ(enemy(0).health, 0);
    EXPECT_EQ(debris_of_colour(ROBOT_BURST_COLOUR), 200);
    EXPECT_EQ(fake_sound.played, (std::vector<SoundId>{SOUND_ROBOT_HIT, SOUND_ROBOT_BURST}));

    enemy(0).dormant = true;
    fire_right(85, 57);
    update_shots(0.05f);
    EXPECT_EQ(shot_count(), 0); // the dead robot still stops it
    EXPECT_FALSE(enemy(0).dormant);
    EXPECT_EQ(debris_count(), 200);
    EXPECT_EQ(fake_sound.played.size(), 2u) << "a dead robot is not heard again";
}

TEST_F(Shots, AStepThatLandsDeepInsideARobotHitsIt)
{
    add_enemy(100, 50); // x 94 to 106, y 50 to 64
    fire_right(70, 57); // its third step, 90 to 100, ends in the robot's middle
    update_shots(0.05f);
    update_shots(0.05f);
    EXPECT_EQ(enemy(0).health, 1);
    update_shots(0.05f);
    EXPECT_EQ(enemy(0).health, 0);
    EXPECT_EQ(shot_count(), 0);

    // Point-blank from above, through the whole robot in one step.
    add_enemy(200, 50);
    fire_shot(SHOT_HITS_ENEMIES, &hero(), {200, 70, 8, 1}, {0, -400, 0, 0}, 0xff14ff14);
    update_shots(0.05f);
    EXPECT_EQ(enemy(1).health, 0);
    EXPECT_EQ(shot_count(), 0);
}

TEST_F(Shots, OfTwoRobotsOnAStepTheOneMetFirstIsHit)
{
    add_enemy(100, 50); // x 94 to 106
    add_enemy(114, 50); // x 108 to 120
    // 30 voxels a step: from 80 to 110 to the right, from 130 to 100 to the left.
    fire_shot(SHOT_HITS_ENEMIES, &hero(), {80, 57, 8, 1}, {600, 0, 0, 0}, 0xff14ff14);
    update_shots(0.05f);
    EXPECT_EQ(enemy(0).health, 0);
    EXPECT_EQ(enemy(1).health, 1);
    enemy(0).health = 1;
    fire_shot(SHOT_HITS_ENEMIES, &hero(), {130, 57, 8, 1}, {-600, 0, 0, 0}, 0xff14ff14);
    update_shots(0.05f);
    EXPECT_EQ(enemy(0).health, 1);
    EXPECT_EQ(enemy(1).health, 0);
}

TEST_F(Shots, AShotPassingBesideARobotMisses)
{
    add_enemy(100, 50); // x 94 to 106, y 50 to 64
    // Diagonally past its top right corner: the step's bounding box overlaps
    // the robot, the shot (2 voxels around its path) does not.
    fire_shot(SHOT_HITS_ENEMIES, &hero(), {96, 85, 8, 1}, {480, -480, 0, 0}, 0xff14ff14);
    // Along its top, the shot's lower side on the robot's top.
    fire_right(80, 66);
    update_shots(0.05f);
    update_shots(0.05f);
    update_shots(0.05f);
    EXPECT_EQ(enemy(0).health, 1);
    EXPECT_EQ(shot_count(), 2);
}

TEST_F(Shots, RobotsAreTestedBeforeTheWall)
{
    solid(95, 40, 0, 120, 80, 19, 5);
    add_enemy(100, 50); // standing inside the wall's near side
    fire_right(85, 57);
    update_shots(0.05f);
    EXPECT_EQ(enemy(0).health, 0);
    EXPECT_EQ(voxel(95, 57, 8), 5); // no hole
}

TEST_F(Shots, AShotIntoAWallBlowsAHoleAndIndestructibleWallsStay)
{
    solid(100, 40, 0, 110, 80, 19, 5);
    fire_right(85.5f, 60.5f);
    update_shots(0.05f);
    update_shots(0.05f);
    EXPECT_EQ(shot_count(), 0);
    EXPECT_EQ(voxel(100, 60, 0), 0); // the hit cell is the wall's first column
    EXPECT_EQ(voxel(102, 60, 0), 0);
    EXPECT_EQ(voxel(103, 60, 0), 5);
    EXPECT_EQ(voxel(100, 60, 19), 5); // deeper than the hole reaches
    EXPECT_GT(debris_of_colour(palette_colors()[5]), 0);
    EXPECT_EQ(fake_sound.played, std::vector<SoundId>{SOUND_HOLE});

    clear_debris();
    solid(200, 40, 0, 210, 80, 19, VOXEL_INDESTRUCTIBLE + 7);
    fire_right(185.5f, 60.5f);
    update_shots(0.05f);
    update_shots(0.05f);
    EXPECT_EQ(shot_count(), 0);
    EXPECT_EQ(voxel(200, 60, 0), VOXEL_INDESTRUCTIBLE + 7);
    EXPECT_EQ(debris_count(), 0);
    EXPECT_EQ(fake_sound.played, (std::vector<SoundId>{SOUND_HOLE, SOUND_HOLE}))
        << "the hit is heard all the same";
}

TEST_F(Shots, AShotIntoOpenSpaceEndsAtTheWorldBounds)
{
    fire_right(4350, 100);
    fire_shot(SHOT_HITS_ENEMIES, &hero(), {100, 510, 8, 1}, {0, 200, 0, 0}, 0xff14ff14);
    for (int i = 0; i < 4; ++i)
        update_shots(0.05f);
    EXPECT_EQ(shot_count(), 2); // at x 4390 and y 550
    update_shots(0.05f);
    EXPECT_EQ(shot_count(), 0);
}

TEST_F(Shots, HoleDebrisTriesComeFromTheUnclampedBox)
{
    solid(0, 10, 0, 1, 14, 15, 9);
    // 5 x 5 x 16 voxels asked for, 2 x 5 x 16 of them in the grid.
    emit_hole_debris(-3, 10, 0, 1, 14, 15, shot_with_velocity(0, 0));
    EXPECT_EQ(debris_count(), 5 * 5 * 16 / 8);
    for (int i = 0; i < debris_count(); ++i) {
        EXPECT_GE(debris(i).position.x, 0);
        EXPECT_LE(debris(i).position.x, 1);
        EXPECT_EQ(debris(i).colour, palette_colors()[9]);
        EXPECT_GE(debris(i).lifetime, 0.4f);
        EXPECT_LT(debris(i).lifetime, 0.6f);
    }
    clear_debris();
    emit_hole_debris(-10, 10, 0, -2, 14, 15, shot_with_velocity(0, 0));
    EXPECT_EQ(debris_count(), 0);
}

TEST_F(Shots, DebrisFallsWithTheOldVelocityAndIsGoneWhenItsTimeIsUp)
{
    emit_debris({0, 100, 0, 1}, {10, 0, 0, 0}, 0xff123456, 0.12f);
    update_debris(0.05f);
    ASSERT_EQ(debris_count(), 1);
    EXPECT_FLOAT_EQ(debris(0).position.x, 0.5f);
    EXPECT_FLOAT_EQ(debris(0).position.y, 100);
    EXPECT_FLOAT_EQ(debris(0).velocity.y, -25);
    update_debris(0.05f);
    EXPECT_FLOAT_EQ(debris(0).position.y, 100 - 1.25f);
    update_debris(0.05f);
    EXPECT_EQ(debris_count(), 0);
}

TEST_F(Shots, DebrisIsNotDrawnPastItsLifetime)
{
    emit_debris({10, 20, 5, 1}, {16, 0, 0, 0}, 0xff123456, 0.03f);
    begin_cubes();
    draw_debris(0.02f);
    end_cubes();
    EXPECT_EQ(drawn_cubes(), 1);
    std::vector<CubeInstance> cubes = last_batch();
    EXPECT_EQ(cubes[0].s0, (10 * 16 + 5) & 0x7fff); // 0.02 s at 16 voxels/s, in sixteenths
    EXPECT_EQ(cubes[0].s1, 20 * 16);
    EXPECT_EQ(cubes[0].colour, 0xff123456u);
    fake_device.draws.clear();
    begin_cubes();
    draw_debris(0.04f);
    end_cubes();
    EXPECT_EQ(drawn_cubes(), 0);
    EXPECT_EQ(debris_count(), 1); // removed only by the next update
}

TEST_F(Shots, AShotIsDrawnAsTwoCrossesOfFiveCubes)
{
    fire_shot(0, nullptr, {10.5f, 20, 8, 1}, {32, 0, 0, 0}, 0xff14ff14);
    begin_cubes();
    draw_shots(0.25f); // 8 voxels further on
    end_cubes();
    std::vector<CubeInstance> cubes = last_batch();
    ASSERT_EQ(cubes.size(), 10u);
    const int x = (10 * 16 + 8) + 8 * 16, y = 20 * 16, z = 8 * 16;
    const int expect[10][3] = {{x + 16, y, z - 64}, {x - 16, y, z - 64}, {x, y + 16, z - 64},
        {x, y - 16, z - 64}, {x, y, z - 80}, {x + 16, y, z + 64}, {x - 16, y, z + 64}, {x, y + 16, z + 64},
        {x, y - 16, z + 64}, {x, y, z + 48}};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(cubes[i].s0, expect[i][0]) << i;
        EXPECT_EQ(cubes[i].s1, expect[i][1]) << i;
        EXPECT_EQ(cubes[i].s2, expect[i][2]) << i;
        EXPECT_EQ(cubes[i].colour, 0xff14ff14u);
    }
}

} // namespace
