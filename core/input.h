// input.h - the input event queue and the per-update input state.
//
// Window messages become InputEvent records queued for the GUI and key states
// that the game modes poll. Key states hold what happened since the last
// update and are cleared after it by input_end_update; the mouse position,
// the capture and mouse_in_window persist. A gamepad's buttons and sticks
// are keys of their own (VK_GAMEPAD_*), marked and queued the same way.
#pragma once

#include <stdint.h>

enum InputEventType {
    INPUT_KEY_DOWN = 1,
    INPUT_KEY_UP = 2,
    INPUT_MOUSE_DOWN = 3,
    INPUT_MOUSE_UP = 4,
    INPUT_MOUSE_MOVE = 5,
    INPUT_MOUSE_WHEEL = 6,
};

enum InputFlags {
    INPUT_SHIFT = 0x001,
    INPUT_CTRL = 0x002,
    INPUT_ALT = 0x004,
    INPUT_CAPS_LOCK = 0x008,
    INPUT_SCROLL_LOCK = 0x010,
    INPUT_NUM_LOCK = 0x020,
    INPUT_REPEAT = 0x040, // key down: auto-repeat; button down: double click
    INPUT_LBUTTON = 0x080,
    INPUT_RBUTTON = 0x100,
    INPUT_MBUTTON = 0x200,
};

// Virtual-key codes used by the program (the codes of the key table).
enum VirtualKey {
    VK_LBUTTON = 1,
    VK_RBUTTON = 2,
    VK_MBUTTON = 4,
    VK_BACK = 8,
    VK_TAB = 9,
    VK_RETURN = 13,
    VK_SHIFT = 16,
    VK_CONTROL = 17,
    VK_MENU = 18,
    VK_PAUSE = 19,
    VK_CAPITAL = 20,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_PRIOR = 33,
    VK_NEXT = 34,
    VK_END = 35,
    VK_HOME = 36,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_SNAPSHOT = 44,
    VK_INSERT = 45,
    VK_DELETE = 46,
    VK_LWIN = 91,
    VK_RWIN = 92,
    VK_APPS = 93,
    VK_NUMPAD0 = 96,
    VK_MULTIPLY = 106,
    VK_ADD = 107,
    VK_SUBTRACT = 109,
    VK_DECIMAL = 110,
    VK_DIVIDE = 111,
    VK_F1 = 112,
    VK_F2,
    VK_F3,
    VK_F4,
    VK_F5,
    VK_F6,
    VK_F7,
    VK_F8,
    VK_F9,
    VK_F10,
    VK_F11,
    VK_F12,
    VK_NUMLOCK = 144,
    VK_SCROLL = 145,
    VK_OEM_1 = 186,    // ;
    VK_OEM_PLUS = 187, // =
    VK_OEM_COMMA = 188,
    VK_OEM_MINUS = 189,
    VK_OEM_PERIOD = 190,
    VK_OEM_2 = 191, // /
    VK_OEM_3 = 192, // `
    // The pad's buttons, and its sticks and triggers past their dead zones.
    VK_GAMEPAD_A = 0xC3, // the south button
    VK_GAMEPAD_B,
    VK_GAMEPAD_X,
    VK_GAMEPAD_Y,
    VK_GAMEPAD_RIGHT_SHOULDER,
    VK_GAMEPAD_LEFT_SHOULDER,
    VK_GAMEPAD_LEFT_TRIGGER,
    VK_GAMEPAD_RIGHT_TRIGGER,
    VK_GAMEPAD_DPAD_UP,
    VK_GAMEPAD_DPAD_DOWN,
    VK_GAMEPAD_DPAD_LEFT,
    VK_GAMEPAD_DPAD_RIGHT,
    VK_GAMEPAD_MENU, // Start
    VK_GAMEPAD_VIEW, // Back
    VK_GAMEPAD_LEFT_THUMBSTICK_BUTTON,
    VK_GAMEPAD_RIGHT_THUMBSTICK_BUTTON,
    VK_GAMEPAD_LEFT_THUMBSTICK_UP,
    VK_GAMEPAD_LEFT_THUMBSTICK_DOWN,
    VK_GAMEPAD_LEFT_THUMBSTICK_RIGHT,
    VK_GAMEPAD_LEFT_THUMBSTICK_LEFT,
    VK_GAMEPAD_RIGHT_THUMBSTICK_UP,
    VK_GAMEPAD_RIGHT_THUMBSTICK_DOWN,
    VK_GAMEPAD_RIGHT_THUMBSTICK_RIGHT,
    VK_GAMEPAD_RIGHT_THUMBSTICK_LEFT,
    VK_OEM_4 = 219, // [
    VK_OEM_5 = 220, // backslash
    VK_OEM_6 = 221, // ]
    VK_OEM_7 = 222, // '
};

// The share of a stick's or trigger's travel that counts as rest.
static const float PAD_DEAD_ZONE = 0.25f;

struct InputEvent {
    int32_t type;
    int32_t key; // virtual key; the button's code for button events; 0 otherwise
    int32_t flags;
    int32_t ch;    // character(s) the key produces, second one in bits 16-31
    int32_t wheel; // notches of a wheel event
    float x, y;    // back-buffer pixels
};

// Remembers the cursor position as the mouse position and clears the key states.
void input_init();

// Builds, records and queues one event (x, y in client pixels).
void push_input_event(int type, int key, int scan, int flags, int x, int y);
bool pop_input_event(InputEvent* out);

// Clears the key states and drops every queued event; after every update.
void input_end_update();

bool is_key_down(int vk);  // live state from the system (a pad's key: as its last event left it)
bool key_pressed(int vk);  // went down since the last update
bool key_released(int vk); // went up since the last update
void mouse_pos(float* x, float* y);
void set_mouse_pos(float x, float y);
bool mouse_in_window();
void refresh_mouse_in_window();
// The window has the keyboard focus and is not minimised: the keys the game
// reads itself count only then. The window's messages keep it up to date.
bool window_active();
void set_window_active(bool active);
const char* key_name(int vk);

// The pad that plays: a button went down or up; an axis moved (value as in
// WMSG_PAD_AXIS); it was unplugged, which lets go of every button and stick.
// Each change of a pad key is queued and marked like a key of the keyboard.
void pad_button(int vk, bool down);
void pad_axis(int axis, int value);
void pad_lost();
// Once per update: when the right stick moved past the dead zone since the
// last call, its direction (unit length, y up) becomes the pad's aim, which
// stays when the stick returns to rest. Taking it once per update, after all
// the events before it, keeps the axes' one-by-one return to rest from
// turning it. Gives the aim; false while there is none (the mouse moved
// since, or the pad was lost).
bool take_pad_aim(float* x, float* y);
// The left stick's position, -1 to 1 on each axis (y up), 0 inside the dead zone.
void pad_left_stick(float* x, float* y);
