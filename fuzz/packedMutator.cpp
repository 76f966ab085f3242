// packedMutator.cpp - mutations that get past the zlib checksums of the level files.
#include "packedMutator.h"

#include <string.h>
#include <zlib.h>

#include <vector>

#include "fuzzSupport.h"

namespace {

// Larger blocks are left to the raw mutation; the real files are a few KB.
const size_t MAX_BLOCK = 1 << 20;

uint32_t field(const uint8_t* data, size_t at)
{
    uint32_t v;
    memcpy(&v, data + at, 4);
    return v;
}

void set_field(uint8_t* data, size_t at, uint32_t v)
{
    memcpy(data + at, &v, 4);
}

// The stream of `packed` bytes inflated into exactly `size` bytes; empty on failure.
bool unpack(const uint8_t* packed, size_t packedSize, size_t size, std::vector<uint8_t>* out)
{
    if (size > MAX_BLOCK)
        return false;
    out->resize(size);
    uLongf got = static_cast<uLongf>(size);
    return uncompress(out->data(), &got, packed, static_cast<uLong>(packedSize)) == Z_OK && got == size;
}

// Header followed by the packed block; 0 when it does not fit max_size.
size_t pack_into(uint8_t* data, size_t max_size, size_t header, const std::vector<uint8_t>& block)
{
    uLongf packedSize = compressBound(static_cast<uLong>(block.size()));
    if (header + packedSize > max_size)
        return 0;
    if (compress2(data + header, &packedSize, block.data(), static_cast<uLong>(block.size()), 1) != Z_OK)
        return 0;
    set_field(data, header - 4, static_cast<uint32_t>(packedSize));
    return header + packedSize;
}

// libFuzzer's mutation of the bytes, grown by up to a quarter.
void mutate_bytes(std::vector<uint8_t>* bytes)
{
    size_t n = bytes->size();
    bytes->resize(n + n / 4 + 16);
    bytes->resize(LLVMFuzzerMutate(bytes->data(), n, bytes->size()));
}

} // namespace

size_t mutate_tiles_file(uint8_t* data, size_t size, size_t max_size, unsigned seed)
{
    enum { HEADER = 16 };
    std::vector<uint8_t> block;
    if (seed % 8 == 0 || size < HEADER || max_size < HEADER
        || !unpack(data + HEADER, size - HEADER, field(data, 8), &block))
        return LLVMFuzzerMutate(data, size, max_size);
    // The count rides in front of the block so that both change together.
    std::vector<uint8_t> work(4 + block.size());
    memcpy(work.data(), data + 4, 4);
    if (!block.empty())
        memcpy(work.data() + 4, block.data(), block.size());
    mutate_bytes(&work);
    if (work.size() < 4)
        return LLVMFuzzerMutate(data, size, max_size);
    memcpy(data + 4, work.data(), 4);
    block.assign(work.begin() + 4, work.end());
    set_field(data, 8, static_cast<uint32_t>(block.size()));
    size_t n = pack_into(data, max_size, HEADER, block);
    return n ? n : LLVMFuzzerMutate(data, size, max_size);
}

size_t mutate_palette_file(uint8_t* data, size_t size, size_t max_size, unsigned seed)
{
    enum { HEADER = 12 };
    std::vector<uint8_t> colours;
    if (seed % 8 == 0 || size < HEADER || max_size < HEADER
        || !unpack(data + HEADER, size - HEADER, size_t(field(data, 4)) * 4, &colours))
        return LLVMFuzzerMutate(data, size, max_size);
    mutate_bytes(&colours);
    // Mostly a count that matches the colours, sometimes the old one.
    if (seed % 4 != 1) {
        colours.resize(colours.size() / 4 * 4);
        set_field(data, 4, static_cast<uint32_t>(colours.size() / 4));
    }
    size_t n = pack_into(data, max_size, HEADER, colours);
    return n ? n : LLVMFuzzerMutate(data, size, max_size);
}
