// zu_utils.h - assertions, the fatal-error entry, bounded text buffers and
// small helpers.
//
// Shared by the game and the launcher. fatal_error itself lives with the
// logging code (core/log.cpp); it is declared here so that every header that
// asserts needs only this one include.
#pragma once

#include <limits.h>
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#if defined(__GNUC__)
#define ZU_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define ZU_PRINTF(fmt, args)
#endif

// Reports the formatted message, shuts the program down in order and ends the
// process with exit code 100. Never returns.
[[noreturn]] void fatal_error(const char* format, ...) ZU_PRINTF(1, 2);

// The base name of a source path, so that assertion messages name the file
// ("zu_dynArray.h") and not the directory it was compiled from.
constexpr const char* zu_base_name(const char* path)
{
    const char* base = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\')
            base = p + 1;
    return base;
}

// Reports a failed assertion as "%s(%d): failed ASSERT(%s)" with the file's
// base name, the line and the expression; never returns. The expression is
// given in its compact form: comparison and arithmetic operators without the
// spaces that source formatting puts around them, "&&" and "||" with them.
[[noreturn]] void assert_failed(const char* file, int line, const char* expression);

// Always active: a failed assertion is a fatal error.
#define ASSERT(expr)                                                                                         \
    do {                                                                                                     \
        if (!(expr))                                                                                         \
            assert_failed(zu_base_name(__FILE__), __LINE__, #expr);                                          \
    } while (0)

// v limited to [lo, hi], for lo <= hi.
constexpr int clamp_int(int v, int lo, int hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

// A fixed character buffer of BS bytes; the size is part of the type so that
// copy_text can check every copy against it.
template <int BS> struct FixedText {
    char s[BS];

    const char* c_str() const { return s; }
    static constexpr int capacity() { return BS; }
};

using ShortText = FixedText<256>;     // short messages, format_short
using PathText = FixedText<PATH_MAX>; // file names and paths: any the system can open
using LongText = FixedText<512>;      // stream error messages, definition lists

// Copies text (null = empty) into the buffer; a text that does not fit with its
// terminator is a caller bug and fails the assertion.
template <int BS> inline void copy_text(FixedText<BS>& buffer, const char* text)
{
    if (!text) {
        buffer.s[0] = 0;
        return;
    }
    size_t l = strlen(text);
    ASSERT(l < BS);
    memcpy(buffer.s, text, l + 1);
}

// Formats into the caller's 256-character buffer and returns its text. The
// formats used with it are short by construction; overflow is asserted.
const char* format_short(ShortText& buffer, const char* format, ...) ZU_PRINTF(2, 3);

// 64-bit FNV-1a of `size` bytes, continuing from `hash` (the FNV offset
// basis when a hash starts), so that several blocks can make one hash.
constexpr uint64_t FNV_OFFSET = 0xcbf29ce484222325ULL;
inline uint64_t hash_bytes(const void* data, size_t size, uint64_t hash = FNV_OFFSET)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ p[i]) * 0x100000001b3ULL;
    return hash;
}

// hash_bytes of one value's bytes; only for values without padding (scalars
// and arrays of them), whose every byte is set.
template <typename T> inline uint64_t hash_value(uint64_t hash, const T& value)
{
    return hash_bytes(&value, sizeof value, hash);
}

// A hash of a large block, ten times as fast as hash_bytes: four FNV-1a
// lanes over eight-byte words, so the multiplications overlap, with the
// bytes past the last 32 added one by one (a change of one word always
// changes its lane's result). Its values differ from hash_bytes's, and the words are read in the
// machine's byte order (hash_value reads values so too).
inline uint64_t hash_block(const void* data, size_t size, uint64_t hash = FNV_OFFSET)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    uint64_t lanes[4] = {hash, hash ^ 1, hash ^ 2, hash ^ 3};
    size_t whole = size & ~static_cast<size_t>(31);
    for (size_t i = 0; i < whole; i += 32)
        for (int k = 0; k < 4; ++k) {
            uint64_t word;
            memcpy(&word, p + i + 8 * k, 8);
            lanes[k] = (lanes[k] ^ word) * 0x100000001b3ULL;
        }
    return hash_bytes(p + whole, size - whole, hash_bytes(lanes, sizeof lanes, hash));
}
