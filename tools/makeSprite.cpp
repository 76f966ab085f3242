// makeSprite.cpp - build tool: turns a voxel sprite source (assets/sprites/*.txt)
// into the sprite PNG the game loads.
//
//   makeSprite <sprite.txt> <sprite.png>
//
// The source is lines of text ('#' starts a comment line):
//   size NX NY NZ        the grid: NX across the depth when the model faces
//                        right, NY up, NZ from the front (z = 0) backwards
//   colour C #RRGGBB     the character C stands for an opaque colour; '.' is empty
//   front Z[-Z2]         NY rows of NX characters: the slice at z (the PNG's
//                        own layout), top row first, x = 0 at the left
//   side X[-X2]          NY rows of NZ characters: the layer at x as the
//                        player sees the model facing right, the back
//                        (z = NZ - 1) at the left and the front at the right
// A file uses front or side sections, not both, and gives each layer at most
// once; layers not given stay empty. The PNG is NZ slices of NX x NY pixels
// side by side, 8-bit RGBA, with the grid size in the text chunks
// "VoxelGridDimX", "VoxelGridDimY" and "VoxelGridDimZ". Any fault in the
// source stops the build with the file's line number.
#include <png.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

enum { MAX_DIM = 64 };

struct SpriteSource {
    int nx = 0, ny = 0, nz = 0;
    std::map<char, uint32_t> colours; // 0xAARRGGBB
    std::vector<uint32_t> voxels;     // x + nx * (y + ny * z)
    std::vector<bool> given;          // per layer of the section kind in use
    char kind = 0;                    // 'f' front, 's' side, 0 before the first section
};

struct Reader {
    const char* file;
    FILE* in;
    int line = 0;

    // The next line without its line end; false at the end of the file.
    bool next(std::string* text)
    {
        char buffer[512];
        if (!fgets(buffer, sizeof buffer, in))
            return false;
        ++line;
        *text = std::string(buffer, strcspn(buffer, "\r\n"));
        return true;
    }
    bool fail(const char* what) const
    {
        fprintf(stderr, "%s:%d: %s\n", file, line, what);
        return false;
    }
};

static bool parse_size(Reader& r, const std::string& line, SpriteSource* s)
{
    if (s->nx)
        return r.fail("size given twice");
    if (sscanf(line.c_str(), "size %d %d %d", &s->nx, &s->ny, &s->nz) != 3 || s->nx < 1 || s->ny < 1
        || s->nz < 1 || s->nx > MAX_DIM || s->ny > MAX_DIM || s->nz > MAX_DIM)
        return r.fail("expected \"size NX NY NZ\" with sizes 1-64");
    s->voxels.assign(static_cast<size_t>(s->nx) * s->ny * s->nz, 0);
    return true;
}

static bool parse_colour(Reader& r, const std::string& line, SpriteSource* s)
{
    char c;
    unsigned rgb;
    char tail;
    if (sscanf(line.c_str(), "colour %c #%6x%c", &c, &rgb, &tail) != 2 || line.size() != 16)
        return r.fail("expected \"colour C #RRGGBB\"");
    if (c == '.' || s->colours.count(c))
        return r.fail("colour character is '.' or already used");
    s->colours[c] = 0xff000000u | rgb;
    return true;
}

// The layer range of a section line "KIND A" or "KIND A-B".
static bool parse_range(Reader& r, const std::string& line, int limit, int* a, int* b)
{
    size_t space = line.find(' ');
    const char* p = line.c_str() + space + 1;
    char* end;
    long first = strtol(p, &end, 10), last = first;
    if (end == p)
        return r.fail("section without a layer number");
    if (*end == '-') {
        const char* q = end + 1;
        last = strtol(q, &end, 10);
        if (end == q)
            return r.fail("bad layer range");
    }
    if (*end || first < 0 || last < first || last >= limit)
        return r.fail("layer outside the grid");
    *a = static_cast<int>(first);
    *b = static_cast<int>(last);
    return true;
}

static bool parse_section(Reader& r, const std::string& line, SpriteSource* s)
{
    if (!s->nx)
        return r.fail("size must come before the first section");
    char kind = line[0] == 'f' ? 'f' : 's';
    if (s->kind && s->kind != kind)
        return r.fail("a file uses front or side sections, not both");
    if (!s->kind)
        s->given.assign(kind == 'f' ? s->nz : s->nx, false);
    s->kind = kind;
    int a, b;
    if (!parse_range(r, line, kind == 'f' ? s->nz : s->nx, &a, &b))
        return false;
    int across = kind == 'f' ? s->nx : s->nz;
    std::vector<uint32_t> rows;
    for (int row = 0; row < s->ny; ++row) {
        std::string text;
        if (!r.next(&text))
            return r.fail("section ends early");
        if (static_cast<int>(text.size()) != across)
            return r.fail(
                kind == 'f' ? "a front row must be NX characters" : "a side row must be NZ characters");
        for (char c : text) {
            if (c == '.')
                rows.push_back(0);
            else if (s->colours.count(c))
                rows.push_back(s->colours[c]);
            else
                return r.fail("character without a colour");
        }
    }
    for (int layer = a; layer <= b; ++layer) {
        if (s->given[layer])
            return r.fail("layer given twice");
        s->given[layer] = true;
        for (int row = 0; row < s->ny; ++row)
            for (int col = 0; col < across; ++col) {
                int y = s->ny - 1 - row;
                int x = kind == 'f' ? col : layer;
                int z = kind == 'f' ? layer : s->nz - 1 - col;
                s->voxels[x + s->nx * (y + s->ny * z)] = rows[row * across + col];
            }
    }
    return true;
}

static bool read_source(const char* file, SpriteSource* s)
{
    Reader r{file, fopen(file, "r")};
    if (!r.in)
        return r.fail("can't open");
    bool ok = true;
    std::string line;
    while (ok && r.next(&line)) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line.compare(0, 5, "size ") == 0)
            ok = parse_size(r, line, s);
        else if (line.compare(0, 7, "colour ") == 0)
            ok = parse_colour(r, line, s);
        else if (line.compare(0, 6, "front ") == 0 || line.compare(0, 5, "side ") == 0)
            ok = parse_section(r, line, s);
        else
            ok = r.fail("expected size, colour, front or side");
    }
    fclose(r.in);
    if (ok && !s->kind)
        ok = r.fail("no voxels");
    return ok;
}

// Encodes the pixels (8-bit RGBA rows) with the grid size as text chunks;
// false when libpng reports an error.
static bool encode_png(
    png_structp png, png_infop info, FILE* out, const SpriteSource& s, const std::vector<uint8_t>& rgba)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    int width = s.nx * s.nz, height = s.ny;
    png_init_io(png, out);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
        PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    static char KEYS[3][16] = {"VoxelGridDimX", "VoxelGridDimY", "VoxelGridDimZ"};
    static char values[3][16];
    static png_text texts[3];
    const int dims[3] = {s.nx, s.ny, s.nz};
    for (int i = 0; i < 3; ++i) {
        snprintf(values[i], sizeof values[i], "%d", dims[i]);
        texts[i].compression = PNG_TEXT_COMPRESSION_NONE;
        texts[i].key = KEYS[i];
        texts[i].text = values[i];
    }
    png_set_text(png, info, texts, 3);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, &rgba[static_cast<size_t>(y) * width * 4]);
    png_write_end(png, info);
    return true;
}

static bool write_png(const char* file, const SpriteSource& s)
{
    int width = s.nx * s.nz, height = s.ny;
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    for (int py = 0; py < height; ++py)
        for (int px = 0; px < width; ++px) {
            int x = px % s.nx, y = s.ny - 1 - py, z = px / s.nx;
            uint32_t v = s.voxels[x + s.nx * (y + s.ny * z)];
            uint8_t* p = &rgba[(static_cast<size_t>(py) * width + px) * 4];
            p[0] = static_cast<uint8_t>(v >> 16), p[1] = static_cast<uint8_t>(v >> 8);
            p[2] = static_cast<uint8_t>(v), p[3] = static_cast<uint8_t>(v >> 24);
        }
    FILE* out = fopen(file, "wb");
    if (!out) {
        fprintf(stderr, "%s: can't create\n", file);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = info && encode_png(png, info, out, s, rgba);
    png_destroy_write_struct(&png, &info);
    ok = fclose(out) == 0 && ok;
    if (!ok)
        fprintf(stderr, "%s: can't write\n", file);
    return ok;
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: makeSprite <sprite.txt> <sprite.png>\n");
        return 2;
    }
    SpriteSource source;
    if (!read_source(argv[1], &source) || !write_png(argv[2], source)) {
        remove(argv[2]);
        return 1;
    }
    return 0;
}
