// xwdToPng.cpp - test tool: turns a window dump of xwd (32 bits per pixel,
// true or direct colour) into a PNG and prints chosen pixels.
//
//   xwdToPng <in.xwd> <out.png> [x,y ...]
//
// Each x,y prints a line "x,y RRGGBB". Exit code 1 when the dump cannot be read.
#include <stdint.h>
#include <stdio.h>

#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

enum { XWD_HEADER_WORDS = 25, XWD_COLOUR_SIZE = 12, LSB_FIRST = 0 };

// Header fields used here, by their index among the 25 big-endian words.
enum {
    HEADER_SIZE = 0,
    WIDTH = 4,
    HEIGHT = 5,
    PIXEL_BYTE_ORDER = 7,
    BITS_PER_PIXEL = 11,
    BYTES_PER_LINE = 12,
    RED_MASK = 14,
    GREEN_MASK = 15,
    BLUE_MASK = 16,
    COLOURS = 19,
};

static uint32_t big_endian(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

static uint8_t channel(uint32_t v, uint32_t mask)
{
    if (!mask)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    return static_cast<uint8_t>((v & mask) >> shift);
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: xwdToPng <in.xwd> <out.png> [x,y ...]\n");
        return 2;
    }
    FILE* f = fopen(argv[1], "rb");
    if (!f)
        return 1;
    std::vector<uint8_t> d;
    uint8_t chunk[65536];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, f)) > 0;)
        d.insert(d.end(), chunk, chunk + n);
    fclose(f);
    if (d.size() < XWD_HEADER_WORDS * 4)
        return 1;
    uint32_t h[XWD_HEADER_WORDS];
    for (int i = 0; i < XWD_HEADER_WORDS; ++i)
        h[i] = big_endian(&d[static_cast<size_t>(i) * 4]);
    int w = static_cast<int>(h[WIDTH]), ht = static_cast<int>(h[HEIGHT]);
    size_t offset = h[HEADER_SIZE] + size_t(h[COLOURS]) * XWD_COLOUR_SIZE;
    if (h[BITS_PER_PIXEL] != 32 || offset + size_t(h[BYTES_PER_LINE]) * ht > d.size()) {
        fprintf(stderr, "xwdToPng: only complete 32-bit dumps are read\n");
        return 1;
    }
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * ht * 3);
    for (int y = 0; y < ht; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &d[offset + size_t(y) * h[BYTES_PER_LINE] + size_t(x) * 4];
            uint32_t v = h[PIXEL_BYTE_ORDER] == LSB_FIRST
                ? (p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24))
                : big_endian(p);
            uint8_t* o = &rgb[(size_t(y) * w + x) * 3];
            o[0] = channel(v, h[RED_MASK]);
            o[1] = channel(v, h[GREEN_MASK]);
            o[2] = channel(v, h[BLUE_MASK]);
        }
    if (!stbi_write_png(argv[2], w, ht, 3, rgb.data(), w * 3))
        return 1;
    for (int i = 3; i < argc; ++i) {
        int x, y;
        if (sscanf(argv[i], "%d,%d", &x, &y) != 2 || x < 0 || y < 0 || x >= w || y >= ht)
            return 1;
        const uint8_t* o = &rgb[(size_t(y) * w + x) * 3];
        printf("%d,%d %02X%02X%02X\n", x, y, o[0], o[1], o[2]);
    }
    return 0;
}
