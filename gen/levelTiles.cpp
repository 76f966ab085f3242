// levelTiles.cpp - the level tile library ("tiles.bin") and the level palette ("level.pal").
#include "levelTiles.h"

#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include <memory>
#include <utility>

#include "../core/log.h"
#include "../core/paths.h"
#include "../core/stream.h"
#include "../libs/inc/cont/zu_dynArray.h"

// Deflate cannot expand data by much more than 1032:1, so an unpacked size
// beyond this bound can never be met; it is refused before anything is
// allocated for it.
enum { MAX_INFLATE_RATIO = 1100, INFLATE_SLACK = 1024 };
// The packed stream is read in pieces of this size, so that a hostile length
// costs no more memory than the file really holds.
enum { PACKED_PIECE = 1 << 16 };

static struct {
    uint8_t* block;   // the unpacked block; replaced by a load, freed by free_level_tiles
    LevelTile* tiles; // count tiles pointing into block; same lifetime
    int count;        // 0 until loaded and after free_level_tiles
    bool loaded;      // set by a load, cleared by free_level_tiles
    int loads;        // successful loads; never reset
} library;

using FreedBytes = std::unique_ptr<uint8_t, decltype(&free)>;
using FreedTiles = std::unique_ptr<LevelTile, decltype(&free)>;

[[noreturn]] static void reject(const char* format, int value)
{
    ShortText text;
    throw InputStream::Exception(format_short(text, format, value), -1);
}

// Header fields are read without the stream's own exception, so that a file
// ending inside its header gets a message that says so.
template <typename T> static T read_header_field(InputStream& in)
{
    T value;
    if (in.read_some(&value, sizeof value) != static_cast<int32_t>(sizeof value))
        throw InputStream::Exception("file ends inside its header", in.tell());
    return value;
}

static void read_tag(InputStream& in, uint32_t expected)
{
    uint32_t tag = 0;
    if (in.read_some(&tag, sizeof tag) != static_cast<int32_t>(sizeof tag) || tag != expected)
        throw InputStream::Exception("invalid version tag", -1);
}

// The length-prefixed packed stream; its length n was read with the header.
static void read_packed(InputStream& in, int32_t n, DynArray<uint8_t>& packed)
{
    ASSERT(n >= 0);
    while (packed.size() < n) {
        int at = packed.size();
        int piece = n - at < PACKED_PIECE ? n - at : PACKED_PIECE;
        packed.resize(at + piece);
        in.read(packed.data() + at, piece);
    }
}

// Inflates the whole stream into exactly size bytes at destination.
static void inflate_exactly(const DynArray<uint8_t>& packed, void* destination, uint64_t size)
{
    uLongf got = static_cast<uLongf>(size);
    if (packed.empty()
        || uncompress(
               static_cast<Bytef*>(destination), &got, packed.data(), static_cast<uLong>(packed.size()))
            != Z_OK
        || got != size)
        throw InputStream::Exception("error unpacking data", -1);
}

// Opens a data file by its name relative to the program; path receives the
// resolved name for the messages.
static void open_or_die(FileInputStream& in, PathText& path, const char* name)
{
    resolve_path(path, name);
    if (!in.open(path.s, "rb"))
        fatal_error("can't open %s", path.s);
}

int load_level_palette(const char* name, uint32_t* colours, int capacity)
{
    PathText path;
    FileInputStream in;
    open_or_die(in, path, name);
    try {
        read_tag(in, LEVEL_PALETTE_TAG);
        uint32_t count = read_header_field<uint32_t>(in);
        if (count > static_cast<uint32_t>(capacity))
            throw InputStream::Exception("too many colors", -1);
        DynArray<uint8_t> packed;
        read_packed(in, read_header_field<int32_t>(in), packed);
        inflate_exactly(packed, colours, uint64_t(count) * 4);
        return static_cast<int>(count);
    } catch (const StreamIOException& e) {
        fatal_error("error reading %s : %s", path.s, e.message.s);
    }
}

// Turns the records at the start of the block into tiles, checking that every
// name (with its terminator) and every voxel box lies inside the block.
static FreedTiles make_tiles(const uint8_t* block, uint32_t size, uint32_t count)
{
    if (uint64_t(count) * sizeof(LevelTileRecord) > size)
        throw InputStream::Exception("tile records lie outside the unpacked block", -1);
    FreedTiles tiles(static_cast<LevelTile*>(calloc(count ? count : 1, sizeof(LevelTile))), free);
    if (!tiles)
        throw InputStream::Exception("not enough memory", -1);
    for (uint32_t t = 0; t < count; ++t) {
        LevelTileRecord r;
        memcpy(&r, block + t * sizeof r, sizeof r);
        int index = static_cast<int>(t);
        if (r.nameOffset >= size || !memchr(block + r.nameOffset, 0, size - r.nameOffset))
            reject("tile %d: name lies outside the unpacked block", index);
        if (uint64_t(r.voxelOffset) + uint64_t(r.nx) * r.ny * r.nz > size)
            reject("tile %d: voxels lie outside the unpacked block", index);
        tiles.get()[t] = {r.nx, r.ny, r.nz, r.dx, r.dy, r.dz, block + r.voxelOffset,
            reinterpret_cast<const char*>(block + r.nameOffset)};
    }
    return tiles;
}

// Checks the unpacked block's records and makes it the library, replacing
// the one loaded before; throws, leaving the old library, when a check fails.
static void install_tiles(FreedBytes block, uint32_t size, uint32_t count)
{
    FreedTiles tiles = make_tiles(block.get(), size, count);
    free_level_tiles();
    library.block = block.release();
    library.tiles = tiles.release();
    library.count = static_cast<int>(count);
    library.loaded = true;
    ++library.loads;
}

void load_level_tiles(const char* name)
{
    PathText path;
    FileInputStream in;
    open_or_die(in, path, name);
    try {
        read_tag(in, LEVEL_TILES_TAG);
        uint32_t count = read_header_field<uint32_t>(in);
        uint32_t size = read_header_field<uint32_t>(in);
        int32_t packedSize = read_header_field<int32_t>(in);
        DynArray<uint8_t> packed;
        read_packed(in, packedSize, packed);
        if (size > uint64_t(packed.size()) * MAX_INFLATE_RATIO + INFLATE_SLACK)
            throw InputStream::Exception("error unpacking data", -1);
        FreedBytes block(static_cast<uint8_t*>(malloc(size ? size : 1)), free);
        if (!block)
            throw InputStream::Exception("not enough memory", -1);
        inflate_exactly(packed, block.get(), size);
        install_tiles(std::move(block), size, count);
    } catch (const StreamIOException& e) {
        fatal_error("error reading %s : %s", path.s, e.message.s);
    }
    log_message("loaded %d level tiles from %s", library.count, name);
}

bool load_level_tiles_block(const uint8_t* data, uint32_t size, uint32_t count)
{
    FreedBytes block(static_cast<uint8_t*>(malloc(size ? size : 1)), free);
    if (!block)
        return false;
    memcpy(block.get(), data, size);
    try {
        install_tiles(std::move(block), size, count);
    } catch (const StreamIOException& e) {
        log_message("level tiles block: %s", e.message.s);
        return false;
    }
    return true;
}

LevelTile* find_level_tile(const char* name)
{
    if (!library.loaded)
        fatal_error("level tiles are not loaded!");
    for (int i = 0; i < library.count; ++i)
        if (strcmp(library.tiles[i].name, name) == 0)
            return &library.tiles[i];
    fatal_error("can't find level tile '%s'", name);
}

void free_level_tiles()
{
    free(library.tiles);
    free(library.block);
    library.tiles = nullptr;
    library.block = nullptr;
    library.count = 0;
    library.loaded = false;
}

int level_tile_count()
{
    return library.count;
}

const LevelTile* level_tile(int index)
{
    ASSERT(index >= 0 && index < library.count);
    return &library.tiles[index];
}

int level_tiles_load_count()
{
    return library.loads;
}
