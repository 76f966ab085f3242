// fakeSound.h - a recording stand-in for the game's sound calls.
#pragma once

#include <vector>

#include "sound/sound.h"

struct FakeSound {
    std::vector<SoundId> played; // in the order play_sound was called
    std::vector<SoundId> stopped;
    int volume = -1; // as set_sound_volume left it; -1 before any call
};
extern FakeSound fake_sound;
