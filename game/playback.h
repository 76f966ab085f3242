// playback.h - where each update's input comes from and where it goes: the
// player, or a program that plays the game, or a recording played back; and
// a recording being made.
//
// The game program and the programs that play it headless run every update
// through play_update, so that what one records the other plays back. The
// seed is chosen here: a recording's, else the caller's; each game logs its
// own as it begins. A replay compares the game's state with the recording's at
// every checkpoint and stops where they part; a game that records or plays
// back logs "state hash: %016llx" after its last update.
#pragma once

#include <stdint.h>

// Before the game starts: seeds the random generator and opens the
// recordings asked for. `replay_file` (may be null) plays a recording, whose
// seed and update length then win over `seed`; `record_file` (may be null)
// records the game into a new file. Fatal when the recording to play can't be
// read, is damaged or was made under other rules, and when the recording to
// make can't be created.
void start_playback(uint64_t seed, const char* record_file, const char* replay_file, float update_seconds);
// Once the game has started (its data loaded, the first level made): the
// recording played must have been made from the same level data and start
// from the same state (fatal otherwise), and the recording made gets its
// header and its first checkpoint (fatal when they can't be written).
void begin_playback();
// The length of every update: the recording's while one plays, else the
// caller's (the main loop's period).
float playback_update_seconds(float loop_seconds);
// One update (game_update) with its input: from the recording being played
// (Escape, pressed while the window is active, stops it), else from a script
// that filled scripted_update_input, else from the player. The recording
// being made takes the input; the one being played checks the state at its
// checkpoints. False, running no update, once a replay has ended, parted from
// its recording or been stopped.
bool play_update(float seconds);
// At the end of a game (shutdown): closes the recording being played or
// made, logging how far it came and the state hash. False when what was asked
// did not happen whole (also when it went wrong before): a recording that
// failed to be written, a replay that parted from its recording or whose
// recording ends without its end record.
bool finish_playback();
// What the last finish_playback said, for the program's exit code.
bool playback_failed();
// A recording plays or is being made: the game must change only through the
// updates' input, so nothing outside them (the pause menu's New game) may
// start a game.
bool playback_fixed();
