// fakeSound.cpp - play_sound and stop_sound recorded instead of heard.
#include "fakeSound.h"

FakeSound fake_sound;

bool play_sound(SoundId id, float)
{
    fake_sound.played.push_back(id);
    return true;
}

void stop_sound(SoundId id)
{
    fake_sound.stopped.push_back(id);
}

void set_sound_volume(int volume)
{
    fake_sound.volume = volume;
}
