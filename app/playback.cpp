// playback.cpp - where the game's input comes from: the player, whose updates
// may be recorded, or a recording played back.
#include "playback.h"

#include "../core/input.h"
#include "../core/log.h"
#include "../core/random.h"
#include "../core/settings.h"
#include "../core/timer.h"
#include "../game/recording.h"
#include "../game/updateInput.h"
#include "mainLoop.h"

static struct {
    bool replaying; // from start_playback until the recording ends or is stopped
    const char* recordFile;
} playback;

static void log_state_hash()
{
    log_message("state hash: %016llx", static_cast<unsigned long long>(game_state_hash()));
}

void start_playback(const Settings& s)
{
    uint64_t seed = s.seed_given ? s.seed : static_cast<uint64_t>(timer_now());
    if (s.replay_file) {
        LongText error;
        if (!load_replay(s.replay_file, error))
            fatal_error("%s", error.s);
        seed = replay_seed();
        playback.replaying = true;
        log_message("replaying '%s': %d updates", s.replay_file, replay_updates());
    }
    rng_seed(seed);
    log_message("random seed: %llu", static_cast<unsigned long long>(seed));
    if (s.record_file && !start_recording(s.record_file, seed, update_seconds()))
        fatal_error("can't record into '%s'", s.record_file);
    playback.recordFile = s.record_file;
}

float playback_update_seconds(float loop_seconds)
{
    return playback.replaying ? replay_update_seconds() : loop_seconds;
}

// Ends the playback with how far it came and the state it left.
static void end_replay(const char* how)
{
    log_message("replay %s after %d of %d updates", how, replay_position(), replay_updates());
    log_state_hash();
    playback.replaying = false;
    close_replay();
}

bool before_update()
{
    if (!playback.replaying)
        return true;
    if (window_active() && key_pressed(VK_ESCAPE)) {
        end_replay("stopped by the player");
        return false;
    }
    if (!replay_next(scripted_update_input())) {
        end_replay("ended");
        return false;
    }
    return true;
}

void after_update()
{
    record_update(update_input());
}

void finish_playback()
{
    if (playback.replaying)
        end_replay("stopped");
    if (!recording())
        return;
    int updates = finish_recording();
    log_message("recorded %d updates into '%s'", updates, playback.recordFile);
    log_state_hash();
}
