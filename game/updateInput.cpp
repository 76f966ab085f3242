// updateInput.cpp - what one update takes from outside the game.
#include "updateInput.h"

#include "../core/display.h"
#include "../core/input.h"
#include "../core/keyBindings.h"
#include "enemies.h"
#include "scene.h"
#include "upgradeMode.h"

const int GAME_KEYS[GAME_KEY_COUNT] = {'A', 'D', 'W', VK_LEFT, VK_RIGHT, VK_UP, VK_SPACE, VK_RETURN,
    VK_ESCAPE, VK_F3, VK_F4, VK_F5, VK_LBUTTON, VK_RBUTTON};

// The flow keys count only while the window is active.
static const int FLOW_KEYS[] = {VK_ESCAPE, VK_F3, VK_F4, VK_F5};

// The pad's keys and the game keys they stand for: the left stick and the
// d-pad run, A jumps (and restarts, and drops the viewer's hero), the right
// trigger and shoulder fire, Back opens and closes the level viewer.
static const struct {
    int pad, game;
} PAD_KEYS[] = {
    {VK_GAMEPAD_LEFT_THUMBSTICK_LEFT, VK_LEFT},
    {VK_GAMEPAD_DPAD_LEFT, VK_LEFT},
    {VK_GAMEPAD_LEFT_THUMBSTICK_RIGHT, VK_RIGHT},
    {VK_GAMEPAD_DPAD_RIGHT, VK_RIGHT},
    {VK_GAMEPAD_A, VK_SPACE},
    {VK_GAMEPAD_RIGHT_TRIGGER, VK_LBUTTON},
    {VK_GAMEPAD_RIGHT_SHOULDER, VK_LBUTTON},
    {VK_GAMEPAD_VIEW, VK_F5},
};

// Mouse-offset pixels a fully pushed left stick pans the level viewer by.
static const float PAD_PAN_PIXELS = 30;

static struct {
    UpdateInput record;        // refilled before every update; kept until the next
    bool scripted;             // set by scripted_update_input, cleared after the update
    DynArray<uint16_t> sights; // robots shown by frames since the last update; emptied by
                               // each update and whenever the robot list is replaced
    uint16_t pausePresses;     // game keys that went down while paused; emptied on resuming
    uint16_t heldBack;         // those of them still held on resuming; each until it is let go
} input;

uint16_t game_key_bit(int vk)
{
    for (int i = 0; i < GAME_KEY_COUNT; ++i)
        if (GAME_KEYS[i] == vk)
            return static_cast<uint16_t>(1u << i);
    ASSERT(!"a key the game reads");
    return 0;
}

const UpdateInput& update_input()
{
    return input.record;
}

static void clear_record(UpdateInput& r)
{
    r.down = r.pressed = r.released = 0;
    r.aimX = r.aimY = 0;
    r.panX = r.panY = 0;
    r.woken.clear();
    r.commands.clear();
}

UpdateInput& scripted_update_input()
{
    clear_record(input.record);
    input.record.fromPlayer = false;
    input.scripted = true;
    input.sights.clear();
    return input.record;
}

// The game keys whose keys, as the player has bound them, pass the test.
static uint16_t key_set(bool (*test)(int))
{
    uint16_t bits = 0;
    for (int i = 0; i < GAME_KEY_COUNT; ++i) {
        int key = key_standing_for(GAME_KEYS[i]);
        if (key && test(key))
            bits |= static_cast<uint16_t>(1u << i);
    }
    return bits;
}

// The game keys that the pad's keys passing the test stand for.
static uint16_t pad_key_set(bool (*test)(int))
{
    uint16_t bits = 0;
    for (const auto& k : PAD_KEYS)
        if (test(k.pad))
            bits |= game_key_bit(k.game);
    return bits;
}

static int16_t pixels(float v)
{
    return static_cast<int16_t>(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
}

// Fills the record from the player's keys, pad, mouse and the upgrade screen.
static void capture_player_input(UpdateInput& r)
{
    clear_record(r);
    r.fromPlayer = true;
    r.down = key_set(is_key_down) | pad_key_set(is_key_down);
    r.pressed = key_set(key_pressed) | pad_key_set(key_pressed);
    // Letting go of a pad control does not release a game key that a key or
    // another control still holds; the keyboard's releases count as before.
    r.released = key_set(key_released) | (pad_key_set(key_released) & ~r.down);
    uint16_t heldBack = input.heldBack;
    input.heldBack &= r.down;
    r.down &= static_cast<uint16_t>(~heldBack);
    r.pressed &= static_cast<uint16_t>(~heldBack);
    r.released &= static_cast<uint16_t>(~heldBack);
    if (!window_active())
        for (int vk : FLOW_KEYS)
            r.pressed &= static_cast<uint16_t>(~game_key_bit(vk));
    Vec4 aim = player_aim_point();
    r.aimX = aim.x;
    r.aimY = aim.y;
    float mx, my, sx, sy;
    mouse_pos(&mx, &my);
    pad_left_stick(&sx, &sy);
    r.panX = pixels(mx - static_cast<float>(screen_width() / 2) + sx * PAD_PAN_PIXELS);
    r.panY = pixels(static_cast<float>(screen_height() / 2) - my + sy * PAD_PAN_PIXELS);
    for (uint16_t i : input.sights)
        r.woken.push(i);
    input.sights.clear();
    take_upgrade_screen_commands(r.commands);
}

const UpdateInput& begin_update_input()
{
    if (!input.scripted)
        capture_player_input(input.record);
    return input.record;
}

void end_update_input()
{
    input.scripted = false;
}

bool input_down(int vk)
{
    return (input.record.down & game_key_bit(vk)) != 0;
}

bool input_pressed(int vk)
{
    return (input.record.pressed & game_key_bit(vk)) != 0;
}

bool input_released(int vk)
{
    return (input.record.released & game_key_bit(vk)) != 0;
}

Vec4 input_aim_point(float z)
{
    return {input.record.aimX, input.record.aimY, z, 1};
}

void note_robot_seen(int index)
{
    ASSERT(index >= 0 && index < enemy_count());
    for (uint16_t i : input.sights)
        if (i == index)
            return;
    input.sights.push(static_cast<uint16_t>(index));
}

void forget_robot_sightings()
{
    input.sights.clear();
}

void note_paused_presses()
{
    input.pausePresses |= key_set(key_pressed) | pad_key_set(key_pressed);
}

void hold_back_paused_presses()
{
    input.heldBack = input.pausePresses & (key_set(is_key_down) | pad_key_set(is_key_down));
    input.pausePresses = 0;
}
