// tgaImage.h - the reader of the one TGA variant both programs use for fonts.
//
// Uncompressed 32-bit true colour only: an 18-byte header followed directly by
// width x height pixels. The ID field is not skipped, so its bytes are read as
// the first pixels. Rows come back as stored (bottom row first for the usual
// bottom-left origin), each pixel's bytes B, G, R, A, i.e. 0xAARRGGBB values.
#pragma once

#include <stdint.h>

#include "../libs/inc/cont/zu_dynArray.h"

enum { TGA_HEADER_SIZE = 18 };

// Reads the image `name` (resolved against the program's directory). Any
// failure - missing file, another format, a zero or oversized size, a short
// file - returns false without logging; the caller reports.
bool load_tga(const char* name, int* width, int* height, DynArray<uint32_t>* pixels);
