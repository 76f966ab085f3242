// keyBindings.h - the player's keys for the actions that can be rebound.
//
// Run left, run right, jump, fire, pause and the level viewer each have one
// key or mouse button. The game goes on reading the keys it knows (A, D, W,
// the left mouse button, F5): the key bound to an action stands in for the
// action's default key, so what an update reads, and what a recording holds,
// is the same whatever the bindings. The fixed extras (the arrows, Space,
// the right mouse button, ...) keep their meaning unless one is bound to an
// action: a bound key stands only for its action. The bindings are kept in
// the settings store as the text value "controls", for example
// "left=65 right=68 jump=87 fire=1 pause=80 viewer=116" (virtual-key codes).
#pragma once

#include "../libs/inc/misc/zu_utils.h"

enum KeyAction {
    ACTION_LEFT,
    ACTION_RIGHT,
    ACTION_JUMP,
    ACTION_FIRE,
    ACTION_PAUSE,
    ACTION_VIEWER,
    ACTION_COUNT
};

struct KeyBindings {
    int keys[ACTION_COUNT]; // a virtual key or mouse button per action, no two alike
};

// A, D, W, the left mouse button, P and F5.
const KeyBindings& default_key_bindings();
// The bindings in force.
const KeyBindings& key_bindings();
int bound_key(KeyAction action);
// What the controls page calls the action ("Run left", ...).
const char* action_name(KeyAction action);

// Takes "controls" from the store: missing, the defaults; unreadable, the
// defaults with a log line, and the stored text stays as it is until the
// player binds a key.
void read_key_bindings();
// Keys that can't be bound: Escape (it cancels choosing a key), F1 and
// Print Screen (the overlay and the screenshot answer them in every mode)
// and the pad's buttons (fixed).
bool bindable_key(int vk);
// Binds the key to the action; the action that held the key takes the
// action's old one. False, changing nothing, for a key that can't be bound.
bool bind_key(KeyAction action, int vk);
// Every action back on its default key.
void reset_key_bindings();
// The key the player presses for what the game reads as vk: for an action's
// default key, the key bound to the action; 0 for another key bound to an
// action (it stands only for its action); else vk itself.
int key_standing_for(int vk);

// "name=code" for every action, separated by single spaces.
const char* format_key_bindings(const KeyBindings& bindings, ShortText& out);
// The text back into bindings: every action exactly once, in any order, each
// with a key that can be bound and no key twice; false, leaving *out alone,
// for anything else.
bool parse_key_bindings(const char* text, KeyBindings* out);
// Writes the bindings in force as "controls"; false when the write failed
// (registry_last_error says why).
bool store_key_bindings();
