// synth.h - the effects synthesiser: layered oscillators with an envelope,
// pitch slide, vibrato and a sweeping low-pass, rendered once into PCM.
//
// An effect is a few layers summed and scaled so that its loudest sample
// sits at the effect's level. Rendering is deterministic: the noise comes
// from the synthesiser's own generator, seeded per layer, never from the
// game's random numbers.
#pragma once

#include <stdint.h>

#include "../libs/inc/cont/zu_dynArray.h"

enum SynthWave { WAVE_SQUARE, WAVE_SAW, WAVE_TRIANGLE, WAVE_NOISE };

enum { SYNTH_MAX_LAYERS = 4 };

// No effect's loudest sample goes beyond this share of full scale, so that a
// few effects at once stay clear of clipping in the mixer.
static const float SYNTH_HEADROOM = 0.5f;

// One voice. Times are in seconds, the pitch in Hz; a layer whose wave is
// unused (sustain and decay both 0) is silent.
struct SynthLayer {
    SynthWave wave;
    float delay;        // silence before the attack
    float attack;       // linear rise to full level
    float sustain;      // hold at full level (plus punch)
    float decay;        // fall to silence along a square curve
    float punch;        // extra level at the start of the hold, gone by its end
    float pitch;        // at the attack's start
    float slide;        // octaves per second, negative falls
    float pitchEnd;     // the slide stops at this pitch (0: slides on)
    float vibratoDepth; // semitones
    float vibratoRate;  // Hz
    float duty;         // the square's high share of a cycle
    float lowPass;      // cutoff in Hz (0: no filter)
    float lowPassSlide; // octaves per second the cutoff moves
    float gain;         // the layer's share in the sum
};

struct SynthEffect {
    const char* name;
    float level; // the loudest sample as a share of full scale, at most SYNTH_HEADROOM
    SynthLayer layers[SYNTH_MAX_LAYERS];
};

// The effect's length in seconds: its longest layer, delay included.
float synth_length(const SynthEffect& effect);

// Renders the effect at `rate` samples a second into `out` (mono, resized
// to the effect's length) with its loudest sample at its level.
void synth_render(const SynthEffect& effect, int rate, DynArray<int16_t>* out);
