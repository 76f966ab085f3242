// makeFont.cpp - build tool: turns the font source (assets/font.txt) into the
// 128 x 128 32-bit uncompressed TGA image "font.tga".
//
//   makeFont <font.txt> <font.tga>
//
// Every printable ASCII code (32-126) must be drawn exactly once; the other
// cells stay transparent. Any fault in the source stops the build with the
// file's line number.
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

enum {
    CELL = 8,
    GRID = 16,
    SIZE = CELL * GRID,
    FIRST_CODE = 32,
    LAST_CODE = 126,
};

static const uint32_t OPAQUE = 0xffffffffu;
// Transparent texels keep a white colour so that filtering never darkens edges.
static const uint32_t CLEAR = 0x00ffffffu;

struct FontSource {
    uint32_t pixels[SIZE][SIZE]; // [row from the top][column]
    bool drawn[256];
};

static bool fail(const char* file, int line, const char* what)
{
    fprintf(stderr, "%s:%d: %s\n", file, line, what);
    return false;
}

// The character a "char X" line names, or -1 when the line is not one.
static int glyph_code(const std::string& line)
{
    if (line.compare(0, 5, "char ") != 0)
        return -1;
    std::string name = line.substr(5);
    if (name == "space")
        return ' ';
    if (name.size() == 1)
        return static_cast<unsigned char>(name[0]);
    return -1;
}

static bool read_rows(FILE* in, const char* file, int* lineNo, int code, FontSource* font)
{
    int cellX = (code % GRID) * CELL;
    int cellY = (code / GRID) * CELL;
    char text[64];
    for (int row = 0; row < CELL; ++row) {
        if (!fgets(text, sizeof text, in))
            return fail(file, *lineNo, "glyph ends early");
        ++*lineNo;
        size_t len = strcspn(text, "\r\n");
        if (len != CELL)
            return fail(file, *lineNo, "a glyph row must be 8 pixels");
        for (int x = 0; x < CELL; ++x) {
            if (text[x] != '#' && text[x] != '.')
                return fail(file, *lineNo, "a pixel is '#' or '.'");
            font->pixels[cellY + row][cellX + x] = text[x] == '#' ? OPAQUE : CLEAR;
        }
    }
    return true;
}

static bool read_font(const char* file, FontSource* font)
{
    FILE* in = fopen(file, "r");
    if (!in)
        return fail(file, 0, "can't open");
    int lineNo = 0;
    char text[256];
    bool ok = true;
    while (ok && fgets(text, sizeof text, in)) {
        ++lineNo;
        std::string line(text, strcspn(text, "\r\n"));
        if (line.empty() || line[0] == '#')
            continue;
        int code = glyph_code(line);
        if (code < FIRST_CODE || code > LAST_CODE)
            ok = fail(file, lineNo, "expected \"char X\" with a printable character");
        else if (font->drawn[code])
            ok = fail(file, lineNo, "glyph drawn twice");
        else
            ok = read_rows(in, file, &lineNo, code, font);
        if (ok)
            font->drawn[code] = true;
    }
    fclose(in);
    for (int c = FIRST_CODE; ok && c <= LAST_CODE; ++c)
        if (!font->drawn[c])
            ok = fail(file, lineNo, "a printable character has no glyph");
    return ok;
}

// Header fields of an uncompressed true-colour image with 8 alpha bits and
// the bottom-left origin, so the rows are written bottom row first.
static bool write_tga(const char* file, const FontSource& font)
{
    uint8_t header[18] = {};
    header[2] = 2;
    header[12] = SIZE & 255, header[13] = SIZE >> 8;
    header[14] = SIZE & 255, header[15] = SIZE >> 8;
    header[16] = 32;
    header[17] = 8;
    std::vector<uint8_t> bytes(header, header + sizeof header);
    for (int y = SIZE - 1; y >= 0; --y)
        for (int x = 0; x < SIZE; ++x) {
            uint32_t p = font.pixels[y][x];
            for (int shift = 0; shift < 32; shift += 8)
                bytes.push_back(static_cast<uint8_t>(p >> shift));
        }
    FILE* out = fopen(file, "wb");
    if (!out)
        return fail(file, 0, "can't create");
    bool ok = fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    ok = fclose(out) == 0 && ok;
    return ok || fail(file, 0, "can't write");
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: makeFont <font.txt> <font.tga>\n");
        return 2;
    }
    static FontSource font;
    for (auto& row : font.pixels)
        for (uint32_t& p : row)
            p = CLEAR;
    if (!read_font(argv[1], &font) || !write_tga(argv[2], font)) {
        remove(argv[2]);
        return 1;
    }
    return 0;
}
