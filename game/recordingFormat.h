// recordingFormat.h - the bytes of a recording file: written, read and checked.
//
// A recording holds what one game needs to be played again from a fresh
// start: which game made it (its rules version and a hash of the data its
// levels are made of), its seed, the length of its updates and every
// update's input, with the hash of the game's state at checkpoints. All
// numbers are little-endian:
//   header: "TWRECORD", format version (u32), rules version (u32), data hash
//     (u64), seed (u64), update seconds (f32 bits);
//   'U', one update: the down, pressed and released key sets (u16 each), the
//     aim point (two f32), the viewer's offset (two i16), the woken robots
//     (u16 count, u16 each) and the commands (u16 count, i32 each);
//   'C', a checkpoint: the number of updates before it (u32), the state hash
//     after them (u64) and the CRC-32 of every byte of the file before this
//     CRC (u32);
//   'E', the end: as a checkpoint, and the last record of the file.
// The writer hands its bytes to the file at every checkpoint, so a game that
// never wrote its end (a crash, a kill) leaves a file whose checkpoints are
// whole and checked: it plays back up to the last of them.
//
// Nothing here knows the game: this is the file format alone, so that its
// reader can be fuzzed on its own.
#pragma once

#include <stdint.h>

#include "../libs/inc/cont/zu_dynArray.h"
#include "../libs/inc/misc/zu_utils.h"
#include "updateInput.h"

enum {
    RECORDING_FORMAT_VERSION = 2,
    RECORDING_HEADER_BYTES = 8 + 4 + 4 + 8 + 8 + 4,
    MAX_RECORDING_BYTES = 1 << 28, // some 150 hours of play
};

struct RecordingHeader {
    uint32_t rulesVersion; // RULES_VERSION of the game that made it
    uint64_t dataHash;     // game_data_hash of the game that made it
    uint64_t seed;
    float updateSeconds; // the length of every update
};

struct RecordingCheckpoint {
    int32_t updates;    // updates played before it
    uint64_t stateHash; // game_state_hash after them
    int32_t at;         // where its record starts in the file (filled by the reader)
};

// Bytes on their way into a file: `pending` not yet handed to it, `crc` the
// CRC-32 of every byte handed to it before them.
struct RecordingBytes {
    DynArray<uint8_t> pending;
    uint32_t crc;
};

// Starts a new file in `out`: its header.
void put_recording_header(RecordingBytes& out, const RecordingHeader& header);
void put_update_record(RecordingBytes& out, const UpdateInput& in);
// A checkpoint after `updates` updates, or the end record when `end` is set.
void put_checkpoint_record(RecordingBytes& out, int updates, uint64_t state_hash, bool end);
// The pending bytes reached the file: they count into the CRC and are dropped.
void pending_bytes_written(RecordingBytes& out);

// What a checked recording holds.
struct RecordingContents {
    RecordingHeader header;
    DynArray<RecordingCheckpoint> checkpoints; // in file order; the end record is the last when complete
    int updates;     // the updates that can be played: all, or those up to the last checkpoint
    int firstRecord; // the offset of the first record after the header
    int playableEnd; // the offset after the last record that may be played
    bool complete;   // the file ends with its end record
};

// Checks a whole recording in memory. False, with why the recording can't be
// played in `why` (a phrase such as "is truncated" or "is damaged (...)"),
// when it is not a recording, is of another format version, is damaged, or
// ends before its first checkpoint. A recording that ends after a checkpoint
// without its end record is taken, with `complete` false, up to the last
// checkpoint.
bool parse_recording(const uint8_t* bytes, int size, RecordingContents& out, LongText& why);

// Reads the next update of a checked recording from *at (skipping
// checkpoints) into `in`, whose lists it appends to; false when no update is
// left before `end`.
bool next_update_record(const uint8_t* bytes, int end, int* at, UpdateInput& in);
