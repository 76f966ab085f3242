// recording.cpp - recordings of games and the hash of the game's state.
#include "recording.h"

#include <math.h>
#include <stdio.h>
#include <zlib.h>

#include "../core/log.h"
#include "../core/random.h"
#include "../core/stream.h"
#include "../voxel/levelGrid.h"
#include "enemies.h"
#include "gameMode.h"
#include "hero.h"
#include "shots.h"
#include "upgrades.h"
#include "world.h"

static const char MAGIC[8] = {'T', 'W', 'R', 'E', 'C', 'O', 'R', 'D'};
enum : uint8_t { TAG_UPDATE = 'U', TAG_END = 'E' };
enum {
    HEADER_BYTES = 8 + 4 + 8 + 4,
    END_BYTES = 1 + 4 + 4,
    FLUSH_BYTES = 1 << 16, // the writer's buffer goes to the file at this size
    MAX_RECORDING_BYTES = 1 << 28,
};

static struct {
    FileOutputStream file; // open from start_recording to finish_recording
    PathText name;
    DynArray<uint8_t> pending; // bytes not yet written
    uint32_t crc;              // of every byte handed to the file so far
    int updates;
} writer;

static struct {
    DynArray<uint8_t> bytes; // the whole file, from load_replay to close_replay
    int at;                  // the next update's first byte
    int updates, played;
    uint64_t seed;
    float seconds;
} reader;

// The state hash.

static uint64_t hash_value(uint64_t h, const void* v, size_t size)
{
    return hash_bytes(v, size, h);
}

template <typename T> static uint64_t hash_of(uint64_t h, const T& v)
{
    return hash_value(h, &v, sizeof v);
}

static uint64_t hash_hero(uint64_t h)
{
    const Hero& e = hero();
    h = hash_of(h, e.position);
    h = hash_of(h, e.previousPosition);
    h = hash_of(h, e.aimDirection);
    h = hash_of(h, e.aimPoint);
    h = hash_of(h, e.body);
    const float motion[] = {e.velocityX, e.velocityY, e.legPhase, e.fireCooldown, e.invulnerable, e.exitTime};
    h = hash_of(h, motion);
    const int32_t rest[] = {e.health, e.facingRight, e.onGround, e.hurt};
    return hash_of(h, rest);
}

static uint64_t hash_robots(uint64_t h)
{
    for (int i = 0; i < enemy_count(); ++i) {
        const Enemy& e = enemy(i);
        h = hash_of(h, e.position);
        h = hash_of(h, e.previousPosition);
        const float motion[] = {e.velocityX, e.velocityY};
        h = hash_of(h, motion);
        const int32_t rest[]
            = {e.health, static_cast<int32_t>(e.lastFlags), e.facingRight, e.onGround, e.dormant};
        h = hash_of(h, rest);
    }
    return hash_of(h, enemy_count());
}

static uint64_t hash_shots(uint64_t h)
{
    for (int i = 0; i < shot_count(); ++i) {
        const Shot& s = shot(i);
        h = hash_of(h, s.position);
        h = hash_of(h, s.velocity);
        const uint32_t rest[] = {s.colour, s.flags};
        h = hash_of(h, rest);
    }
    return hash_of(h, shot_count());
}

// The mode as its place in a fixed list (the instances' addresses differ from run to run).
static int32_t mode_number()
{
    GameMode* const modes[]
        = {play_mode(), game_over_mode(), elevator_mode(), upgrade_mode(), view_level_mode()};
    for (int32_t i = 0; i < 5; ++i)
        if (current_mode() == modes[i])
            return i;
    return -1;
}

uint64_t game_state_hash()
{
    uint64_t h = level_grid_hash();
    h = hash_hero(h);
    h = hash_robots(h);
    h = hash_shots(h);
    const int32_t game[]
        = {level_number(), upgrade_points(), wall_radius(), mode_number(), level_complete(), debris_count()};
    h = hash_of(h, game);
    h = hash_of(h, fire_rate());
    return hash_of(h, rng_state());
}

// Writing.

static void put_bytes(const void* data, int size)
{
    writer.pending.insert(writer.pending.size(), static_cast<const uint8_t*>(data), size);
}

static void put_u8(uint8_t v)
{
    put_bytes(&v, 1);
}

static void put_u16(uint16_t v)
{
    const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    put_bytes(b, 2);
}

static void put_u32(uint32_t v)
{
    const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
        static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    put_bytes(b, 4);
}

static void put_u64(uint64_t v)
{
    put_u32(static_cast<uint32_t>(v));
    put_u32(static_cast<uint32_t>(v >> 32));
}

static void put_f32(float v)
{
    uint32_t bits;
    memcpy(&bits, &v, 4);
    put_u32(bits);
}

// Hands the pending bytes to the file; false (logged, recording ended) when
// they can't be written.
static bool flush_pending()
{
    try {
        writer.file.write(writer.pending.data(), writer.pending.size());
    } catch (const OutputStream::Exception& e) {
        log_message("recording stopped: can't write '%s': %s", writer.name.s, e.message.s);
        writer.file.close();
        writer.pending.clear();
        return false;
    }
    writer.crc = static_cast<uint32_t>(
        crc32(writer.crc, writer.pending.data(), static_cast<uInt>(writer.pending.size())));
    writer.pending.clear();
    return true;
}

bool start_recording(const char* file, uint64_t seed, float update_seconds)
{
    ASSERT(!writer.file.is_open());
    if (!writer.file.open(file, "wb")) {
        log_message("can't create the recording '%s'", file);
        return false;
    }
    copy_text(writer.name, file);
    writer.pending.clear();
    writer.crc = static_cast<uint32_t>(crc32(0, nullptr, 0));
    writer.updates = 0;
    put_bytes(MAGIC, 8);
    put_u32(RECORDING_VERSION);
    put_u64(seed);
    put_f32(update_seconds);
    return flush_pending();
}

bool recording()
{
    return writer.file.is_open();
}

void record_update(const UpdateInput& in)
{
    if (!recording())
        return;
    put_u8(TAG_UPDATE);
    put_u16(in.down);
    put_u16(in.pressed);
    put_u16(in.released);
    put_f32(in.aimX);
    put_f32(in.aimY);
    put_u16(static_cast<uint16_t>(in.panX));
    put_u16(static_cast<uint16_t>(in.panY));
    put_u16(static_cast<uint16_t>(in.woken.size()));
    for (uint16_t i : in.woken)
        put_u16(i);
    put_u16(static_cast<uint16_t>(in.commands.size()));
    for (int32_t c : in.commands)
        put_u32(static_cast<uint32_t>(c));
    ++writer.updates;
    if (writer.pending.size() >= FLUSH_BYTES)
        flush_pending();
}

int finish_recording()
{
    if (!recording())
        return 0;
    put_u8(TAG_END);
    put_u32(static_cast<uint32_t>(writer.updates));
    if (!flush_pending())
        return 0;
    put_u32(writer.crc);
    if (!flush_pending())
        return 0;
    writer.file.close();
    writer.pending.free_all();
    return writer.updates;
}

// Reading.

// A bounds-checked walk over the loaded bytes.
struct Cursor {
    const uint8_t* p;
    int left;
    bool ok = true;

    const uint8_t* take(int n)
    {
        if (!ok || left < n) {
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
    float f32()
    {
        uint32_t bits = u32();
        float v;
        memcpy(&v, &bits, 4);
        return v;
    }
};

// Reads one update's input at the cursor into `in` (when not null); false
// when the record is cut short or holds what no game writes.
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

static bool refuse(LongText& error, const char* file, const char* why)
{
    snprintf(error.s, sizeof error.s, "the recording '%s' %s", file, why);
    close_replay();
    return false;
}

static bool read_file(const char* file, LongText& error)
{
    FileInputStream in;
    if (!in.open(file, "rb"))
        return refuse(error, file, "can't be opened");
    try {
        int64_t size = in.bytes_left();
        if (size > MAX_RECORDING_BYTES)
            return refuse(error, file, "is too large to be a recording");
        reader.bytes.resize(static_cast<int>(size));
        in.read(reader.bytes.data(), static_cast<int32_t>(size));
    } catch (const InputStream::Exception&) {
        return refuse(error, file, "can't be read");
    }
    return true;
}

bool load_replay(const char* file, LongText& error)
{
    close_replay();
    if (!read_file(file, error))
        return false;
    Cursor c = {reader.bytes.data(), reader.bytes.size()};
    const uint8_t* magic = c.take(8);
    if (!magic || memcmp(magic, MAGIC, 8) != 0)
        return refuse(error, file, "is not a TARNWICK recording");
    uint32_t version = c.u32();
    if (!c.ok)
        return refuse(error, file, "is truncated");
    if (version != RECORDING_VERSION) {
        char why[128];
        snprintf(why, sizeof why,
            "was made by version %u of the recording format; this game plays version %d", version,
            RECORDING_VERSION);
        return refuse(error, file, why);
    }
    reader.seed = c.u32();
    reader.seed |= static_cast<uint64_t>(c.u32()) << 32;
    reader.seconds = c.f32();
    reader.at = HEADER_BYTES;
    int updates = 0;
    for (;;) {
        uint8_t tag = c.u8();
        if (!c.ok)
            return refuse(error, file, "is truncated");
        if (tag == TAG_END)
            break;
        if (tag != TAG_UPDATE || !read_update(c, nullptr))
            return refuse(error, file, c.ok ? "is damaged" : "is truncated");
        ++updates;
    }
    uint32_t count = c.u32();
    int checked = reader.bytes.size() - c.left;
    uint32_t crc = c.u32();
    if (!c.ok)
        return refuse(error, file, "is truncated");
    if (c.left != 0 || count != static_cast<uint32_t>(updates)
        || crc != static_cast<uint32_t>(crc32(0, reader.bytes.data(), static_cast<uInt>(checked))))
        return refuse(error, file, "is damaged (its checksum or length does not match)");
    if (!(reader.seconds > 0 && reader.seconds <= 1))
        return refuse(error, file, "is damaged (its update length is not a time)");
    reader.updates = updates;
    reader.played = 0;
    return true;
}

uint64_t replay_seed()
{
    return reader.seed;
}

float replay_update_seconds()
{
    return reader.seconds;
}

int replay_updates()
{
    return reader.updates;
}

int replay_position()
{
    return reader.played;
}

bool replay_next(UpdateInput& in)
{
    if (reader.played >= reader.updates)
        return false;
    Cursor c = {reader.bytes.data() + reader.at, reader.bytes.size() - reader.at};
    uint8_t tag = c.u8();
    ASSERT(tag == TAG_UPDATE);
    bool ok = read_update(c, &in);
    ASSERT(ok);
    reader.at = reader.bytes.size() - c.left;
    ++reader.played;
    return true;
}

void close_replay()
{
    reader.bytes.free_all();
    reader.at = reader.updates = reader.played = 0;
}
