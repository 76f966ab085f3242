// updateInput.h - what one update takes from outside the game.
//
// Everything an update consumes besides the game's own state passes through
// one UpdateInput record: the keys the game reads, the aim point in the
// level, the mouse offset the level viewer pans by, the robots that frames
// showed since the last update and the upgrade screen's commands. A record
// is captured whole from the player as the update starts, or scripted by a
// recording or a program playing the game; so one seed and the records give one game,
// however the frames fell between the updates.
#pragma once

#include <stdint.h>

#include "../libs/inc/cont/zu_dynArray.h"
#include "../libs/inc/misc/zu_vecmath.h"

// The keys the game reads, in the order of their bits in a record.
enum { GAME_KEY_COUNT = 14 };
extern const int GAME_KEYS[GAME_KEY_COUNT];
// Every bit a key set of a record may hold.
enum : uint16_t { GAME_KEY_BITS = (1u << GAME_KEY_COUNT) - 1 };

struct UpdateInput {
    uint16_t down;              // GAME_KEYS bits held during the update
    uint16_t pressed;           // went down since the last update
    uint16_t released;          // went up since the last update
    float aimX, aimY;           // the aim point in the level, at the hero's depth
    int16_t panX;               // the mouse's offset from the middle of the screen,
    int16_t panY;               // in pixels, x to the right, y up (the level viewer)
    DynArray<uint16_t> woken;   // robots that frames showed, by list index
    DynArray<int32_t> commands; // the upgrade screen's commands, in order
    bool fromPlayer;            // captured from the player (who also sees the cursor put back)
};

// The bit of a key in a record's key sets; the key must be one of GAME_KEYS.
uint16_t game_key_bit(int vk);

// The record of the update that runs, or of the last one after it ran.
const UpdateInput& update_input();
// Empties the record for a script to fill before the next update, which then
// takes it instead of the player's input. Sightings of frames since the last
// update are dropped: the script names the robots to wake.
UpdateInput& scripted_update_input();
// The one place an update's record is made, as the update starts: unless a
// script filled it, it is captured whole from the player (the keys held and
// pressed, with the pad's buttons and sticks as the game keys they stand
// for, the flow keys only while the window is active; the aim point; the
// viewer's mouse offset plus the left stick's pan; the robots frames showed;
// the upgrade screen's commands from its clicks; the keys through the
// player's bindings, keyBindings.h). The update reads nothing
// else from outside the game.
const UpdateInput& begin_update_input();
// At the end of an update: the next one again takes the player's input
// unless a script fills the record.
void end_update_input();
// In each pass of the main loop while paused, before its input is dropped:
// notes the game keys that went down.
void note_paused_presses();
// As the game resumes: the game keys that went down during the pause and
// are still held (the one that pressed Resume among them) count as up until
// they are let go, so that the key that closed the menu does not act in the
// game. Keys held since before the pause go on acting.
void hold_back_paused_presses();

// The key states of the update that runs.
bool input_down(int vk);
bool input_pressed(int vk);
bool input_released(int vk);
// The update's aim point at depth z.
Vec4 input_aim_point(float z);

// A frame showed the robot at this list index (noted once per update).
void note_robot_seen(int index);
// Drops the robots frames showed since the last update: the robot list was
// replaced, and its indices now name other robots or none.
void forget_robot_sightings();
