// The hero driven through whole world steps: running, jumping, damage and
// death, the exit, aiming, firing and the camera.
#include "game/hero.h"

#include "core/paths.h"
#include "deathTest.h"
#include "gameplayFixture.h"

namespace {

class HeroPlay : public GameplayTest {
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        floor_at(16, 0, 1000);
        place_hero(100, 16);
        update(); // settle on the floor
    }
};

TEST_F(HeroPlay, RunsOnTheFloorAndItsLegsSnapToAStandWhenNoDirectionIsHeld)
{
    hold(KEY_D);
    update(10);
    EXPECT_TRUE(hero().onGround);
    EXPECT_FLOAT_EQ(hero().position.y, 16);
    EXPECT_FLOAT_EQ(hero().velocityX, 100); // 1500 voxels/s^2 reach the run speed in 0.0667 s
    EXPECT_GT(hero().position.x, 140);
    float phase = hero().legPhase;
    EXPECT_TRUE(phase != 0 && phase != 4) << phase;

    // Both directions held: no input; the legs stand.
    hold(KEY_A);
    update();
    EXPECT_FLOAT_EQ(hero().velocityX, 100 - 1500 * 0.05f);
    EXPECT_TRUE(hero().legPhase == 0 || hero().legPhase == 4);
    update(3);
    EXPECT_EQ(hero().velocityX, 0);
    float x = hero().position.x;
    update(3);
    EXPECT_EQ(hero().position.x, x);
}

TEST_F(HeroPlay, AJumpIsAddedOncePerUpdateAndOnlyOnTheGround)
{
    press(VK_SPACE);
    update();
    // Both half-steps see the key, but the first leaves the ground.
    EXPECT_FLOAT_EQ(hero().velocityY, 195 - 500 * 0.05f);
    EXPECT_FALSE(hero().onGround);
    float vy = hero().velocityY;
    press(KEY_W);
    update();
    EXPECT_FLOAT_EQ(hero().velocityY, vy - 500 * 0.05f); // airborne: no second jump
    // Up to the top and back down onto the floor, which is heard.
    EXPECT_TRUE(fake_sound.played.empty());
    update(30);
    EXPECT_TRUE(hero().onGround);
    EXPECT_FLOAT_EQ(hero().position.y, 16);
    EXPECT_EQ(fake_sound.played, std::vector<SoundId>{SOUND_LANDING});
}

TEST_F(HeroPlay, ATouchCostsAPointThenASecondOfInvulnerability)
{
    add_enemy(109, 16); // dormant: it stands still, but its box overlaps the hero's by one
    hold(KEY_D);
    update();
    EXPECT_EQ(hero_health(), 3);
    EXPECT_GT(hero().invulnerable, 0.9f);
    // Pressing on against the robot through the 39 half-steps after the hit costs nothing...
    update(19);
    EXPECT_EQ(hero_health(), 3);
    // ...the second half-step of the next update, the 41st after the hit,
    // costs the next point (1 s counted down by 0.025 s reaches 0 after 41).
    update(1);
    EXPECT_EQ(hero_health(), 2);
    EXPECT_EQ(debris_count(), 0);
    EXPECT_EQ(fake_sound.played, (std::vector<SoundId>{SOUND_HERO_HURT, SOUND_HERO_HURT}));
}

TEST_F(HeroPlay, TheLastPointLostBurstsTheHeroIntoDebris)
{
    set_hero_health(1);
    add_enemy(109, 16);
    hold(KEY_D);
    update();
    EXPECT_EQ(hero_health(), 0);
    EXPECT_EQ(debris_count(), 200);
    EXPECT_EQ(debris_of_colour(HERO_BURST_COLOUR), 200);
    for (int i = 0; i < debris_count(); ++i) {
        const Debris& d = debris(i);
        // Thrown from within the hero's box; the debris has had its first step.
        EXPECT_LE(fabsf(d.position.x - d.velocity.x * 0.05f - hero().position.x), 4 + 1e-3);
        EXPECT_GE(d.lifetime, 0.8f - 0.05f);
        EXPECT_LE(d.lifetime, 1.2f);
    }
    // The dead hero neither moves nor fires.
    Vec4 p = hero().position;
    hold(VK_LBUTTON);
    update(5);
    EXPECT_EQ(hero().position.x, p.x);
    EXPECT_EQ(shot_count(), 0);
    EXPECT_EQ(fake_sound.played, std::vector<SoundId>{SOUND_HERO_DEATH});
}

TEST_F(HeroPlay, FallingOutOfTheWorldEndsTheGameWithoutDebris)
{
    place_hero(2000, -350); // nothing below
    update(6);
    EXPECT_GT(hero_health(), 0);
    update(10);
    EXPECT_LT(hero().position.y, -400);
    EXPECT_EQ(hero_health(), 0);
    EXPECT_EQ(debris_count(), 0);
}

TEST_F(HeroPlay, HalfASecondOnTheExitFinishesTheLevelAndAJumpRestartsTheCount)
{
    floor_at(16, 300, 400, VOXEL_EXIT + 1);
    place_hero(350, 16);
    update(8);
    EXPECT_FALSE(level_complete());
    EXPECT_GT(hero().exitTime, 0.35f);
    press(VK_SPACE);
    update();
    EXPECT_EQ(hero().exitTime, 0);
    update(20); // back on the exit after the jump
    ASSERT_TRUE(hero().onGround);
    EXPECT_FALSE(level_complete());
    update(10); // 20 half-steps of 0.025 s on the ground since landing
    EXPECT_TRUE(level_complete());
}

TEST_F(HeroPlay, AimsAtTheCursorButKeepsItsAimCloserThanHalfAVoxel)
{
    take_update_eye();
    mouse_on({40, 40, 8, 1});
    update();
    EXPECT_FALSE(hero().facingRight);
    EXPECT_LT(hero().aimDirection.x, 0);
    EXPECT_NEAR(hero().aimPoint.x, 40, 0.5f);
    EXPECT_NEAR(hero().aimPoint.y, 40, 0.5f);
    EXPECT_EQ(hero().aimPoint.z, 8);
    Vec4 aim = hero().aimDirection;

    // The cursor right on the shoulder (2 voxels behind the centre, 8 up).
    take_update_eye();
    Vec4 shoulder = transform(hero().shoulderPivot, hero().body);
    EXPECT_FLOAT_EQ(shoulder.x, 102);
    mouse_on(shoulder);
    update();
    EXPECT_LT(fabsf(hero().aimPoint.x - shoulder.x) + fabsf(hero().aimPoint.y - shoulder.y), 0.5f);
    EXPECT_FALSE(hero().facingRight);
    EXPECT_EQ(hero().aimDirection.x, aim.x);
    EXPECT_EQ(hero().aimDirection.y, aim.y);
}

TEST_F(HeroPlay, ShotsLeaveEveryFifthHalfStepAtTenPerSecond)
{
    take_update_eye();
    mouse_on({300, 44, 8, 1}); // a little upwards: no shot meets the floor
    hold(VK_LBUTTON);
    update(20);
    // 1/10 s counted down in 0.025 s half-steps reaches exactly 0 only after
    // five of them in float arithmetic: 8 shots in 40 half-steps, not 10.
    EXPECT_EQ(shot_count(), 8);
    EXPECT_EQ(fake_sound.played, std::vector<SoundId>(8, SOUND_SHOT));
    const Shot& s = shot(shot_count() - 1);
    EXPECT_EQ(s.colour, 0xff14ff14u);
    EXPECT_EQ(s.flags, uint32_t(SHOT_HITS_ENEMIES));
    EXPECT_EQ(s.owner, &hero());
    EXPECT_NEAR(sqrtf(s.velocity.x * s.velocity.x + s.velocity.y * s.velocity.y), 200, 1e-3);

    set_fire_rate(11);
    clear_shots();
    update(20);
    EXPECT_EQ(shot_count(), 10); // four half-steps each
}

TEST_F(HeroPlay, AClickBetweenTwoUpdatesFiresOnceButClickingFiresNoFasterThanHolding)
{
    take_update_eye();
    mouse_on({300, 44, 8, 1});
    // Down and up before the update: the button is not held when it runs.
    auto click = [](int vk) {
        push_input_event(INPUT_MOUSE_DOWN, vk, 0, 0, 0, 0);
        push_input_event(INPUT_MOUSE_UP, vk, 0, 0, 0, 0);
    };
    click(VK_LBUTTON);
    update();
    EXPECT_EQ(shot_count(), 1);
    update(5);
    EXPECT_EQ(shot_count(), 1);

    // A click every update, faster than ten a second: the same 8 shots in
    // one second as holding the button gives.
    clear_shots();
    for (int i = 0; i < 20; ++i) {
        click(i % 2 ? VK_RBUTTON : VK_LBUTTON);
        update();
    }
    EXPECT_EQ(shot_count(), 8);
}

TEST_F(HeroPlay, NothingMovesOrFiresOnceTheLevelIsComplete)
{
    set_level_complete(true);
    hold(KEY_D);
    hold(VK_LBUTTON);
    press(VK_SPACE);
    update(5);
    EXPECT_EQ(shot_count(), 0);
    EXPECT_FLOAT_EQ(hero().position.x, 100);
    EXPECT_TRUE(hero().onGround);
}

TEST_F(HeroPlay, TheCameraLeadsTowardsTheAimAtNoMoreThan300VoxelsPerSecond)
{
    take_update_eye();
    mouse_on(hero().position);
    update(10);
    // Settled between the hero's head and the aim point, which moves with the view.
    const Vec4& aim = hero().aimPoint;
    EXPECT_NEAR(camera_focus().current.x, 0.7f * 100 + 0.3f * aim.x, 0.4f);
    EXPECT_NEAR(camera_focus().current.y, 0.7f * (16 + 9) + 0.3f * aim.y, 0.4f);
    EXPECT_LT(aim.y, 16); // the cursor stayed where the feet were

    Vec4 before = camera_focus().current;
    set_hero_position({600, 16, 8, 1}, 0.05f);
    EXPECT_EQ(hero().previousPosition.x, 100);
    Vec4 after = camera_focus().current;
    EXPECT_EQ(camera_focus().previous.x, before.x);
    float moved
        = sqrtf((after.x - before.x) * (after.x - before.x) + (after.y - before.y) * (after.y - before.y));
    EXPECT_NEAR(moved, 15, 1e-3);
}

// A resize (or Alt+Enter) between a frame and the next update: that update
// aims and moves the camera through the same view centre as before it. The
// mouse stays at the window's centre, which looks at the same level point
// at any size.
TEST_F(HeroPlay, TheFirstUpdateAfterAResizeAimsWhereTheOneBeforeDid)
{
    place_hero(600, 16);
    mouse_at(fake_device.width / 2, fake_device.height / 2);
    update(30); // the camera settles between the hero and the aim
    Vec4 aim = hero().aimPoint, focus = camera_focus().current;
    EXPECT_GT(aim.x, 590);

    fake_device.width = 1280;
    fake_device.height = 720;
    game_resized();
    mouse_at(640, 360);
    game_update(0.05f); // no frame has been drawn since the resize
    update_world(0.05f);
    input_end_update();
    float pixel = 1.0f / pixel_scale();
    EXPECT_NEAR(hero().aimPoint.x, aim.x, pixel);
    EXPECT_NEAR(hero().aimPoint.y, aim.y, pixel);
    EXPECT_NEAR(camera_focus().current.x, focus.x, pixel);
    EXPECT_NEAR(camera_focus().current.y, focus.y, pixel);
}

class HeroDrawing : public HeroPlay {
protected:
    void SetUp() override
    {
        HeroPlay::SetUp();
        start_drawing();
    }
    void TearDown() override
    {
        stop_drawing();
        HeroPlay::TearDown();
    }
    // The cubes of one draw_hero t seconds after the update.
    static int hero_cubes(float t)
    {
        fake_device.draws.clear();
        begin_cubes();
        draw_hero(t);
        end_cubes();
        return drawn_cubes();
    }
};

TEST_F(HeroDrawing, OneHalfSizeHeartPerHealthPointAlongTheTop)
{
    int four = hero_cubes(0);
    std::vector<CubeInstance> hearts = last_batch();
    set_hero_health(3);
    int three = hero_cubes(0);
    int heart = four - three;
    EXPECT_GT(heart, 0);
    EXPECT_EQ(static_cast<int>(last_batch().size()), 3 * heart);
    // In the hearts' own half-size frame: side by side from x = -160, at y = 104 and up.
    for (const CubeInstance& c : hearts) {
        int x = cube_x16(c);
        EXPECT_GE(x, -160 * 16);
        EXPECT_LT(x, (-160 + 4 * 16) * 16);
        EXPECT_GE(c.s1, 104 * 16);
    }
    set_hero_health(0);
    EXPECT_EQ(hero_cubes(0), 0);
}

TEST_F(HeroDrawing, AnInvulnerableHeroBlinksButItsHeartsStay)
{
    set_hero_health(5);
    add_enemy(109, 16);
    hold(KEY_D);
    update();
    hold(KEY_D, false);
    ASSERT_EQ(hero_health(), 4);
    float r = hero().invulnerable; // 0.975: the blink phase r * 10 mod 1 is 0.75
    ASSERT_GT(r, 0.9f);
    int four = hero_cubes(0); // phase 0.75: shown
    set_hero_health(3);
    int heart = four - hero_cubes(0);
    set_hero_health(4);
    EXPECT_GT(four, 4 * heart);
    EXPECT_EQ(hero_cubes(0.05f), 4 * heart); // phase 0.25: only the hearts
}

TEST(HeroSprites, AMissingSpriteIsFatalAfterAllFiveWereTried)
{
    EXPECT_FATAL((set_app_path("/nonexistent/"), load_hero_sprites()), "can't load hero voxel sprites");
    EXPECT_FATAL((set_app_path("/nonexistent/"), load_enemy_sprites()), "can't load enemy voxel sprites");
}

} // namespace
