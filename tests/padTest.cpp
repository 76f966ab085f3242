// The gamepad in play: its buttons and sticks reach the hero as the game keys
// and the aim point of the update's input, through the window messages the
// platform sends.
#include <math.h>

#include "core/windowInput.h"
#include "game/updateInput.h"
#include "gameplayFixture.h"

namespace {

class Pad : public GameplayTest {
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        floor_at(10, 0, 300);
        place_hero(100, 10);
        update(5);
    }
    void TearDown() override
    {
        send(WMSG_PAD_REMOVED);
        GameplayTest::TearDown();
    }
    static void send(WindowMessageType type, int key = 0, int x = 0)
    {
        WindowMessage m = {};
        m.type = type;
        m.key = key;
        m.x = x;
        ASSERT_TRUE(queue_input_message(m));
    }
    static void button(int vk, bool down) { send(down ? WMSG_PAD_BUTTON_DOWN : WMSG_PAD_BUTTON_UP, vk); }
    // An axis at a share of its travel (sticks: y down, as the pad reports them).
    static void axis(int a, float share) { send(WMSG_PAD_AXIS, a, static_cast<int>(lrintf(share * 32767))); }
    static bool down(int vk) { return (update_input().down & game_key_bit(vk)) != 0; }
};

} // namespace

// Inside the dead zone the stick is at rest; past it the hero runs at full
// speed as with the keys. A game key held by two controls stays held while
// one of them lets go. A jumps; the right trigger and shoulder fire.
TEST_F(Pad, RunsJumpsAndFiresThroughTheGameKeys)
{
    float x = hero().position.x;
    axis(PAD_LEFT_X, 0.24f);
    update(10);
    EXPECT_FLOAT_EQ(hero().position.x, x);
    axis(PAD_LEFT_X, 0.3f);
    update(10);
    EXPECT_FLOAT_EQ(hero().velocityX, 100);
    button(VK_GAMEPAD_DPAD_RIGHT, true);
    axis(PAD_LEFT_X, 0);
    update();
    EXPECT_TRUE(down(VK_RIGHT));
    EXPECT_FALSE(update_input().released & game_key_bit(VK_RIGHT));
    button(VK_GAMEPAD_DPAD_RIGHT, false);
    button(VK_GAMEPAD_DPAD_LEFT, true);
    update(10);
    EXPECT_FLOAT_EQ(hero().velocityX, -100);
    button(VK_GAMEPAD_DPAD_LEFT, false);

    ASSERT_TRUE(hero().onGround);
    button(VK_GAMEPAD_A, true);
    update();
    EXPECT_GT(hero().velocityY, 0);
    button(VK_GAMEPAD_A, false);
    update(20);

    EXPECT_EQ(shot_count(), 0);
    axis(PAD_TRIGGER_RIGHT, 0.2f);
    update(3);
    EXPECT_EQ(shot_count(), 0) << "a trigger inside its dead zone";
    axis(PAD_TRIGGER_RIGHT, 0.5f);
    update(3);
    EXPECT_GT(shot_count(), 0);
    axis(PAD_TRIGGER_RIGHT, 0);
    clear_shots();
    button(VK_GAMEPAD_RIGHT_SHOULDER, true);
    update(3);
    EXPECT_GT(shot_count(), 0);
}

// Eight directions of the right stick put the aim point on a circle of 40
// voxels around the hero's shoulder, and the hero aims there; inside the dead
// zone the last direction stays, until the mouse moves.
TEST_F(Pad, TheRightStickAimsOnACircleAroundTheHero)
{
    for (int i = 0; i < 8; ++i) {
        float a = static_cast<float>(i) * 3.14159265f / 4, dx = cosf(a), dy = sinf(a);
        axis(PAD_RIGHT_X, dx);
        axis(PAD_RIGHT_Y, -dy);
        update();
        Vec4 p = hero_previous_position();
        const UpdateInput& in = update_input();
        EXPECT_NEAR(in.aimX, p.x + 40 * dx, 1e-3f) << i;
        EXPECT_NEAR(in.aimY, p.y + 8 + 40 * dy, 1e-3f) << i;
        const Vec4& d = hero().aimDirection;
        EXPECT_GT(d.x * dx + d.y * dy, 0.99f) << i;
    }
    // Up and left, then let go axis by axis between two updates (the first
    // step still past the dead zone, straight up): the aim stays up-left.
    axis(PAD_RIGHT_X, -0.7f);
    axis(PAD_RIGHT_Y, -0.7f);
    update();
    axis(PAD_RIGHT_X, 0);
    axis(PAD_RIGHT_Y, -0.1f);
    update();
    Vec4 p = hero_previous_position();
    EXPECT_NEAR(update_input().aimX, p.x - 40 / sqrtf(2), 1e-3f);
    EXPECT_NEAR(update_input().aimY, p.y + 8 + 40 / sqrtf(2), 1e-3f);

    mouse_at(fake_device.width - 1, fake_device.height / 2);
    update();
    EXPECT_GT(update_input().aimX, hero().position.x + 100) << "the mouse's aim, at the right edge";
}

// A pad unplugged while its buttons and sticks are held lets go of them all:
// the game keys go up once and nothing stays held.
TEST_F(Pad, UnpluggedWhileHeldLeavesNothingHeld)
{
    button(VK_GAMEPAD_A, true);
    button(VK_GAMEPAD_RIGHT_SHOULDER, true);
    axis(PAD_LEFT_X, 1);
    axis(PAD_RIGHT_X, -1);
    update();
    EXPECT_TRUE(down(VK_SPACE) && down(VK_LBUTTON) && down(VK_RIGHT));
    send(WMSG_PAD_REMOVED);
    update();
    const UpdateInput& in = update_input();
    EXPECT_EQ(in.down, 0);
    uint16_t letGo = game_key_bit(VK_SPACE) | game_key_bit(VK_LBUTTON) | game_key_bit(VK_RIGHT);
    EXPECT_EQ(in.released, letGo);
    float x, y;
    EXPECT_FALSE(take_pad_aim(&x, &y)) << "the mouse aims again";
    update(10);
    EXPECT_EQ(update_input().down, 0);
    EXPECT_FLOAT_EQ(hero().velocityX, 0);
}
