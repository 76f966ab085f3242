// recording.h - recordings of games and the hash of the game's state.
//
// A recording holds the seed a game started from, the length of its update
// and every update's input (updateInput.h), so playing it back from a fresh
// start gives the same game. The file, all numbers little-endian:
//   "TWRECORD", version (u32), seed (u64), update seconds (f32 bits, u32);
//   per update 'U', the down, pressed and released key sets (u16 each), the
//   aim point (two f32), the viewer's offset (two i16), the woken robots
//   (u16 count, u16 each) and the commands (u16 count, i32 each);
//   'E', the number of updates (u32) and the CRC-32 of every byte before it.
// A file that is damaged, cut short or of another version is refused whole
// before the game starts.
#pragma once

#include <stdint.h>

#include "../libs/inc/misc/zu_utils.h"
#include "updateInput.h"

enum { RECORDING_VERSION = 1 };

// A hash of the game's state: the level grid, the hero, the robots, the
// shots, the level number, the points and the upgrades, the mode and the
// random generator. Two runs that played the same game end with one hash.
uint64_t game_state_hash();

// Starts writing a recording of a game from `seed`; false (logged) when the
// file can't be made.
bool start_recording(const char* file, uint64_t seed, float update_seconds);
bool recording();
// Appends one update's input. A write failure is logged and ends the
// recording; the game goes on.
void record_update(const UpdateInput& in);
// Writes the end of the recording and closes it; returns the number of
// updates it holds (0 when none was open).
int finish_recording();

// Reads a whole recording and checks it; false, with the reason in `error`,
// when it can't be read or is damaged, truncated or of another version.
bool load_replay(const char* file, LongText& error);
uint64_t replay_seed();
float replay_update_seconds();
int replay_updates();
// Updates played back so far.
int replay_position();
// Fills the next update's input from the recording; false after the last.
bool replay_next(UpdateInput& in);
void close_replay();
