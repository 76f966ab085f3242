// playback.cpp - where each update's input comes from and where it goes.
#include "playback.h"

#include <stdio.h>

#include "../core/input.h"
#include "../core/log.h"
#include "../core/random.h"
#include "gameHooks.h"
#include "recording.h"
#include "rulesVersion.h"
#include "updateInput.h"

// What the updates play: the player's (or a script's) input, a recording, or
// nothing more once a replay is over.
enum Source { FROM_PLAYER, FROM_RECORDING, REPLAY_OVER };

// Every field is set by start_playback.
static struct {
    Source source;
    uint64_t seed;
    float updateSeconds; // the recording's while one plays, else the caller's
    PathText replayFile; // empty when no recording plays
    PathText recordFile; // empty when none is made, or when it failed to begin
    int lastCheckpoint;  // the updates at the last checkpoint the replay matched
    bool failed;         // a replay parted or ended early, a recording failed
} playback;

static void log_state_hash()
{
    log_message("state hash: %016llx", static_cast<unsigned long long>(game_state_hash()));
}

// Ends the replay with how far it came and the state it left.
static void end_replay(const char* how)
{
    log_message("replay %s after %d of %d updates", how, replay_position(), replay_updates());
    log_state_hash();
    if (!replay_complete() && replay_position() == replay_updates()) {
        log_message("recording ends without its end record; replayed to update %d", replay_updates());
        playback.failed = true;
    }
    playback.source = REPLAY_OVER;
    close_replay();
}

// A recording that can't be played: none of it runs.
[[noreturn]] static void refuse_replay(const char* why)
{
    close_replay();
    playback.source = REPLAY_OVER;
    PathText shown;
    fatal_error("the recording '%s' %s", log_escaped(shown, playback.replayFile.s), why);
}

void start_playback(uint64_t seed, const char* record_file, const char* replay_file, float update_seconds)
{
    playback.source = FROM_PLAYER;
    playback.seed = seed;
    playback.updateSeconds = update_seconds;
    playback.lastCheckpoint = 0;
    playback.failed = false;
    copy_text(playback.replayFile, replay_file);
    playback.recordFile.s[0] = 0;
    if (replay_file) {
        LongText error;
        if (!load_replay(replay_file, error))
            fatal_error("%s", error.s);
        const RecordingHeader& h = replay_header();
        if (h.rulesVersion != RULES_VERSION) {
            ShortText why;
            refuse_replay(format_short(
                why, "was recorded with rules version %u, this game has %d", h.rulesVersion, RULES_VERSION));
        }
        playback.source = FROM_RECORDING;
        playback.seed = h.seed;
        playback.updateSeconds = h.updateSeconds;
        PathText shown;
        log_message("replaying '%s': %d updates", log_escaped(shown, replay_file), replay_updates());
    }
    // Each game logs the seed that plays it again as it begins (runStats.h).
    rng_seed(playback.seed);
    LongText why;
    PathText shown;
    if (record_file && !create_recording(record_file, why))
        fatal_error("can't record into '%s': %s", log_escaped(shown, record_file), why.s);
    copy_text(playback.recordFile, record_file);
}

// After `updates` updates of a replay: where the recording holds a
// checkpoint, the state must be the recorded one. A replay that parts from
// its recording stops there.
static void check_replay(int updates)
{
    uint64_t recorded;
    if (!replay_checkpoint(updates, &recorded))
        return;
    uint64_t state = game_state_hash();
    if (state == recorded) {
        playback.lastCheckpoint = updates;
        return;
    }
    unsigned long long s = state, r = recorded;
    if (updates == 0)
        log_message("replay diverged at its start (state %016llx, recorded %016llx)", s, r);
    else
        log_message("replay diverged between updates %d and %d (state %016llx, recorded %016llx)",
            playback.lastCheckpoint, updates, s, r);
    playback.failed = true;
    end_replay("stopped");
}

void begin_playback()
{
    if (playback.source == FROM_RECORDING) {
        if (replay_header().dataHash != game_data_hash())
            refuse_replay("was recorded with other level data");
        check_replay(0);
    }
    if (recording() && !begin_recording(playback.seed, playback.updateSeconds)) {
        playback.recordFile.s[0] = 0; // nothing recorded, nothing more to say at shutdown
        fatal_error("%s", recording_failure());
    }
}

float playback_update_seconds(float loop_seconds)
{
    return playback.source == FROM_PLAYER ? loop_seconds : playback.updateSeconds;
}

bool play_update(float seconds)
{
    if (playback.source == REPLAY_OVER)
        return false;
    if (playback.source == FROM_RECORDING) {
        if (window_active() && key_pressed(VK_ESCAPE)) {
            end_replay("stopped by the player");
            return false;
        }
        if (!replay_next(scripted_update_input())) {
            end_replay("ended");
            return false;
        }
    }
    game_update(seconds);
    record_update(update_input());
    if (playback.source == FROM_RECORDING)
        check_replay(replay_position());
    return true;
}

bool finish_playback()
{
    if (playback.source == FROM_RECORDING)
        end_replay("stopped");
    if (playback.recordFile.s[0]) {
        int updates;
        if (finish_recording(&updates)) {
            PathText shown;
            log_message("recorded %d updates into '%s'", updates, log_escaped(shown, playback.recordFile.s));
            log_state_hash();
        } else {
            log_message(
                "recording failed: %s; the file holds the first %d updates", recording_failure(), updates);
            playback.failed = true;
        }
        playback.recordFile.s[0] = 0;
    }
    return !playback.failed;
}

bool playback_failed()
{
    return playback.failed;
}

bool playback_fixed()
{
    return playback.source != FROM_PLAYER || recording();
}
