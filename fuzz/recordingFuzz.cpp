// recordingFuzz.cpp - the recording reader on arbitrary bytes.
//
// Every checkpoint carries a CRC of all the bytes before it, so a mutated
// file almost always stops at "is damaged". The custom mutator mostly makes
// the CRCs (and the update counts) good again after libFuzzer's mutation, so
// that the records behind them are explored; now and then it leaves the raw
// mutation, so the checks themselves stay covered.
#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include <zlib.h>

#include "fuzzSupport.h"
#include "game/recordingFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > static_cast<size_t>(MAX_RECORDING_BYTES))
        return 0;
    RecordingContents contents;
    LongText why;
    try {
        if (!parse_recording(data, static_cast<int>(size), contents, why))
            return 0;
        // What was accepted is whole up to its last checkpoint: exactly the
        // updates counted there can be read, and no more.
        if (contents.playableEnd > static_cast<int>(size) || contents.checkpoints.size() < 1
            || contents.checkpoints[contents.checkpoints.size() - 1].updates != contents.updates)
            __builtin_trap();
        int at = contents.firstRecord;
        for (int i = 0; i < contents.updates; ++i) {
            UpdateInput in = {};
            if (!next_update_record(data, contents.playableEnd, &at, in) || (in.down & ~GAME_KEY_BITS))
                __builtin_trap();
        }
        UpdateInput in = {};
        if (next_update_record(data, contents.playableEnd, &at, in))
            __builtin_trap();
    } catch (const FuzzRejected&) {
    }
    return 0;
}

namespace {

void write_u32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Walks the records as the reader does and makes each checkpoint's count and
// CRC match what precedes it; stops at the first record it can't walk.
void reseal(uint8_t* data, size_t size)
{
    size_t at = RECORDING_HEADER_BYTES;
    uint32_t updates = 0;
    while (at < size) {
        uint8_t tag = data[at];
        if (tag == 'U') {
            size_t counts = at + 1 + 6 + 8 + 4;
            if (counts + 2 > size)
                return;
            size_t woken = data[counts] | data[counts + 1] << 8;
            size_t commands = counts + 2 + 2 * woken;
            if (commands + 2 > size)
                return;
            at = commands + 2 + 4 * (data[commands] | data[commands + 1] << 8);
            ++updates;
            continue;
        }
        if ((tag != 'C' && tag != 'E') || at + 17 > size)
            return;
        write_u32(data + at + 1, updates);
        write_u32(data + at + 13, static_cast<uint32_t>(crc32(0, data, static_cast<uInt>(at + 13))));
        at += 17;
    }
}

} // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t max_size, unsigned seed)
{
    size = LLVMFuzzerMutate(data, size, max_size);
    if (seed % 8 != 0 && size >= RECORDING_HEADER_BYTES)
        reseal(data, size);
    return size;
}
