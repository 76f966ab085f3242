// sound.cpp - the effects on SDL2_mixer: one chunk per effect, rendered at
// start-up, played on a fixed set of voices.
//
// The device is opened at exactly SOUND_RATE, 16-bit stereo (SDL converts
// for hardware that differs), so the rendered buffers are the chunks' data
// as they stand. The effects are rendered on a thread of their own while the
// game loads; the first call that needs them waits for it.
#include "sound.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <math.h>

#include <thread>

#include "../core/log.h"
#include "../core/timer.h"

enum { DEVICE_CHANNELS = 2, DEVICE_BUFFER = 512, FULL_VOLUME = 100 };
static const int64_t NEVER = INT64_MIN / 2; // long before any counter value, without overflow

static struct {
    bool open;                          // from a successful sound_init to sound_shutdown
    DynArray<int16_t> pcm[SOUND_COUNT]; // stereo; rendered by sound_init, freed by sound_shutdown
    Mix_Chunk* chunks[SOUND_COUNT];     // borrow pcm; likewise
    std::thread renderer;               // fills pcm and chunks; joined by await_effects
    int64_t lastStart[SOUND_COUNT];     // timer ticks of each effect's last start; NEVER from sound_init
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

static void render_effects()
{
    for (int id = 0; id < SOUND_COUNT; ++id)
        mixer.chunks[id] = make_chunk(static_cast<SoundId>(id));
}

// Waits until the renderer thread has finished; only the main thread calls it.
static void await_effects()
{
    if (mixer.renderer.joinable())
        mixer.renderer.join();
}

void sound_init(int volume)
{
    ASSERT(!mixer.open);
    ASSERT(volume >= 0 && volume <= FULL_VOLUME);
    if (volume == 0 || !open_device())
        return;
    Mix_AllocateChannels(SOUND_CHANNELS);
    Mix_MasterVolume(volume * MIX_MAX_VOLUME / FULL_VOLUME);
    for (int64_t& t : mixer.lastStart)
        t = NEVER;
    mixer.renderer = std::thread(render_effects);
    mixer.open = true;
}

void sound_shutdown()
{
    if (!mixer.open)
        return;
    await_effects();
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
    if (!mixer.open)
        return false;
    await_effects();
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
    if (!mixer.open)
        return;
    await_effects();
    for (int channel = 0; channel < SOUND_CHANNELS; ++channel)
        if (Mix_Playing(channel) && Mix_GetChunk(channel) == mixer.chunks[id])
            Mix_FadeOutChannel(channel, SOUND_FADE_MS);
}
