// settings.h - display and sound options from the settings store and the
// command line.
//
// The store holds "flags": bit 0 fullscreen, bit 1 antialias, bit 2 vsync,
// bit 3 fast_voxels, bit 4 mute (set: no sound); and "volume", 0 to 100.
// Command-line switches override them. Three switches take a value from the
// next argument and live for one run only: "-seed N" (the game's seed),
// "-record FILE" and "-replay FILE"; "-daily" (the seed of the day) also
// lives for one run.
#pragma once

#include <stdint.h>

enum {
    SETTINGS_FULLSCREEN = 1,
    SETTINGS_ANTIALIAS = 2,
    SETTINGS_VSYNC = 4,
    SETTINGS_FAST_VOXELS = 8,
    SETTINGS_MUTE = 16,
};

enum { DEFAULT_VOLUME = 80, MAX_VOLUME = 100 };

struct Settings {
    bool fullscreen = false;
    bool antialias = false;
    bool vsync = true;
    bool fast_voxels = false;
    bool sound = true;
    int volume = DEFAULT_VOLUME; // 0 to MAX_VOLUME
    int window_width = 0;        // 0: not given, the maximised client size decides
    int window_height = 0;
    bool seed_given = false; // -seed: the game starts from seed instead of the counter
    uint64_t seed = 0;
    bool daily = false; // -daily: the first game starts from the seed of today's UTC date (core/daily.h)
    const char* record_file = nullptr; // -record, -replay: arguments of the command line
    const char* replay_file = nullptr;
};

// Fills the settings from "flags" and "volume" and then from the arguments
// after argv[0], which must outlive the settings; a stored volume above
// MAX_VOLUME is logged and taken as MAX_VOLUME. A value switch without a
// valid value, or switches that exclude each other, are fatal errors.
void read_settings(int argc, const char* const* argv);
const Settings& settings();

// A 4-byte DWORD value of the store; false unless it exists with that type.
bool settings_read_dword(const char* name, uint32_t* out);
bool settings_write_dword(const char* name, uint32_t value);
// A text value of the store, at most size - 1 characters; false unless it
// exists with that type and fits.
bool settings_read_text(const char* name, char* out, uint32_t size);
bool settings_write_text(const char* name, const char* text);

// The options the player changes while the game runs (the pause menu): each
// takes effect for this run at once; the callers apply what follows from it
// (the device, the sound).
void set_option_flags(uint32_t flags);
void set_volume_option(int volume);
// The current options as the store's "flags" bits.
uint32_t option_flags();
// Writes the current options whole, "flags" and "volume", so that the
// launcher and the next run see what this run shows. False when a write
// failed; registry_last_error says why.
bool store_options();
