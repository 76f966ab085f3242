// recording.cpp - recordings of games, and the hashes that tie a recording to
// the game that made it.
#include "recording.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "../core/log.h"
#include "../core/random.h"
#include "../core/stream.h"
#include "../gen/levelGen.h"
#include "../platform/platform.h"
#include "../voxel/levelGrid.h"
#include "enemies.h"
#include "gameMode.h"
#include "hero.h"
#include "rulesVersion.h"
#include "shots.h"
#include "upgrades.h"
#include "world.h"

enum { FLUSH_BYTES = 1 << 16 }; // pending bytes go to the file at this size, and at every checkpoint

static struct {
    FileOutputStream file; // open from create_recording until finished or failed
    PathText name;
    RecordingBytes bytes;
    int updates;      // recorded so far
    int saved;        // the updates up to the last checkpoint that reached the system
    bool begun;       // the header is written; reset by create_recording
    bool failed;      // a write failed; reset by create_recording
    LongText failure; // why, when failed (a long name is cut)
} writer;

static struct {
    DynArray<uint8_t> bytes; // the whole file, from load_replay to close_replay
    RecordingContents contents;
    int at;     // the offset of the next record to play
    int played; // updates handed out by replay_next
} reader;

// The state hash.

static uint64_t hash_hero(uint64_t h)
{
    const Hero& e = hero();
    h = hash_value(h, e.position);
    h = hash_value(h, e.previousPosition);
    h = hash_value(h, e.aimDirection);
    h = hash_value(h, e.aimPoint);
    h = hash_value(h, e.body);
    const float motion[] = {e.velocityX, e.velocityY, e.legPhase, e.fireCooldown, e.invulnerable, e.exitTime};
    h = hash_value(h, motion);
    const int32_t rest[] = {e.health, e.facingRight, e.onGround, e.hurt, e.shotOwed};
    h = hash_value(h, rest);
    const CameraFocus& camera = camera_focus();
    h = hash_value(h, camera.current);
    return hash_value(h, camera.previous);
}

static uint64_t hash_robots(uint64_t h)
{
    for (int i = 0; i < enemy_count(); ++i) {
        const Enemy& e = enemy(i);
        h = hash_value(h, e.position);
        h = hash_value(h, e.previousPosition);
        const float motion[] = {e.velocityX, e.velocityY};
        h = hash_value(h, motion);
        const int32_t rest[]
            = {e.health, static_cast<int32_t>(e.lastFlags), e.facingRight, e.onGround, e.dormant};
        h = hash_value(h, rest);
    }
    return hash_value(h, enemy_count());
}

// Shots name their owner by address, which differs from run to run; what
// counts is whether the hero fired it.
static uint64_t hash_shots(uint64_t h)
{
    for (int i = 0; i < shot_count(); ++i) {
        const Shot& s = shot(i);
        h = hash_value(h, s.position);
        h = hash_value(h, s.velocity);
        const uint32_t rest[] = {s.colour, s.flags, s.owner == &hero()};
        h = hash_value(h, rest);
    }
    return hash_value(h, shot_count());
}

static uint64_t hash_debris(uint64_t h)
{
    for (int i = 0; i < debris_count(); ++i) {
        const Debris& d = debris(i);
        h = hash_value(h, d.position);
        h = hash_value(h, d.velocity);
        h = hash_value(h, d.colour);
        h = hash_value(h, d.lifetime);
    }
    return hash_value(h, debris_count());
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
    uint64_t h = hash_block(level_grid(), LEVEL_GRID_BYTES);
    h = hash_hero(h);
    h = hash_robots(h);
    h = hash_shots(h);
    h = hash_debris(h);
    const int32_t game[] = {level_number(), upgrade_points(), wall_radius(), mode_number(), level_complete()};
    h = hash_value(h, game);
    h = hash_value(h, fire_rate());
    // A mode's own state is set up when it is entered: only the current one's counts.
    GameMode* mode = current_mode();
    if (mode == game_over_mode())
        h = hash_game_over_state(h);
    if (mode == elevator_mode())
        h = hash_elevator_state(h);
    if (mode == upgrade_mode())
        h = hash_upgrade_state(h);
    if (mode == view_level_mode())
        h = hash_viewer_state(h);
    return hash_value(h, rng_state());
}

uint64_t game_data_hash()
{
    const Vec4 boxes[] = {HERO_BOX_LO, HERO_BOX_HI, ENEMY_BOX_LO, ENEMY_BOX_HI};
    return hash_value(level_data_hash(), boxes);
}

// A message into a fixed buffer; one cut short by a long file name ends
// with "..." so that nobody takes it for whole.
template <int BS> static void format_message(FixedText<BS>& out, const char* format, ...) ZU_PRINTF(2, 3);
template <int BS> static void format_message(FixedText<BS>& out, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = vsnprintf(out.s, BS, format, args);
    va_end(args);
    if (n >= BS)
        memcpy(out.s + BS - 4, "...", 4);
}

// Writing.

// Ends a recording that can't be written: closed, marked failed, the reason kept.
static void fail_recording(const char* what, const char* reason)
{
    PathText shown;
    format_message(writer.failure, "can't %s '%s': %s", what, log_escaped(shown, writer.name.s), reason);
    writer.file.close();
    writer.bytes.pending.free_all();
    writer.failed = true;
}

// Hands the pending bytes to the file and, when `flush`, on to the system;
// false when that failed (the recording then ended).
static bool write_pending(bool flush)
{
    try {
        writer.file.write(writer.bytes.pending.data(), writer.bytes.pending.size());
        if (flush)
            writer.file.flush();
    } catch (const OutputStream::Exception&) {
        fail_recording("write", strerror(errno));
        return false;
    }
    pending_bytes_written(writer.bytes);
    return true;
}

bool create_recording(const char* file, LongText& why)
{
    ASSERT(!writer.file.is_open());
    writer.failed = false;
    writer.failure.s[0] = 0;
    if (!writer.file.open(file, "wb")) {
        copy_text(why, strerror(errno));
        return false;
    }
    copy_text(writer.name, file);
    writer.updates = writer.saved = 0;
    writer.begun = false;
    return true;
}

bool begin_recording(uint64_t seed, float update_seconds)
{
    ASSERT(recording());
    put_recording_header(writer.bytes, {RULES_VERSION, game_data_hash(), seed, update_seconds});
    put_checkpoint_record(writer.bytes, 0, game_state_hash(), false);
    writer.begun = true;
    return write_pending(true);
}

bool recording()
{
    return writer.file.is_open();
}

void record_update(const UpdateInput& in)
{
    if (!recording())
        return;
    put_update_record(writer.bytes, in);
    ++writer.updates;
    bool checkpoint = writer.updates % RECORDING_CHECKPOINT_UPDATES == 0;
    if (checkpoint)
        put_checkpoint_record(writer.bytes, writer.updates, game_state_hash(), false);
    if (!checkpoint && writer.bytes.pending.size() < FLUSH_BYTES)
        return;
    if (!write_pending(checkpoint))
        log_message("recording stopped: %s; it holds the first %d updates", writer.failure.s, writer.saved);
    else if (checkpoint)
        writer.saved = writer.updates;
}

bool finish_recording(int* updates)
{
    if (recording() && !writer.begun) {
        fail_recording("begin", "the game ended before it started");
    }
    if (recording()) {
        put_checkpoint_record(writer.bytes, writer.updates, game_state_hash(), true);
        if (write_pending(false) && writer.file.close())
            writer.saved = writer.updates;
        else if (!writer.failed)
            fail_recording("finish", strerror(errno));
        writer.bytes.pending.free_all();
    }
    *updates = writer.saved;
    return !writer.failed;
}

const char* recording_failure()
{
    return writer.failure.s;
}

bool recording_failed()
{
    return writer.failed;
}

// Reading.

static bool refuse(LongText& error, const char* file, const char* why)
{
    PathText shown;
    format_message(error, "the recording '%s' %s", log_escaped(shown, file), why);
    close_replay();
    return false;
}

// The whole file into reader.bytes. Only a regular file is read, as the
// opened file itself says (a name checked before opening could be swapped
// meanwhile): a folder can't be read, and a pipe or a device could make the
// game wait without end; opening does not wait for a pipe's writer.
static bool read_file(const char* file, LongText& error)
{
    int64_t size = 0;
    int fd = plat_open_regular_file(file, false, &size);
    const char* why = fd == PLAT_NOT_A_FILE ? "is not a file"
        : fd < 0                            ? "can't be opened"
        : size > MAX_RECORDING_BYTES        ? "is too large to be a recording"
                                            : nullptr;
    if (!why) {
        reader.bytes.resize(static_cast<int>(size));
        if (!plat_read_whole(fd, reader.bytes.data(), static_cast<size_t>(size)))
            why = "can't be read";
    }
    if (fd >= 0)
        close(fd);
    return why ? refuse(error, file, why) : true;
}

bool load_replay(const char* file, LongText& error)
{
    close_replay();
    if (!read_file(file, error))
        return false;
    LongText why;
    if (!parse_recording(reader.bytes.data(), reader.bytes.size(), reader.contents, why))
        return refuse(error, file, why.s);
    reader.at = reader.contents.firstRecord;
    reader.played = 0;
    return true;
}

const RecordingHeader& replay_header()
{
    return reader.contents.header;
}

bool replay_complete()
{
    return reader.contents.complete;
}

int replay_updates()
{
    return reader.contents.updates;
}

int replay_position()
{
    return reader.played;
}

bool replay_next(UpdateInput& in)
{
    if (reader.played >= reader.contents.updates)
        return false;
    bool read = next_update_record(reader.bytes.data(), reader.contents.playableEnd, &reader.at, in);
    ASSERT(read);
    ++reader.played;
    return true;
}

bool replay_checkpoint(int updates, uint64_t* state_hash)
{
    for (const RecordingCheckpoint& c : reader.contents.checkpoints)
        if (c.updates == updates) {
            *state_hash = c.stateHash;
            return true;
        }
    return false;
}

void close_replay()
{
    reader.bytes.free_all();
    reader.contents.checkpoints.free_all();
    reader.contents.updates = 0;
    reader.contents.complete = false;
    reader.at = reader.played = 0;
}
