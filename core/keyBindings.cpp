// keyBindings.cpp - the player's keys for the actions that can be rebound.
#include "keyBindings.h"

#include <stdio.h>
#include <string.h>

#include "input.h"
#include "log.h"
#include "numbers.h"
#include "settings.h"

static const KeyBindings DEFAULTS = {{'A', 'D', 'W', VK_LBUTTON, 'P', VK_F5}};

// The store's name and the page's name of each action, in KeyAction order.
static const struct {
    const char* stored;
    const char* shown;
} ACTIONS[ACTION_COUNT] = {
    {"left", "Run left"},
    {"right", "Run right"},
    {"jump", "Jump"},
    {"fire", "Fire"},
    {"pause", "Pause"},
    {"viewer", "Level viewer"},
};

static const char STORE_VALUE[] = "controls";

static KeyBindings bindings = DEFAULTS; // set by read_key_bindings, then by the player

const KeyBindings& default_key_bindings()
{
    return DEFAULTS;
}

const KeyBindings& key_bindings()
{
    return bindings;
}

int bound_key(KeyAction action)
{
    ASSERT(action >= 0 && action < ACTION_COUNT);
    return bindings.keys[action];
}

const char* action_name(KeyAction action)
{
    ASSERT(action >= 0 && action < ACTION_COUNT);
    return ACTIONS[action].shown;
}

void read_key_bindings()
{
    bindings = DEFAULTS;
    ShortText text;
    if (!settings_read_text(STORE_VALUE, text.s, sizeof text.s))
        return;
    if (!parse_key_bindings(text.s, &bindings))
        log_message("controls setting '%s' can't be read; using the default keys", text.s);
}

bool bindable_key(int vk)
{
    bool pad = vk >= VK_GAMEPAD_A && vk <= VK_GAMEPAD_RIGHT_THUMBSTICK_LEFT;
    if (vk <= 0 || vk > 255 || pad)
        return false;
    return vk != VK_ESCAPE && vk != VK_F1 && vk != VK_SNAPSHOT;
}

bool bind_key(KeyAction action, int vk)
{
    ASSERT(action >= 0 && action < ACTION_COUNT);
    if (!bindable_key(vk))
        return false;
    for (int& key : bindings.keys)
        if (key == vk)
            key = bindings.keys[action];
    bindings.keys[action] = vk;
    return true;
}

void reset_key_bindings()
{
    bindings = DEFAULTS;
}

int key_standing_for(int vk)
{
    for (int a = 0; a < ACTION_COUNT; ++a)
        if (DEFAULTS.keys[a] == vk)
            return bindings.keys[a];
    for (int key : bindings.keys)
        if (key == vk)
            return 0;
    return vk;
}

const char* format_key_bindings(const KeyBindings& b, ShortText& out)
{
    // Six names and codes of at most three digits fit many times over.
    size_t n = 0;
    for (int a = 0; a < ACTION_COUNT; ++a)
        n += static_cast<size_t>(
            snprintf(out.s + n, sizeof out.s - n, "%s%s=%d", a ? " " : "", ACTIONS[a].stored, b.keys[a]));
    return out.s;
}

// The action stored under the name of the given length; -1 for none.
static int stored_action(const char* name, size_t length)
{
    for (int a = 0; a < ACTION_COUNT; ++a)
        if (strlen(ACTIONS[a].stored) == length && strncmp(ACTIONS[a].stored, name, length) == 0)
            return a;
    return -1;
}

bool parse_key_bindings(const char* text, KeyBindings* out)
{
    KeyBindings read = {};
    const char* p = text;
    for (int pairs = 0; pairs < ACTION_COUNT; ++pairs) {
        if (pairs > 0 && *p++ != ' ')
            return false;
        const char* equals = strchr(p, '=');
        int action = equals ? stored_action(p, static_cast<size_t>(equals - p)) : -1;
        if (action < 0 || read.keys[action])
            return false;
        p = equals + 1;
        size_t digits = strspn(p, "0123456789");
        uint64_t vk;
        if (digits < 1 || digits > 3)
            return false;
        ShortText number = {};
        memcpy(number.s, p, digits);
        if (!parse_whole_number(number.s, 255, &vk) || !bindable_key(static_cast<int>(vk)))
            return false;
        for (int key : read.keys)
            if (key == static_cast<int>(vk))
                return false;
        read.keys[action] = static_cast<int>(vk);
        p += digits;
    }
    if (*p)
        return false;
    *out = read;
    return true;
}

bool store_key_bindings()
{
    ShortText text;
    return settings_write_text(STORE_VALUE, format_key_bindings(bindings, text));
}
