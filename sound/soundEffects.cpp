// soundEffects.cpp - the parameters of every effect the game plays.
//
// Kept as a table in code rather than a data file: a dozen numbers per
// layer, checked by the compiler, with no reader to harden and nothing to
// load at start-up. Each row is one layer; the columns are SynthLayer's:
//   wave, delay, attack, sustain, decay, punch,
//   pitch, slide, pitchEnd, vibratoDepth, vibratoRate, duty, lowPass, lowPassSlide, gain
// Pitches of notes: C4 262, E4 330, G4 392, C5 523, E5 659, G5 784, C6 1047.
#include "sound.h"

static const SynthEffect EFFECTS[SOUND_COUNT] = {
    // A short falling zap with a click on top.
    {"shot", 0.3f,
        {{WAVE_SQUARE, 0, 0.002f, 0.03f, 0.09f, 0.5f, 1200, -3.5f, 300, 0, 0, 0.25f, 6000, -2, 1},
            {WAVE_NOISE, 0, 0.001f, 0, 0.03f, 0, 3000, 0, 0, 0, 0, 0, 0, 0, 0.3f}}},
    // Rubble: dark noise closing down, over a low thud.
    {"hole", 0.4f,
        {{WAVE_NOISE, 0, 0.002f, 0.08f, 0.25f, 0.3f, 800, -2, 0, 0, 0, 0, 3000, -3, 1},
            {WAVE_SQUARE, 0, 0.002f, 0.02f, 0.15f, 0, 110, -2, 40, 0, 0, 0.5f, 800, 0, 0.35f}}},
    // A clank: two squares a non-harmonic 1.41 apart.
    {"robot hit", 0.35f,
        {{WAVE_SQUARE, 0, 0.001f, 0.02f, 0.06f, 0.5f, 600, -1, 0, 0, 0, 0.5f, 5000, 0, 1},
            {WAVE_SQUARE, 0, 0.001f, 0.01f, 0.05f, 0, 847, -1, 0, 0, 0, 0.3f, 5000, 0, 0.6f}}},
    // An explosion: a punchy noise burst closing down, a falling crunch under it.
    {"robot burst", 0.45f,
        {{WAVE_NOISE, 0, 0.003f, 0.08f, 0.45f, 0.8f, 1200, -1.5f, 0, 0, 0, 0, 5000, -2.5f, 1},
            {WAVE_SQUARE, 0, 0.003f, 0.05f, 0.2f, 0, 220, -3, 40, 0, 0, 0.5f, 2000, 0, 0.4f}}},
    // "Ouch": a wobbling falling square.
    {"hero hurt", 0.4f, {{WAVE_SQUARE, 0, 0.005f, 0.08f, 0.15f, 0.3f, 440, -2, 0, 2, 30, 0.5f, 3000, 0, 1}}},
    // A long burst with a sinking, wavering tone.
    {"hero death", 0.5f,
        {{WAVE_NOISE, 0, 0.005f, 0.2f, 0.9f, 1, 900, -1, 0, 0, 0, 0, 4000, -1.5f, 1},
            {WAVE_SQUARE, 0, 0.005f, 0.4f, 0.6f, 0, 330, -1.5f, 50, 1, 8, 0.5f, 2500, 0, 0.5f}}},
    // A soft thump of the feet.
    {"landing", 0.3f,
        {{WAVE_NOISE, 0, 0.002f, 0.01f, 0.08f, 0, 300, 0, 0, 0, 0, 0, 900, -3, 0.6f},
            {WAVE_TRIANGLE, 0, 0.002f, 0.01f, 0.08f, 0, 90, -2, 40, 0, 0, 0, 0, 0, 1}}},
    // A rising chime: C5 E5 G5 C6.
    {"exit", 0.35f,
        {{WAVE_SQUARE, 0, 0.003f, 0.04f, 0.2f, 0, 523, 0, 0, 0, 0, 0.5f, 5000, 0, 1},
            {WAVE_SQUARE, 0.07f, 0.003f, 0.04f, 0.2f, 0, 659, 0, 0, 0, 0, 0.5f, 5000, 0, 1},
            {WAVE_SQUARE, 0.14f, 0.003f, 0.04f, 0.2f, 0, 784, 0, 0, 0, 0, 0.5f, 5000, 0, 1},
            {WAVE_SQUARE, 0.21f, 0.003f, 0.06f, 0.25f, 0, 1047, 0, 0, 0, 0, 0.5f, 5000, 0, 1}}},
    // The rising hum of the whole ride (the longest ride is about 1.6 s; the
    // ride's end fades it out): a filtered saw an octave under a triangle,
    // both gliding up, the filter opening.
    {"elevator", 0.35f,
        {{WAVE_SAW, 0, 0.08f, 1.4f, 0.3f, 0, 55, 0.7f, 0, 0.3f, 6, 0, 500, 0.8f, 1},
            {WAVE_TRIANGLE, 0, 0.08f, 1.4f, 0.3f, 0, 110, 0.7f, 0, 0.3f, 6, 0, 0, 0, 0.6f}}},
    // A faint tick.
    {"button hover", 0.2f, {{WAVE_TRIANGLE, 0, 0.001f, 0.005f, 0.03f, 0, 1800, 0, 0, 0, 0, 0, 0, 0, 1}}},
    // A two-note blip.
    {"button press", 0.3f,
        {{WAVE_SQUARE, 0, 0.001f, 0.02f, 0.04f, 0, 700, 0, 0, 0, 0, 0.5f, 4000, 0, 1},
            {WAVE_SQUARE, 0.03f, 0.001f, 0.02f, 0.05f, 0, 1050, 0, 0, 0, 0, 0.5f, 4000, 0, 1}}},
    // A bright rising fanfare: G4 C5 G5, the last held and bending up.
    {"go", 0.4f,
        {{WAVE_SQUARE, 0, 0.003f, 0.04f, 0.08f, 0, 392, 0, 0, 0, 0, 0.25f, 5000, 0, 1},
            {WAVE_SQUARE, 0.06f, 0.003f, 0.04f, 0.08f, 0, 523, 0, 0, 0, 0, 0.25f, 5000, 0, 1},
            {WAVE_SQUARE, 0.12f, 0.003f, 0.15f, 0.3f, 0.3f, 784, 0.1f, 830, 0, 0, 0.25f, 5000, 0, 1}}},
    // A slow falling tune: G4 E4 C4, the last wavering over a low triangle;
    // it waits for the hero's death burst to lead.
    {"game over", 0.45f,
        {{WAVE_SQUARE, 0.3f, 0.005f, 0.15f, 0.1f, 0, 392, 0, 0, 0, 0, 0.5f, 2500, 0, 1},
            {WAVE_SQUARE, 0.55f, 0.005f, 0.15f, 0.1f, 0, 330, 0, 0, 0, 0, 0.5f, 2500, 0, 1},
            {WAVE_SQUARE, 0.8f, 0.005f, 0.3f, 0.7f, 0, 262, -0.2f, 0, 0.5f, 5, 0.5f, 2500, -1, 1},
            {WAVE_TRIANGLE, 0.8f, 0.005f, 0.3f, 0.7f, 0, 131, -0.2f, 0, 0, 0, 0, 0, 0, 0.6f}}},
};

const SynthEffect& sound_effect(SoundId id)
{
    ASSERT(id >= 0 && id < SOUND_COUNT);
    return EFFECTS[id];
}
