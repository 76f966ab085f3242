// input.cpp - the input event queue and the per-update input state.
#include "input.h"

#include <math.h>

#include "../platform/platform.h"
#include "display.h"

enum { KEY_WENT_DOWN = 1, KEY_WENT_UP = 2 };

struct QueuedEvent {
    InputEvent event;
    QueuedEvent* next;
};

static struct {
    uint8_t keyStates[256]; // cleared after every update
    float mouseX, mouseY;   // back-buffer pixels; kept across updates
    bool captured;          // between a button down and the next button up
    bool inWindow;          // refreshed after every message pump
    bool windowActive;      // set by the window's activation messages
    QueuedEvent* head;      // oldest queued event; dropped after every update
    QueuedEvent* tail;
    bool padHeld[256];       // the pad's keys held; all cleared when the pad is lost
    float padAxes[PAD_AXES]; // -1 to 1 (triggers 0 to 1), as the last events left them; zeroed when lost
    bool rightStickMoved;    // set by the right stick's events, cleared by take_pad_aim
    float aimX, aimY;        // the right stick's direction as take_pad_aim last took it
    bool padAiming;          // set by take_pad_aim, cleared by a mouse move and when the pad is lost
} input;

static void clear_key_states()
{
    for (uint8_t& k : input.keyStates)
        k = 0;
}

void input_init()
{
    int x = 0, y = 0;
    plat_mouse_client_pos(&x, &y);
    input.mouseX = static_cast<float>(x);
    input.mouseY = static_cast<float>(y);
    clear_key_states();
}

static void mark_key(int key, uint8_t bit)
{
    if (key >= 0 && key <= 255)
        input.keyStates[key] |= bit;
}

static float clamp_to(int v, int size)
{
    if (v > size - 1)
        v = size - 1;
    if (v < 0)
        v = 0;
    return static_cast<float>(v);
}

void push_input_event(int type, int key, int scan, int flags, int x, int y)
{
    InputEvent e = {};
    e.type = type;
    e.key = key;
    switch (type) {
    case INPUT_KEY_DOWN:
    case INPUT_KEY_UP:
        if (type == INPUT_KEY_UP)
            mark_key(key, KEY_WENT_UP);
        else if (!(flags & INPUT_REPEAT))
            mark_key(key, KEY_WENT_DOWN);
        e.ch = plat_key_char(key, scan, plat_modifier_flags());
        break;
    case INPUT_MOUSE_WHEEL:
        // The caller passes the notches in the key argument.
        e.key = 0;
        e.wheel = key;
        break;
    case INPUT_MOUSE_DOWN:
        mark_key(key, KEY_WENT_DOWN);
        plat_capture_mouse(true);
        input.captured = true;
        break;
    case INPUT_MOUSE_UP:
        mark_key(key, KEY_WENT_UP);
        plat_capture_mouse(false);
        // The cursor may have wandered outside while captured; put it back
        // where the game last saw it.
        x = static_cast<int>(input.mouseX);
        y = static_cast<int>(input.mouseY);
        plat_warp_mouse(x, y);
        input.captured = false;
        break;
    default:
        e.key = 0;
        break;
    }
    e.flags = flags | plat_modifier_flags();

    if (type == INPUT_KEY_DOWN || type == INPUT_KEY_UP) {
        e.x = input.mouseX;
        e.y = input.mouseY;
    } else {
        e.x = clamp_to(x, screen_width());
        e.y = clamp_to(y, screen_height());
    }

    QueuedEvent* q = new QueuedEvent{e, nullptr};
    if (input.tail)
        input.tail->next = q;
    else
        input.head = q;
    input.tail = q;

    if (type == INPUT_MOUSE_MOVE) {
        if (e.x != input.mouseX || e.y != input.mouseY)
            input.padAiming = false;
        input.mouseX = e.x;
        input.mouseY = e.y;
    }
}

bool pop_input_event(InputEvent* out)
{
    QueuedEvent* q = input.head;
    if (!q)
        return false;
    *out = q->event;
    input.head = q->next;
    if (!input.head)
        input.tail = nullptr;
    delete q;
    return true;
}

void input_end_update()
{
    clear_key_states();
    InputEvent dropped;
    while (pop_input_event(&dropped)) { }
}

bool is_key_down(int vk)
{
    return plat_key_held(vk) || (vk >= 0 && vk <= 255 && input.padHeld[vk]);
}

bool key_pressed(int vk)
{
    return vk >= 0 && vk <= 255 && (input.keyStates[vk] & KEY_WENT_DOWN);
}

bool key_released(int vk)
{
    return vk >= 0 && vk <= 255 && (input.keyStates[vk] & KEY_WENT_UP);
}

void mouse_pos(float* x, float* y)
{
    *x = input.mouseX;
    *y = input.mouseY;
}

void set_mouse_pos(float x, float y)
{
    // The stored position follows when the resulting move message arrives.
    plat_warp_mouse(static_cast<int>(x), static_cast<int>(y));
}

bool mouse_in_window()
{
    return input.inWindow;
}

bool window_active()
{
    return input.windowActive;
}

void set_window_active(bool active)
{
    input.windowActive = active;
}

void refresh_mouse_in_window()
{
    input.inWindow = input.captured || display_fullscreen() || plat_cursor_in_client();
}

void pad_button(int vk, bool down)
{
    if (vk < 0 || vk > 255 || input.padHeld[vk] == down)
        return;
    input.padHeld[vk] = down;
    push_input_event(down ? INPUT_KEY_DOWN : INPUT_KEY_UP, vk, 0, 0, -1, -1);
}

// The pad keys of one stick axis: `low` held past the dead zone below, `high` above.
static void stick_keys(float v, int low, int high)
{
    pad_button(low, v < -PAD_DEAD_ZONE);
    pad_button(high, v > PAD_DEAD_ZONE);
}

void pad_axis(int axis, int value)
{
    if (axis < 0 || axis >= PAD_AXES)
        return;
    float v = static_cast<float>(value) / 32767.0f;
    input.padAxes[axis] = v < -1 ? -1 : v;
    switch (axis) {
    case PAD_LEFT_X:
        stick_keys(v, VK_GAMEPAD_LEFT_THUMBSTICK_LEFT, VK_GAMEPAD_LEFT_THUMBSTICK_RIGHT);
        break;
    case PAD_LEFT_Y:
        stick_keys(v, VK_GAMEPAD_LEFT_THUMBSTICK_UP, VK_GAMEPAD_LEFT_THUMBSTICK_DOWN);
        break;
    case PAD_RIGHT_X:
        stick_keys(v, VK_GAMEPAD_RIGHT_THUMBSTICK_LEFT, VK_GAMEPAD_RIGHT_THUMBSTICK_RIGHT);
        input.rightStickMoved = true;
        break;
    case PAD_RIGHT_Y:
        stick_keys(v, VK_GAMEPAD_RIGHT_THUMBSTICK_UP, VK_GAMEPAD_RIGHT_THUMBSTICK_DOWN);
        input.rightStickMoved = true;
        break;
    case PAD_TRIGGER_LEFT:
        pad_button(VK_GAMEPAD_LEFT_TRIGGER, v > PAD_DEAD_ZONE);
        break;
    default:
        pad_button(VK_GAMEPAD_RIGHT_TRIGGER, v > PAD_DEAD_ZONE);
        break;
    }
}

void pad_lost()
{
    for (int vk = 0; vk < 256; ++vk)
        pad_button(vk, false);
    for (float& a : input.padAxes)
        a = 0;
    input.padAiming = input.rightStickMoved = false;
}

bool take_pad_aim(float* x, float* y)
{
    float sx = input.padAxes[PAD_RIGHT_X], sy = -input.padAxes[PAD_RIGHT_Y];
    float length = sqrtf(sx * sx + sy * sy);
    if (input.rightStickMoved && length > PAD_DEAD_ZONE) {
        input.aimX = sx / length;
        input.aimY = sy / length;
        input.padAiming = true;
    }
    input.rightStickMoved = false;
    *x = input.aimX;
    *y = input.aimY;
    return input.padAiming;
}

// One axis of the left stick, 0 inside the dead zone.
static float outside_dead_zone(float v)
{
    return fabsf(v) <= PAD_DEAD_ZONE ? 0 : v;
}

void pad_left_stick(float* x, float* y)
{
    *x = outside_dead_zone(input.padAxes[PAD_LEFT_X]);
    *y = -outside_dead_zone(input.padAxes[PAD_LEFT_Y]);
}

const char* key_name(int vk)
{
    static const struct {
        int first;
        const char* names[12];
    } RUNS[] = {
        {1, {"Left Mouse Button", "Right Mouse Button"}},
        {4, {"Middle Mouse Button"}},
        {8, {"Backspace", "Tab"}},
        {13, {"Enter"}},
        {16, {"Shift", "Ctrl", "Alt", "Pause", "Caps Lock"}},
        {27, {"Escape"}},
        {32,
            {"Space", "Page Up", "Page Down", "End", "Home", "Left Arrow", "Up Arrow", "Right Arrow",
                "Down Arrow"}},
        {45, {"Insert", "Delete"}},
        {48, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
        {65, {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L"}},
        {77, {"M", "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X"}},
        {89, {"Y", "Z", "Left Win", "Right Win", "Application"}},
        {96,
            {"NumPad 0", "NumPad 1", "NumPad 2", "NumPad 3", "NumPad 4", "NumPad 5", "NumPad 6", "NumPad 7",
                "NumPad 8", "NumPad 9", "Multiply", "Add"}},
        {109, {"Subtract", "Decimal", "Divide"}},
        {112, {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12"}},
        {144, {"Num Lock", "Scroll Lock"}},
        {186, {"Semicolon", "Equals", "Comma", "Minus", "Period", "Slash", "Grave"}},
        {195,
            {"Pad A", "Pad B", "Pad X", "Pad Y", "Pad Right Shoulder", "Pad Left Shoulder",
                "Pad Left Trigger", "Pad Right Trigger", "Pad Up", "Pad Down", "Pad Left", "Pad Right"}},
        {207,
            {"Pad Start", "Pad Back", "Pad Left Stick", "Pad Right Stick", "Pad Left Stick Up",
                "Pad Left Stick Down", "Pad Left Stick Right", "Pad Left Stick Left", "Pad Right Stick Up",
                "Pad Right Stick Down", "Pad Right Stick Right", "Pad Right Stick Left"}},
        {219, {"Left bracket", "Backslash", "Right bracket", "Apostrophe"}},
    };
    for (const auto& run : RUNS) {
        int i = vk - run.first;
        if (i >= 0 && i < 12 && run.names[i])
            return run.names[i];
    }
    return "?";
}
