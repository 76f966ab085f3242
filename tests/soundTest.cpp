// The synthesised effects, rendered and measured (each is also written as
// build/tests/sounds/NAME.wav to listen to and NAME.png, its waveform, to
// look at), and the mixer on SDL's silent driver.
#include <SDL.h>
#include <gtest/gtest.h>
#include <math.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "core/log.h"
#include "core/random.h"
#include "core/timer.h"
#include "deathTest.h"
#include "fakePlatform.h"
#include "pngWriter.h"
#include "sound/sound.h"

static const float FULL_SCALE = 32767;

// A mono 16-bit WAV file.
static void write_wav(const std::string& path, const DynArray<int16_t>& pcm, int rate)
{
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_TRUE(f) << path;
    auto u32 = [f](uint32_t v) { fwrite(&v, 4, 1, f); };
    auto u16 = [f](uint16_t v) { fwrite(&v, 2, 1, f); };
    uint32_t bytes = static_cast<uint32_t>(pcm.size()) * 2;
    fwrite("RIFF", 1, 4, f);
    u32(36 + bytes);
    fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);
    u16(1);
    u32(static_cast<uint32_t>(rate));
    u32(static_cast<uint32_t>(rate) * 2);
    u16(2);
    u16(16);
    fwrite("data", 1, 4, f);
    u32(bytes);
    fwrite(pcm.data(), 2, static_cast<size_t>(pcm.size()), f);
    fclose(f);
}

// The waveform, each column spanning its samples' lowest to highest value,
// between lines at the headroom.
static void write_waveform(const std::string& path, const DynArray<int16_t>& pcm)
{
    const int w = 800, h = 160, mid = h / 2;
    std::vector<uint32_t> pixels(w * h, 0xff000000);
    int limit = mid - static_cast<int>(lrintf(SYNTH_HEADROOM * mid));
    for (int x = 0; x < w; ++x) {
        pixels[mid * w + x] = pixels[limit * w + x] = pixels[(h - limit) * w + x] = 0xff505050;
        int from = pcm.size() * x / w, to = std::max(from + 1, pcm.size() * (x + 1) / w);
        int lo = 0, hi = 0;
        for (int i = from; i < to && i < pcm.size(); ++i) {
            lo = std::min<int>(lo, pcm[i]);
            hi = std::max<int>(hi, pcm[i]);
        }
        for (int y = mid - hi * mid / 32768; y <= mid - lo * mid / 32768; ++y)
            pixels[y * w + x] = 0xff40ff40;
    }
    EXPECT_TRUE(write_test_png(path, rgba_png(w, h, pixels, 0, 0, 0))) << path;
}

// The largest magnitude in [from, to).
static float peak(const DynArray<int16_t>& pcm, int from, int to)
{
    float p = 0;
    for (int i = from; i < to; ++i)
        p = fmaxf(p, fabsf(pcm[i]));
    return p;
}

TEST(SoundEffects, EveryEffectIsAudibleWithinTheHeadroomAndEndsWithoutAClick)
{
    std::string dir = std::string(TARNWICK_TEST_DIR) + "/sounds";
    mkdir(dir.c_str(), 0755);
    const int ms = SOUND_RATE / 1000;
    for (int id = 0; id < SOUND_COUNT; ++id) {
        const SynthEffect& e = sound_effect(static_cast<SoundId>(id));
        SCOPED_TRACE(e.name);
        DynArray<int16_t> pcm;
        synth_render(e, SOUND_RATE, &pcm);
        write_wav(dir + "/" + e.name + ".wav", pcm, SOUND_RATE);
        write_waveform(dir + "/" + e.name + ".png", pcm);
        int n = pcm.size();
        EXPECT_EQ(n, lrintf(synth_length(e) * SOUND_RATE));
        EXPECT_GE(n, 30 * ms);
        EXPECT_LE(n, 2000 * ms);
        double sum = 0, squares = 0;
        for (int16_t v : pcm) {
            sum += v;
            squares += static_cast<double>(v) * v;
        }
        // Its loudest sample at its level, within the headroom, and sound
        // throughout rather than one spike.
        EXPECT_LE(peak(pcm, 0, n), SYNTH_HEADROOM * FULL_SCALE + 1);
        EXPECT_NEAR(peak(pcm, 0, n), e.level * FULL_SCALE, 1);
        EXPECT_GT(sqrt(squares / n), 0.1 * e.level * FULL_SCALE);
        EXPECT_LT(fabs(sum / n), 0.01 * FULL_SCALE) << "a DC offset";
        // No click: it starts from silence and its last millisecond stays near it.
        EXPECT_EQ(pcm[0], 0);
        EXPECT_LT(peak(pcm, n - ms, n), 0.01f * FULL_SCALE);
        EXPECT_EQ(pcm[n - 1], 0);
    }
    // The elevator's hum lasts the longest ride (255 voxels at up to ten an
    // update: 31 updates, 1.55 s).
    EXPECT_GE(synth_length(sound_effect(SOUND_ELEVATOR)), 1.6f);
}

// Sign changes of a square in [from, to): two per cycle.
static int crossings(const DynArray<int16_t>& pcm, int from, int to)
{
    int count = 0;
    for (int i = from + 1; i < to; ++i)
        count += (pcm[i - 1] < 0) != (pcm[i] < 0);
    return count;
}

TEST(SoundEffects, PitchSlideAndFilterDoWhatTheParametersSay)
{
    // A second of square at 220 Hz rising one octave a second.
    SynthEffect rising
        = {"rising", 0.5f, {{WAVE_SQUARE, 0, 0.01f, 0.98f, 0.01f, 0, 220, 1, 0, 0, 0, 0.5f, 0, 0, 1}}};
    DynArray<int16_t> pcm;
    synth_render(rising, SOUND_RATE, &pcm);
    // Cycles between a and b seconds: the integral of 220 * 2^t.
    auto cycles = [](double a, double b) { return 220 / log(2.0) * (exp2(b) - exp2(a)); };
    int tenth = SOUND_RATE / 10;
    EXPECT_NEAR(crossings(pcm, tenth / 2, tenth + tenth / 2), 2 * cycles(0.05, 0.15), 2);
    EXPECT_NEAR(crossings(pcm, 8 * tenth + tenth / 2, 9 * tenth + tenth / 2), 2 * cycles(0.85, 0.95), 2);

    // The slide stops at its end.
    rising.layers[0].pitchEnd = 330;
    synth_render(rising, SOUND_RATE, &pcm);
    EXPECT_NEAR(crossings(pcm, 8 * tenth, 9 * tenth), 2 * 33, 3);

    // A low-pass at 300 Hz leaves a noise's sample-to-sample steps far smaller.
    SynthEffect noise
        = {"noise", 0.5f, {{WAVE_NOISE, 0, 0.01f, 0.2f, 0.01f, 0, 4000, 0, 0, 0, 0, 0, 0, 0, 1}}};
    DynArray<int16_t> open, closed;
    synth_render(noise, SOUND_RATE, &open);
    noise.layers[0].lowPass = 300;
    synth_render(noise, SOUND_RATE, &closed);
    auto roughness = [](const DynArray<int16_t>& p) {
        double s = 0;
        for (int i = 1; i < p.size(); ++i)
            s += fabs(static_cast<double>(p[i]) - p[i - 1]);
        return s / p.size();
    };
    EXPECT_LT(roughness(closed), roughness(open) / 4);
}

TEST(SoundEffects, RenderingRepeatsExactlyAndDrawsNoGameRandomNumbers)
{
    rng_seed(7);
    uint64_t state = rng_state();
    for (int id = 0; id < SOUND_COUNT; ++id) {
        DynArray<int16_t> a, b;
        synth_render(sound_effect(static_cast<SoundId>(id)), SOUND_RATE, &a);
        synth_render(sound_effect(static_cast<SoundId>(id)), SOUND_RATE, &b);
        ASSERT_EQ(a.size(), b.size());
        EXPECT_EQ(memcmp(a.data(), b.data(), 2 * static_cast<size_t>(a.size())), 0) << id;
    }
    EXPECT_EQ(rng_state(), state);
}

TEST(SoundMixer, OnTheSilentDriverEffectsPlayAndARepeatWithinTheMergeTimeIsOne)
{
    fake.counter = 1000;
    timer_init();
    rng_seed(7);
    uint64_t state = rng_state();
    testing::internal::CaptureStdout();
    sound_init(80);
    bool on = sound_on();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_TRUE(on);
    EXPECT_TRUE(play_sound(SOUND_SHOT, -1));
    EXPECT_FALSE(play_sound(SOUND_SHOT, 1));
    EXPECT_TRUE(play_sound(SOUND_HOLE, 0.3f));
    EXPECT_TRUE(play_sound(SOUND_ELEVATOR));
    stop_sound(SOUND_ELEVATOR);
    fake.counter += SOUND_MERGE_MS - 1;
    EXPECT_FALSE(play_sound(SOUND_SHOT));
    fake.counter += 1;
    EXPECT_TRUE(play_sound(SOUND_SHOT, 5)); // a pan beyond the edge is the edge
    sound_shutdown();
    EXPECT_FALSE(sound_on());
    EXPECT_FALSE(play_sound(SOUND_SHOT));
    EXPECT_EQ(rng_state(), state);
}

TEST(SoundMixer, MutedOrWithoutADeviceEverythingIsSilentAfterOneLine)
{
    timer_init();
    testing::internal::CaptureStdout();
    sound_init(0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(sound_on());
    EXPECT_FALSE(play_sound(SOUND_GO));

    std::string driver = getenv("SDL_AUDIODRIVER") ? getenv("SDL_AUDIODRIVER") : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStdout();
    sound_init(80);
    EXPECT_FALSE(sound_on());
    std::string log = testing::internal::GetCapturedStdout();
    setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
    EXPECT_EQ(log.rfind("no sound: ", 0), 0u) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_FALSE(play_sound(SOUND_GO));
    stop_sound(SOUND_ELEVATOR);
    sound_shutdown();
}

// SDL's allocator, ending the process through fatal_error when called on the
// sound's starter thread (the thread's name, which SDL gives it, is all a test
// can tell it by).
static void fail_on_starter()
{
    char name[16] = "";
    pthread_getname_np(pthread_self(), name, sizeof name);
    if (strcmp(name, "sound") == 0)
        fatal_error("no memory for the sound");
}

static void* malloc_failing_on_starter(size_t size)
{
    fail_on_starter();
    return malloc(size);
}

static void* calloc_failing_on_starter(size_t n, size_t size)
{
    fail_on_starter();
    return calloc(n, size);
}

static void* realloc_failing_on_starter(void* p, size_t size)
{
    fail_on_starter();
    return realloc(p, size);
}

// A fatal error on the starter thread, while the main thread waits for it,
// ends the process with its report and code 100 and runs no shutdown there
// (the test's would log a line); the alarm turns a hang into a failure.
TEST(SoundMixerDeathTest, AFatalErrorOnTheStarterThreadReportsAndExitsWith100)
{
    EXPECT_FATAL(
        {
            alarm(10);
            SDL_SetMemoryFunctions(
                malloc_failing_on_starter, calloc_failing_on_starter, realloc_failing_on_starter, free);
            sound_init(80);
            sound_on();
        },
        "\n\nno memory for the sound\nERROR: no memory for the sound\n$");
}
