// packedMutator.h - mutations that get past the zlib checksums of the level files.
//
// Both level files are a header and one zlib stream. Mutating the file's bytes
// almost always breaks the stream, so the reader stops at "error unpacking
// data" and never reaches the checks behind it. These mutators unpack the
// stream, let libFuzzer mutate what it holds, pack it again and fix the
// header; now and then they mutate the raw file instead, so the header and
// stream checks stay covered too.
#pragma once

#include <stddef.h>
#include <stdint.h>

// "tiles.bin": tag, record count, unpacked size, packed size, stream. The
// count and the unpacked block are mutated together.
size_t mutate_tiles_file(uint8_t* data, size_t size, size_t max_size, unsigned seed);
// "level.pal": tag, colour count, packed size, stream of count colours.
size_t mutate_palette_file(uint8_t* data, size_t size, size_t max_size, unsigned seed);
