// playback.h - where the game's input comes from: the player, whose updates
// may be recorded, or a recording played back.
//
// The seed is chosen here too: a recording's, the -seed switch's or the
// counter's, and logged as "random seed: %llu". A game that records or plays
// back logs "state hash: %016llx" when its last update ran, so that the two
// can be compared.
#pragma once

struct Settings;

// Seeds the random generator and opens the recording to write or to play as
// the settings ask; a recording that can't be made or played is fatal.
void start_playback(const Settings& s);
// The length of every update: the recording's while one plays, else the
// main loop's period.
float playback_update_seconds(float loop_seconds);
// Before an update: a recording being played fills the update's input, and
// Escape (pressed while the window is active) stops it. False when no update
// should run: the recording has ended or was stopped.
bool before_update();
// After an update: a recording being made takes its input.
void after_update();
// At shutdown: closes the recording being made or played, with the hash.
void finish_playback();
