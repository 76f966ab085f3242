// recording.h - recordings of games, and the hashes that tie a recording to
// the game that made it.
//
// A recording (its bytes: recordingFormat.h) names the rules version and the
// data of the game that made it, and holds the state hash every
// RECORDING_CHECKPOINT_UPDATES updates and at its end, so that playing it
// back can tell at once where it parts from the game that made it. Playing
// back and checking are playback.h's; this file writes and reads.
#pragma once

#include <stdint.h>

#include "../libs/inc/misc/zu_utils.h"
#include "recordingFormat.h"
#include "updateInput.h"

enum { RECORDING_CHECKPOINT_UPDATES = 100 };

// A hash of everything that decides the game's later updates: the level
// grid, the hero with its camera, the robots, the shots, the debris, the
// level number, the points and the upgrades, the mode with the state each
// mode keeps, and the random generator. Two runs that played the same game
// have one hash after every update.
uint64_t game_state_hash();

// A hash of the data the game's levels and collisions are made of: the tile
// library and the palette as loaded, and the creatures' collision boxes.
uint64_t game_data_hash();

// Creates the file of a new recording; false, with the system's reason in
// `why`, when it can't be made. Nothing is written yet.
bool create_recording(const char* file, LongText& why);
// Writes the header and the first checkpoint (the state before any update)
// and hands them to the system; false, the recording ended, when they can't
// be written (recording_failure says why).
bool begin_recording(uint64_t seed, float update_seconds);
// Whether a recording is being written.
bool recording();
// Appends one update's input, and the state after it at every checkpoint,
// which goes on to the system at once. A failed write ends the recording and
// is logged; the game goes on.
void record_update(const UpdateInput& in);
// Writes the end record and closes the file. False when the recording could
// not be written whole, now or before; *updates is what the file holds: all
// the updates, or those up to the last checkpoint that was written.
bool finish_recording(int* updates);
// Why the recording failed ("can't write 'FILE': No space left on device");
// empty while nothing failed.
const char* recording_failure();

// Reads a whole recording and checks its format; false, with the reason in
// `error`, when it can't be read or is not a recording of this format
// version, is damaged, or ends before its first checkpoint.
bool load_replay(const char* file, LongText& error);
const RecordingHeader& replay_header();
// Whether the recording ends with its end record (else it plays up to its
// last checkpoint).
bool replay_complete();
// The updates that can be played, and those played so far.
int replay_updates();
int replay_position();
// Fills the next update's input from the recording; false after the last.
bool replay_next(UpdateInput& in);
// The checkpoint after `updates` updates, if the recording holds one.
bool replay_checkpoint(int updates, uint64_t* state_hash);
void close_replay();
