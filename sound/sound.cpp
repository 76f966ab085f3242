// sound.cpp - the effects on SDL2_mixer: one chunk per effect, rendered at
// start-up, played on a fixed set of voices.
//
// The device is opened at exactly SOUND_RATE, 16-bit stereo (SDL converts
// for hardware that differs), so the rendered buffers are the chunks' data
// as they stand. Opening the device (SDL may try several backends first) and
// rendering happen on a thread of their own while the game loads; until it
// is done the game's sounds are dropped, never waited for.
#include "sound.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <math.h>

#include <atomic>

#include "../core/log.h"
#include "../core/timer.h"
#include "../platform/platform.h"

enum { DEVICE_CHANNELS = 2, DEVICE_BUFFER = 512, FULL_VOLUME = 100 };
static const int64_t NEVER = INT64_MIN / 2; // long before any counter value, without overflow

// The starter thread writes open, pcm and chunks, then sets ready; the main
// thread reads them only once ready is set or the starter is joined.
static struct {
    SDL_Thread* starter;                // from sound_init until joined by sound_on or sound_shutdown
    std::atomic<bool> ready;            // the device open and the effects rendered; cleared by sound_shutdown
    bool open;                          // the device opened; cleared by sound_shutdown
    DynArray<int16_t> pcm[SOUND_COUNT]; // stereo; rendered by the starter, freed by sound_shutdown
    Mix_Chunk* chunks[SOUND_COUNT];     // borrow pcm; likewise
    int64_t lastStart[SOUND_COUNT];     // timer ticks of each effect's last start; NEVER from sound_init
    bool started;                       // sound_init started the device; cleared by sound_shutdown
    int volume;                         // 0 to FULL_VOLUME; set by sound_init and set_sound_volume
} mixer;

// Renders the effect and doubles it into left and right.
static Mix_Chunk* make_chunk(SoundId id)
{
    DynArray<int16_t> mono;
    synth_render(sound_effect(id), SOUND_RATE, &mono);
    DynArray<int16_t>& pcm = mixer.pcm[id];
    pcm.resize(mono.size() * DEVICE_CHANNELS);
    for (int i = 0; i < mono.size(); ++i)
        pcm[2 * i] = pcm[2 * i + 1] = mono[i];
    return Mix_QuickLoad_RAW(reinterpret_cast<Uint8*>(pcm.data()), static_cast<Uint32>(pcm.size() * 2));
}

// Opens the device; false, with the reason logged, when there is none.
static bool open_device()
{
    plat_quiet_sound_library();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        log_message("no sound: %s", SDL_GetError());
        return false;
    }
    if (Mix_OpenAudioDevice(SOUND_RATE, AUDIO_S16SYS, DEVICE_CHANNELS, DEVICE_BUFFER, nullptr, 0) != 0) {
        log_message("no sound: %s", Mix_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;
}

// The starter thread, below the loading main thread in priority so that on a
// busy machine the game's start-up does not wait for it. An SDL thread, so
// that SDL frees what it keeps for the thread when it ends.
static int start_sound(void*)
{
    SDL_SetThreadPriority(SDL_THREAD_PRIORITY_LOW);
    if (!open_device())
        return 0;
    mixer.open = true;
    Mix_AllocateChannels(SOUND_CHANNELS);
    Mix_MasterVolume(mixer.volume * MIX_MAX_VOLUME / FULL_VOLUME);
    for (int id = 0; id < SOUND_COUNT; ++id)
        mixer.chunks[id] = make_chunk(static_cast<SoundId>(id));
    mixer.ready.store(true, std::memory_order_release);
    return 0;
}

// Waits for the starter thread; only the main thread calls it.
static void join_starter()
{
    if (mixer.starter)
        SDL_WaitThread(mixer.starter, nullptr);
    mixer.starter = nullptr;
}

void sound_init(int volume)
{
    ASSERT(!mixer.starter && !mixer.open);
    ASSERT(volume >= 0 && volume <= FULL_VOLUME);
    mixer.volume = volume;
    if (volume == 0)
        return;
    mixer.started = true;
    for (int64_t& t : mixer.lastStart)
        t = NEVER;
#ifdef __EMSCRIPTEN__
    // A page has no threads: the mixer starts here, in the page's first
    // click or key press (Play), as the browser requires of audio.
    start_sound(nullptr);
    return;
#endif
    mixer.starter = SDL_CreateThread(start_sound, "sound", nullptr);
    if (!mixer.starter)
        log_message("no sound: %s", SDL_GetError());
}

void set_sound_volume(int volume)
{
    ASSERT(volume >= 0 && volume <= FULL_VOLUME);
    if (!mixer.started) {
        sound_init(volume);
        return;
    }
    // The starter reads the volume as it opens the device: once it is done
    // the mixer takes the new one.
    join_starter();
    mixer.volume = volume;
    if (mixer.open)
        Mix_MasterVolume(volume * MIX_MAX_VOLUME / FULL_VOLUME);
}

void sound_shutdown()
{
    join_starter();
    mixer.started = false;
    mixer.ready = false;
    if (!mixer.open)
        return;
    Mix_HaltChannel(-1);
    Mix_CloseAudio();
    for (int id = 0; id < SOUND_COUNT; ++id) {
        Mix_FreeChunk(mixer.chunks[id]);
        mixer.chunks[id] = nullptr;
        mixer.pcm[id].free_all();
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    mixer.open = false;
}

bool sound_on()
{
    join_starter();
    return mixer.open;
}

// The pan as left and right gains: the far side fades, the near one stays full.
static void set_pan(int channel, float pan)
{
    pan = fminf(1, fmaxf(-1, pan));
    auto gain = [](float g) { return static_cast<Uint8>(lrintf(255 * fminf(1, g))); };
    Mix_SetPanning(channel, gain(1 - pan), gain(1 + pan));
}

bool play_sound(SoundId id, float pan)
{
    ASSERT(id >= 0 && id < SOUND_COUNT);
    if (!mixer.ready.load(std::memory_order_acquire))
        return false;
    int64_t now = timer_now();
    if (now - mixer.lastStart[id] < SOUND_MERGE_MS * timer_frequency() / 1000)
        return false;
    int channel = Mix_GroupAvailable(-1);
    if (channel < 0)
        return false;
    set_pan(channel, pan);
    if (Mix_PlayChannel(channel, mixer.chunks[id], 0) < 0)
        return false;
    mixer.lastStart[id] = now;
    return true;
}

void stop_sound(SoundId id)
{
    ASSERT(id >= 0 && id < SOUND_COUNT);
    if (!mixer.ready.load(std::memory_order_acquire))
        return;
    for (int channel = 0; channel < SOUND_CHANNELS; ++channel)
        if (Mix_Playing(channel) && Mix_GetChunk(channel) == mixer.chunks[id])
            Mix_FadeOutChannel(channel, SOUND_FADE_MS);
}
