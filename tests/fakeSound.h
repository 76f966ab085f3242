// fakeSound.h - a recording stand-in for the game's sound calls.
#pragma once

#include <vector>

#include "sound/sound.h"

struct FakeSound {
    std::vector<SoundId> played; // in the order play_sound was called
    std::vector<SoundId> stopped;
};
extern FakeSound fake_sound;
