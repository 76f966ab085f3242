// settings.cpp - display and sound options from the settings store and the command line.
#include "settings.h"

#include <string.h>

#include "../libs/inc/misc/zu_utils.h"
#include "../platform/platform.h"
#include "log.h"
#include "numbers.h"

static Settings current; // filled by read_settings at start-up

struct Switch {
    const char* text;
    void (*apply)(Settings& s);
};

// Compared exactly and case-sensitively; a later switch overrides an earlier.
static const Switch SWITCHES[] = {
    {"-720", [](Settings& s) { s.window_width = 1280, s.window_height = 720; }},
    {"-360", [](Settings& s) { s.window_width = 640, s.window_height = 360; }},
    {"-aa", [](Settings& s) { s.antialias = true; }},
    {"-noaa", [](Settings& s) { s.antialias = false; }},
    {"-vs", [](Settings& s) { s.vsync = true; }},
    {"-novs", [](Settings& s) { s.vsync = false; }},
    {"-fullscr", [](Settings& s) { s.fullscreen = true; }},
    {"-win", [](Settings& s) { s.fullscreen = false; }},
    {"-mute", [](Settings& s) { s.sound = false; }},
    {"-sound", [](Settings& s) { s.sound = true; }},
    {"-daily", [](Settings& s) { s.daily = true; }},
};

static int read_volume()
{
    uint32_t volume;
    if (!settings_read_dword("volume", &volume))
        return DEFAULT_VOLUME;
    if (volume > MAX_VOLUME) {
        log_message("stored volume %u is above %d; playing at %d", volume, MAX_VOLUME, MAX_VOLUME);
        return MAX_VOLUME;
    }
    return static_cast<int>(volume);
}

// The switches with a value; true when argv[i] was one (i then skips its value).
static bool read_value_switch(int argc, const char* const* argv, int& i)
{
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (strcmp(argv[i], "-seed") == 0) {
        current.seed = number_argument("-seed", value, UINT64_MAX);
        current.seed_given = true;
    } else if (strcmp(argv[i], "-record") == 0 || strcmp(argv[i], "-replay") == 0) {
        if (!value || !*value)
            fatal_error("%s needs a file name", argv[i]);
        (strcmp(argv[i], "-record") == 0 ? current.record_file : current.replay_file) = value;
    } else {
        return false;
    }
    ++i;
    return true;
}

void read_settings(int argc, const char* const* argv)
{
    current.fullscreen = false;
    current.window_width = current.window_height = 0;
    current.antialias = false;
    current.vsync = true;
    current.fast_voxels = false;
    current.sound = true;
    current.volume = read_volume();
    current.seed_given = false;
    current.daily = false;
    current.record_file = current.replay_file = nullptr;

    uint32_t flags;
    if (settings_read_dword("flags", &flags))
        set_option_flags(flags);
    else if (*registry_last_error())
        log_message("can't read the settings: %s", registry_last_error());

    for (int i = 1; i < argc; ++i) {
        if (read_value_switch(argc, argv, i))
            continue;
        for (const Switch& sw : SWITCHES)
            if (strcmp(argv[i], sw.text) == 0)
                sw.apply(current);
    }
    if (current.record_file && current.replay_file)
        fatal_error("-record and -replay can't be used together");
    if (current.seed_given && current.replay_file)
        fatal_error("-seed and -replay can't be used together: a recording carries its seed");
    if (current.daily && current.seed_given)
        fatal_error("-daily and -seed can't be used together: the day chooses the seed");
    if (current.daily && current.replay_file)
        fatal_error("-daily and -replay can't be used together: a recording carries its seed");
}

const Settings& settings()
{
    return current;
}

bool settings_read_dword(const char* name, uint32_t* out)
{
    uint32_t type = 0;
    uint32_t value = 0;
    uint32_t size = sizeof value;
    if (!registry_read(name, &type, &value, &size) || type != REG_TYPE_DWORD)
        return false;
    *out = value;
    return true;
}

bool settings_write_dword(const char* name, uint32_t value)
{
    return registry_write(name, REG_TYPE_DWORD, &value, sizeof value);
}

bool settings_read_text(const char* name, char* out, uint32_t size)
{
    uint32_t type = 0;
    if (!registry_read(name, &type, out, &size) || type != REG_TYPE_SZ)
        return false;
    return true;
}

bool settings_write_text(const char* name, const char* text)
{
    return registry_write(name, REG_TYPE_SZ, text, static_cast<uint32_t>(strlen(text) + 1));
}

void set_option_flags(uint32_t flags)
{
    current.fullscreen = (flags & SETTINGS_FULLSCREEN) != 0;
    current.antialias = (flags & SETTINGS_ANTIALIAS) != 0;
    current.vsync = (flags & SETTINGS_VSYNC) != 0;
    current.fast_voxels = (flags & SETTINGS_FAST_VOXELS) != 0;
    current.sound = (flags & SETTINGS_MUTE) == 0;
}

void set_volume_option(int volume)
{
    ASSERT(volume >= 0 && volume <= MAX_VOLUME);
    current.volume = volume;
}

uint32_t option_flags()
{
    return (current.fullscreen ? SETTINGS_FULLSCREEN : 0) | (current.antialias ? SETTINGS_ANTIALIAS : 0)
        | (current.vsync ? SETTINGS_VSYNC : 0) | (current.fast_voxels ? SETTINGS_FAST_VOXELS : 0)
        | (current.sound ? 0 : SETTINGS_MUTE);
}

bool store_options()
{
    return settings_write_dword("flags", option_flags())
        && settings_write_dword("volume", static_cast<uint32_t>(current.volume));
}
