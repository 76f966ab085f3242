// recordingFormat.cpp - the bytes of a recording file: written, read and checked.
#include "recordingFormat.h"

#include <math.h>
#include <stdio.h>
#include <zlib.h>

static const char MAGIC[8] = {'T', 'W', 'R', 'E', 'C', 'O', 'R', 'D'};
enum : uint8_t { TAG_UPDATE = 'U', TAG_CHECKPOINT = 'C', TAG_END = 'E' };
enum { CHECKPOINT_BYTES = 1 + 4 + 8 + 4 };

static uint32_t crc_of(uint32_t crc, const uint8_t* bytes, int size)
{
    return static_cast<uint32_t>(crc32(crc, bytes, static_cast<uInt>(size)));
}

// Writing.

static void put_bytes(RecordingBytes& out, const void* data, int size)
{
    out.pending.insert(out.pending.size(), static_cast<const uint8_t*>(data), size);
}

static void put_u8(RecordingBytes& out, uint8_t v)
{
    put_bytes(out, &v, 1);
}

static void put_u16(RecordingBytes& out, uint16_t v)
{
    const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    put_bytes(out, b, 2);
}

static void put_u32(RecordingBytes& out, uint32_t v)
{
    const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
        static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    put_bytes(out, b, 4);
}

static void put_u64(RecordingBytes& out, uint64_t v)
{
    put_u32(out, static_cast<uint32_t>(v));
    put_u32(out, static_cast<uint32_t>(v >> 32));
}

static void put_f32(RecordingBytes& out, float v)
{
    uint32_t bits;
    memcpy(&bits, &v, 4);
    put_u32(out, bits);
}

void put_recording_header(RecordingBytes& out, const RecordingHeader& header)
{
    out.pending.clear();
    out.crc = crc_of(0, nullptr, 0);
    put_bytes(out, MAGIC, 8);
    put_u32(out, RECORDING_FORMAT_VERSION);
    put_u32(out, header.rulesVersion);
    put_u64(out, header.dataHash);
    put_u64(out, header.seed);
    put_f32(out, header.updateSeconds);
}

void put_update_record(RecordingBytes& out, const UpdateInput& in)
{
    ASSERT(in.woken.size() <= UINT16_MAX && in.commands.size() <= UINT16_MAX);
    put_u8(out, TAG_UPDATE);
    put_u16(out, in.down);
    put_u16(out, in.pressed);
    put_u16(out, in.released);
    put_f32(out, in.aimX);
    put_f32(out, in.aimY);
    put_u16(out, static_cast<uint16_t>(in.panX));
    put_u16(out, static_cast<uint16_t>(in.panY));
    put_u16(out, static_cast<uint16_t>(in.woken.size()));
    for (uint16_t i : in.woken)
        put_u16(out, i);
    put_u16(out, static_cast<uint16_t>(in.commands.size()));
    for (int32_t c : in.commands)
        put_u32(out, static_cast<uint32_t>(c));
}

void put_checkpoint_record(RecordingBytes& out, int updates, uint64_t state_hash, bool end)
{
    ASSERT(updates >= 0);
    put_u8(out, end ? TAG_END : TAG_CHECKPOINT);
    put_u32(out, static_cast<uint32_t>(updates));
    put_u64(out, state_hash);
    put_u32(out, crc_of(out.crc, out.pending.data(), out.pending.size()));
}

void pending_bytes_written(RecordingBytes& out)
{
    out.crc = crc_of(out.crc, out.pending.data(), out.pending.size());
    out.pending.clear();
}

// Reading.

// A bounds-checked walk over bytes in memory; once a read runs past the end,
// it stays failed and every read gives 0.
struct Cursor {
    const uint8_t* p;
    int left;
    bool ok = true;

    const uint8_t* take(int n)
    {
        if (!ok || n < 0 || left < n) {
            ok = false;
            return nullptr;
        }
        const uint8_t* at = p;
        p += n;
        left -= n;
        return at;
    }
    uint8_t u8()
    {
        const uint8_t* b = take(1);
        return b ? b[0] : 0;
    }
    uint16_t u16()
    {
        const uint8_t* b = take(2);
        return b ? static_cast<uint16_t>(b[0] | b[1] << 8) : 0;
    }
    uint32_t u32()
    {
        const uint8_t* b = take(4);
        return b ? static_cast<uint32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24)
                 : 0;
    }
    uint64_t u64()
    {
        uint64_t low = u32();
        return low | static_cast<uint64_t>(u32()) << 32;
    }
    float f32()
    {
        uint32_t bits = u32();
        float v;
        memcpy(&v, &bits, 4);
        return v;
    }
};

// Reads the body of one update record into `in` (when not null); false when
// the record is cut short (the cursor then fails) or holds what no game
// writes.
static bool read_update(Cursor& c, UpdateInput* in)
{
    uint16_t keys[3] = {c.u16(), c.u16(), c.u16()};
    float aim[2] = {c.f32(), c.f32()};
    int16_t pan[2] = {static_cast<int16_t>(c.u16()), static_cast<int16_t>(c.u16())};
    if (!c.ok || ((keys[0] | keys[1] | keys[2]) & ~GAME_KEY_BITS) || !isfinite(aim[0]) || !isfinite(aim[1]))
        return false;
    int woken = c.u16();
    const uint8_t* w = c.take(2 * woken);
    int commands = c.u16();
    const uint8_t* k = c.take(4 * commands);
    if (!c.ok || !in)
        return c.ok;
    in->down = keys[0];
    in->pressed = keys[1];
    in->released = keys[2];
    in->aimX = aim[0];
    in->aimY = aim[1];
    in->panX = pan[0];
    in->panY = pan[1];
    for (int i = 0; i < woken; ++i)
        in->woken.push(static_cast<uint16_t>(w[2 * i] | w[2 * i + 1] << 8));
    Cursor kc = {k, 4 * commands};
    for (int i = 0; i < commands; ++i)
        in->commands.push(static_cast<int32_t>(kc.u32()));
    return true;
}

static bool refuse(LongText& why, const char* text)
{
    copy_text(why, text);
    return false;
}

static bool read_header(Cursor& c, RecordingHeader& h, LongText& why)
{
    const uint8_t* magic = c.take(8);
    if (!magic || memcmp(magic, MAGIC, 8) != 0)
        return refuse(why, "is not a TARNWICK recording");
    uint32_t version = c.u32();
    if (c.ok && version != RECORDING_FORMAT_VERSION) {
        snprintf(why.s, sizeof why.s,
            "was made by version %u of the recording format; this game plays version %d", version,
            RECORDING_FORMAT_VERSION);
        return false;
    }
    h.rulesVersion = c.u32();
    h.dataHash = c.u64();
    h.seed = c.u64();
    h.updateSeconds = c.f32();
    if (!c.ok)
        return refuse(why, "is truncated");
    if (!(h.updateSeconds > 0 && h.updateSeconds <= 1))
        return refuse(why, "is damaged (its update length is not a time)");
    return true;
}

// How the walk over the records ended.
enum RecordsEnd { RECORDS_COMPLETE, RECORDS_CUT, RECORDS_DAMAGED };

// Walks the records after the header, checking each checkpoint's count and
// CRC; fills the checkpoints, and the updates and offset up to the last one.
static RecordsEnd read_records(const uint8_t* bytes, int size, RecordingContents& out, LongText& why)
{
    Cursor c = {bytes + out.firstRecord, size - out.firstRecord};
    uint32_t crc = crc_of(0, nullptr, 0);
    int summed = 0; // the bytes the CRC covers so far
    int updates = 0;
    for (;;) {
        uint8_t tag = c.u8();
        if (!c.ok)
            return RECORDS_CUT;
        if (tag == TAG_UPDATE) {
            if (read_update(c, nullptr)) {
                ++updates;
                continue;
            }
            if (!c.ok)
                return RECORDS_CUT;
            refuse(why, "is damaged (an update holds what no game writes)");
            return RECORDS_DAMAGED;
        }
        if (tag != TAG_CHECKPOINT && tag != TAG_END) {
            refuse(why, "is damaged (a record of no known kind)");
            return RECORDS_DAMAGED;
        }
        RecordingCheckpoint point = {updates, 0, size - c.left - 1};
        uint32_t count = c.u32();
        point.stateHash = c.u64();
        const int crcAt = size - c.left;
        uint32_t stored = c.u32();
        if (!c.ok)
            return RECORDS_CUT;
        crc = crc_of(crc, bytes + summed, crcAt - summed);
        summed = crcAt;
        if (stored != crc || count != static_cast<uint32_t>(updates)) {
            refuse(why, "is damaged (its checksum or length does not match)");
            return RECORDS_DAMAGED;
        }
        out.checkpoints.push(point);
        out.updates = updates;
        out.playableEnd = size - c.left;
        if (tag == TAG_END) {
            if (c.left == 0)
                return RECORDS_COMPLETE;
            refuse(why, "is damaged (bytes follow its end)");
            return RECORDS_DAMAGED;
        }
    }
}

bool parse_recording(const uint8_t* bytes, int size, RecordingContents& out, LongText& why)
{
    out.checkpoints.clear();
    out.updates = 0;
    out.complete = false;
    Cursor c = {bytes, size};
    if (!read_header(c, out.header, why))
        return false;
    out.firstRecord = out.playableEnd = RECORDING_HEADER_BYTES;
    RecordsEnd end = read_records(bytes, size, out, why);
    if (end == RECORDS_DAMAGED)
        return false;
    if (out.checkpoints.size() == 0)
        return refuse(why, "is truncated");
    out.complete = end == RECORDS_COMPLETE;
    return true;
}

bool next_update_record(const uint8_t* bytes, int end, int* at, UpdateInput& in)
{
    Cursor c = {bytes + *at, end - *at};
    for (;;) {
        uint8_t tag = c.u8();
        if (!c.ok)
            return false;
        if (tag == TAG_UPDATE)
            break;
        ASSERT(tag == TAG_CHECKPOINT || tag == TAG_END);
        c.take(CHECKPOINT_BYTES - 1);
    }
    bool ok = read_update(c, &in);
    ASSERT(ok);
    *at = end - c.left;
    return true;
}
