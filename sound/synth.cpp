// synth.cpp - the effects synthesiser.
//
// A square or saw layer runs its oscillator four times per output sample and
// averages (less aliasing from their edges; the triangle and the noise need
// no more than one), then a one-pole low-pass, a DC blocker, and last the
// envelope, so that a layer ends on exact silence whatever its filters hold.
#include "synth.h"

#include <math.h>

enum { OVERSAMPLING = 4, NOISE_STEPS_PER_CYCLE = 16 };
static const float PI = 3.14159265f;
static const float MIN_PITCH = 10, MAX_PITCH = 20000;
static const float MIN_CUTOFF = 20;
static const float DC_BLOCK = 0.995f; // the blocker's pole: about 35 Hz at 44.1 kHz
static const uint32_t NOISE_SEED = 0x9e3779b9u;

// The synthesiser's own noise (xorshift32): a value in [-1, 1).
static float next_noise(uint32_t* state)
{
    uint32_t x = *state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    *state = x;
    return static_cast<float>(x >> 8) * (2.0f / 16777216.0f) - 1;
}

static float layer_length(const SynthLayer& l)
{
    return l.delay + l.attack + l.sustain + l.decay;
}

float synth_length(const SynthEffect& effect)
{
    float length = 0;
    for (const SynthLayer& l : effect.layers)
        length = fmaxf(length, layer_length(l));
    return length;
}

// The level at t seconds after the attack started.
static float envelope(const SynthLayer& l, float t)
{
    if (t < l.attack)
        return t / l.attack;
    t -= l.attack;
    if (t < l.sustain)
        return 1 + l.punch * (1 - t / l.sustain);
    t -= l.sustain;
    if (t >= l.decay)
        return 0;
    float r = 1 - t / l.decay;
    return r * r;
}

// v within [lo, hi]; plain comparisons, which the loops below inline.
static float clamp(float v, float lo, float hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

// The pitch one sample later: slid, stopped at the slide's end, kept audible.
static float slide_pitch(const SynthLayer& l, float pitch, float step)
{
    pitch *= step;
    if (l.pitchEnd > 0 && (l.slide > 0 ? pitch > l.pitchEnd : pitch < l.pitchEnd))
        pitch = l.pitchEnd;
    return clamp(pitch, MIN_PITCH, MAX_PITCH);
}

struct Oscillator {
    double phase;      // in cycles, [0, 1)
    double noiseClock; // noise steps until the next value
    float noise;       // the noise value held
    uint32_t seed;
};

// One oversampled step of `cycles` of the wave.
static float oscillate(const SynthLayer& l, Oscillator& o, double cycles)
{
    o.phase += cycles;
    if (o.phase >= 1)
        o.phase -= floor(o.phase);
    float p = static_cast<float>(o.phase);
    switch (l.wave) {
    case WAVE_SQUARE:
        return p < (l.duty > 0 ? l.duty : 0.5f) ? 1.0f : -1.0f;
    case WAVE_SAW:
        return 2 * p - 1;
    case WAVE_TRIANGLE:
        return 4 * fabsf(p - 0.5f) - 1;
    case WAVE_NOISE:
        o.noiseClock += cycles * NOISE_STEPS_PER_CYCLE;
        if (o.noiseClock >= 1) {
            o.noiseClock -= floor(o.noiseClock);
            o.noise = next_noise(&o.seed);
        }
        return o.noise;
    }
    return 0;
}

// Adds the layer into sum[0, count).
static void add_layer(const SynthLayer& l, int rate, uint32_t seed, float* sum, int count)
{
    const int start = static_cast<int>(lrintf(l.delay * static_cast<float>(rate)));
    const int length = static_cast<int>(lrintf((l.attack + l.sustain + l.decay) * static_cast<float>(rate)));
    const float dt = 1.0f / static_cast<float>(rate);
    const float pitchStep = exp2f(l.slide * dt), cutoffStep = exp2f(l.lowPassSlide * dt);
    const int steps = l.wave == WAVE_SQUARE || l.wave == WAVE_SAW ? OVERSAMPLING : 1;
    Oscillator o = {0, 0, 0, seed};
    o.noise = next_noise(&o.seed);
    float pitch = clamp(l.pitch, MIN_PITCH, MAX_PITCH), cutoff = l.lowPass;
    float low = 0, dcIn = 0, dcOut = 0;
    for (int i = 0; i < length && start + i < count; ++i) {
        float t = static_cast<float>(i) * dt;
        float f = pitch;
        if (l.vibratoDepth != 0)
            f *= exp2f(l.vibratoDepth / 12 * sinf(2 * PI * l.vibratoRate * t));
        double cycles = static_cast<double>(f) * dt / steps;
        float v = 0;
        for (int k = 0; k < steps; ++k)
            v += oscillate(l, o, cycles);
        v /= static_cast<float>(steps);
        if (l.lowPass > 0) {
            float w = 2 * PI * cutoff * dt;
            low += w / (1 + w) * (v - low);
            v = low;
            cutoff = clamp(cutoff * cutoffStep, MIN_CUTOFF, MAX_PITCH);
        }
        dcOut = v - dcIn + DC_BLOCK * dcOut;
        dcIn = v;
        sum[start + i] += l.gain * envelope(l, t) * dcOut;
        pitch = slide_pitch(l, pitch, pitchStep);
    }
}

void synth_render(const SynthEffect& effect, int rate, DynArray<int16_t>* out)
{
    ASSERT(rate > 0);
    ASSERT(effect.level > 0 && effect.level <= SYNTH_HEADROOM);
    int count = static_cast<int>(lrintf(synth_length(effect) * static_cast<float>(rate)));
    DynArray<float> sum;
    sum.resize(count);
    for (int i = 0; i < SYNTH_MAX_LAYERS; ++i)
        add_layer(effect.layers[i], rate, NOISE_SEED * static_cast<uint32_t>(i + 1), sum.data(), count);
    float peak = 0;
    for (float v : sum)
        peak = fmaxf(peak, fabsf(v));
    float scale = peak > 0 ? effect.level * 32767 / peak : 0;
    out->resize(count);
    for (int i = 0; i < count; ++i)
        (*out)[i] = static_cast<int16_t>(lrintf(sum[i] * scale));
    sum.free_all();
}
