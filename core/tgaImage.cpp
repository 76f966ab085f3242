// tgaImage.cpp - the reader of uncompressed 32-bit TGA images.
#include "tgaImage.h"

#include <limits.h>

#include "paths.h"
#include "stream.h"

// Pixels are read straight into 32-bit values: bytes B, G, R, A become 0xAARRGGBB.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "TGA pixels are read as little-endian words");

enum {
    TGA_TYPE_TRUE_COLOUR = 2,
    TGA_BITS = 32,
};

static int read_u16(const uint8_t* p)
{
    return p[0] | (p[1] << 8);
}

// The pixel bytes must all be in the file before the array is sized, so that a
// header claiming a huge image in a short file costs no memory; an image that
// a 32-bit byte count cannot hold is refused as well.
static void check_pixel_bytes(FileInputStream& in, int64_t bytes)
{
    if (bytes > INT32_MAX)
        throw InputStream::Exception("TGA image too large", in.tell());
    if (in.bytes_left() < bytes)
        throw InputStream::Exception("TGA file too short", in.tell());
}

bool load_tga(const char* name, int* width, int* height, DynArray<uint32_t>* pixels)
{
    PathText path;
    FileInputStream in;
    if (!in.open(resolve_path(path, name), "rb"))
        return false;
    try {
        uint8_t header[TGA_HEADER_SIZE];
        in.read(header, sizeof header);
        if (header[2] != TGA_TYPE_TRUE_COLOUR || header[16] != TGA_BITS)
            throw InputStream::Exception("unsupported TGA format", in.tell());
        int w = read_u16(header + 12);
        int h = read_u16(header + 14);
        if (w == 0 || h == 0)
            throw InputStream::Exception("zero-sized TGA image", in.tell());
        int64_t bytes = static_cast<int64_t>(w) * h * 4;
        check_pixel_bytes(in, bytes);
        pixels->resize(w * h);
        in.read(pixels->data(), static_cast<int32_t>(bytes));
        *width = w;
        *height = h;
    } catch (const StreamIOException&) {
        return false;
    }
    return true;
}
