// sound.h - the game's sound effects, synthesised at start-up and played
// through SDL2_mixer.
//
// sound_init opens the audio device and renders every effect once, on a
// thread while the game loads; until then, without a device, or when muted
// every call here does nothing and the game runs silently. The game only names the effect and, where it has a
// place on screen, its pan.
#pragma once

#include "synth.h"

enum SoundId {
    SOUND_SHOT,
    SOUND_HOLE,
    SOUND_ROBOT_HIT,
    SOUND_ROBOT_BURST,
    SOUND_HERO_HURT,
    SOUND_HERO_DEATH,
    SOUND_LANDING,
    SOUND_EXIT,
    SOUND_ELEVATOR,
    SOUND_BUTTON_HOVER,
    SOUND_BUTTON_PRESS,
    SOUND_GO,
    SOUND_GAME_OVER,
    SOUND_COUNT
};

enum {
    SOUND_RATE = 22050,  // samples a second, of the effects and of the device
    SOUND_CHANNELS = 32, // voices the mixer plays at once
    SOUND_MERGE_MS = 25, // the same effect started again within this is not started
    SOUND_FADE_MS = 60,  // stop_sound's fade-out
};

// The parameters of an effect.
const SynthEffect& sound_effect(SoundId id);

// Starts opening the device and rendering the effects at `volume` (0 to
// 100; 0 opens nothing). A missing device is logged once as
// "no sound: <reason>".
void sound_init(int volume);
// Changes the loudness at once (0 to 100; 0 is silence). When sound_init
// opened nothing (it was given 0), a volume above 0 starts the device as
// sound_init does.
void set_sound_volume(int volume);
void sound_shutdown();
// Waits for what sound_init started; whether the device opened.
bool sound_on();

// Starts the effect, panned from -1 (left) through 0 to 1 (right); true when
// a voice started. Not when sound is off or not ready yet, when every voice
// is busy, or when
// the same effect started less than SOUND_MERGE_MS ago (a burst of holes in
// one update is one sound, not a clipping roar).
bool play_sound(SoundId id, float pan = 0);
// Fades out every voice playing the effect (the elevator's hum when the ride ends).
void stop_sound(SoundId id);
