// levelContent.cpp - compiles the level content sources into "level.pal" and "tiles.bin".
//
//   levelContent PALETTE.palette OUT.pal OUT.bin TILES.txt...
//
// The palette source lists one colour a line: "index name #RRGGBB". A tile
// source holds any number of tiles:
//
//   legend              colours for all the tiles that follow:
//     s steel           indented, a character and a palette colour name;
//     x hole            "hole" cuts; '.' is always empty
//   tile NAME
//   size NX NY NZ       in tile voxels (each becomes 2x2x2 level voxels)
//   offset DX DY DZ     in level voxels
//   colors              more legend entries, for this tile only
//   layer K or K1-K2    depth layer(s), then NY rows of NX characters, top row first
//
// "#" starts a comment only at the start of a line. Errors name the file and
// line and make the program return 1.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "gen/levelTiles.h"

namespace {

// The voxel value that cuts a hole when stamped.
const uint8_t HOLE = 0x40;

struct Failure {
    std::string message;
};

struct Source {
    std::string file;
    std::vector<std::string> lines;
    size_t at = 0; // next line

    [[noreturn]] void fail(const std::string& what) const
    {
        throw Failure{file + ":" + std::to_string(at) + ": " + what};
    }
};

struct Tile {
    std::string name;
    int nx = 0, ny = 0, nz = 0;
    int dx = 0, dy = 0, dz = 0;
    std::vector<uint8_t> voxels;
    std::map<char, uint8_t> legend;
};

struct Palette {
    uint32_t colours[256] = {};
    std::map<std::string, uint8_t> byName;
};

Source read_source(const std::string& file)
{
    std::ifstream in(file);
    if (!in)
        throw Failure{file + ": can't open"};
    Source s;
    s.file = file;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        s.lines.push_back(line);
    }
    return s;
}

bool is_blank_or_comment(const std::string& line)
{
    size_t p = line.find_first_not_of(" \t");
    return p == std::string::npos || line[p] == '#';
}

// The next line that carries something, split into words; empty at the end.
std::vector<std::string> next_words(Source& s)
{
    while (s.at < s.lines.size()) {
        const std::string& line = s.lines[s.at++];
        if (is_blank_or_comment(line))
            continue;
        std::istringstream words(line);
        std::vector<std::string> out;
        for (std::string w; words >> w;)
            out.push_back(w);
        return out;
    }
    return {};
}

int to_int(const Source& s, const std::string& text)
{
    char* end = nullptr;
    long v = strtol(text.c_str(), &end, 10);
    if (text.empty() || *end)
        s.fail("'" + text + "' is not a number");
    return static_cast<int>(v);
}

Palette read_palette(const std::string& file)
{
    Source s = read_source(file);
    Palette p;
    for (std::vector<std::string> w = next_words(s); !w.empty(); w = next_words(s)) {
        if (w.size() != 3 || w[2].size() != 7 || w[2][0] != '#')
            s.fail("expected 'index name #RRGGBB'");
        int index = to_int(s, w[0]);
        if (index < 1 || index > 255 || (index & 0x3F) == 0)
            s.fail("index must be 1..255 and not 0x40, 0x80 or 0xC0 (those cut holes)");
        if (p.colours[index] || p.byName.count(w[1]))
            s.fail("index or name used twice");
        p.colours[index] = 0xFF000000u | static_cast<uint32_t>(strtoul(w[2].c_str() + 1, nullptr, 16));
        p.byName[w[1]] = static_cast<uint8_t>(index);
    }
    return p;
}

// Legend lines after "colors": a character and a colour name each.
void read_legend(Source& s, const Palette& palette, std::map<char, uint8_t>& legend)
{
    while (s.at < s.lines.size()) {
        const std::string& line = s.lines[s.at];
        size_t p = line.find_first_not_of(" \t");
        if (p == std::string::npos) {
            ++s.at;
            continue;
        }
        if (p == 0) // keywords start at the left margin, legend entries are indented
            return;
        ++s.at;
        std::istringstream words(line.substr(p + 1));
        std::string name;
        words >> name;
        if (name.empty())
            s.fail("expected a character and a colour name");
        if (name == "hole") {
            legend[line[p]] = HOLE;
            continue;
        }
        auto found = palette.byName.find(name);
        if (found == palette.byName.end())
            s.fail("unknown colour '" + name + "'");
        legend[line[p]] = found->second;
    }
}

void read_layers(Source& s, Tile& t, const std::vector<std::string>& w)
{
    if (t.nx == 0)
        s.fail("'layer' before 'size'");
    if (w.size() != 2)
        s.fail("expected 'layer K' or 'layer K1-K2'");
    size_t dash = w[1].find('-');
    int k0 = to_int(s, w[1].substr(0, dash));
    int k1 = dash == std::string::npos ? k0 : to_int(s, w[1].substr(dash + 1));
    if (k0 < 0 || k1 < k0 || k1 >= t.nz)
        s.fail("layer outside the tile");
    for (int row = 0; row < t.ny; ++row) {
        if (s.at >= s.lines.size())
            s.fail("the layer ends early");
        const std::string& line = s.lines[s.at++];
        if (static_cast<int>(line.size()) != t.nx)
            s.fail("a row must have " + std::to_string(t.nx) + " characters");
        int j = t.ny - 1 - row;
        for (int i = 0; i < t.nx; ++i) {
            uint8_t v = 0;
            if (line[i] != '.') {
                auto found = t.legend.find(line[i]);
                if (found == t.legend.end())
                    s.fail(std::string("no colour for '") + line[i] + "'");
                v = found->second;
            }
            for (int k = k0; k <= k1; ++k)
                t.voxels[i + t.nx * (j + t.ny * k)] = v;
        }
    }
}

void read_tiles(const std::string& file, const Palette& palette, std::vector<Tile>& tiles)
{
    Source s = read_source(file);
    std::map<char, uint8_t> shared;
    Tile* t = nullptr;
    for (std::vector<std::string> w = next_words(s); !w.empty(); w = next_words(s)) {
        if (w[0] == "legend") {
            read_legend(s, palette, shared);
        } else if (w[0] == "colors" && t) {
            read_legend(s, palette, t->legend);
        } else if (w[0] == "tile" && w.size() == 2) {
            tiles.push_back(Tile());
            t = &tiles.back();
            t->name = w[1];
            t->legend = shared;
        } else if (!t) {
            s.fail("expected 'tile NAME' or 'legend'");
        } else if (w[0] == "size" && w.size() == 4) {
            t->nx = to_int(s, w[1]);
            t->ny = to_int(s, w[2]);
            t->nz = to_int(s, w[3]);
            if (t->nx < 1 || t->ny < 1 || t->nz < 1 || t->nx > 255 || t->ny > 255 || t->nz > 255)
                s.fail("sizes must be 1..255");
            t->voxels.assign(size_t(t->nx) * t->ny * t->nz, 0);
        } else if (w[0] == "offset" && w.size() == 4) {
            t->dx = to_int(s, w[1]);
            t->dy = to_int(s, w[2]);
            t->dz = to_int(s, w[3]);
        } else if (w[0] == "layer") {
            read_layers(s, *t, w);
        } else {
            s.fail("unknown line '" + w[0] + "'");
        }
    }
}

std::vector<uint8_t> pack(const void* data, size_t size)
{
    uLongf packedSize = compressBound(static_cast<uLong>(size));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, static_cast<const Bytef*>(data), static_cast<uLong>(size), 9)
        != Z_OK)
        throw Failure{"zlib failed"};
    packed.resize(packedSize);
    return packed;
}

void write_file(
    const std::string& file, const void* header, size_t headerSize, const std::vector<uint8_t>& body)
{
    FILE* f = fopen(file.c_str(), "wb");
    if (!f)
        throw Failure{file + ": can't create"};
    bool ok = fwrite(header, 1, headerSize, f) == headerSize
        && fwrite(body.data(), 1, body.size(), f) == body.size();
    ok = fclose(f) == 0 && ok;
    if (!ok)
        throw Failure{file + ": can't write"};
}

void write_palette(const std::string& file, const Palette& p)
{
    std::vector<uint8_t> packed = pack(p.colours, sizeof p.colours);
    LevelPaletteHeader h = {LEVEL_PALETTE_TAG, 256, static_cast<int32_t>(packed.size())};
    write_file(file, &h, sizeof h, packed);
}

// The unpacked block: the records, then the names, then the voxels.
void write_tiles(const std::string& file, const std::vector<Tile>& tiles)
{
    std::vector<uint8_t> block(tiles.size() * sizeof(LevelTileRecord));
    std::vector<LevelTileRecord> records;
    for (const Tile& t : tiles) {
        if (t.nx == 0)
            throw Failure{"tile " + t.name + " has no size"};
        LevelTileRecord r = {static_cast<uint16_t>(t.nx), static_cast<uint16_t>(t.ny),
            static_cast<uint16_t>(t.nz), static_cast<int16_t>(t.dx), static_cast<int16_t>(t.dy),
            static_cast<int16_t>(t.dz), 0, static_cast<uint32_t>(block.size())};
        block.insert(block.end(), t.name.begin(), t.name.end());
        block.push_back(0);
        records.push_back(r);
    }
    for (size_t i = 0; i < tiles.size(); ++i) {
        records[i].voxelOffset = static_cast<uint32_t>(block.size());
        block.insert(block.end(), tiles[i].voxels.begin(), tiles[i].voxels.end());
    }
    memcpy(block.data(), records.data(), records.size() * sizeof(LevelTileRecord));
    std::vector<uint8_t> packed = pack(block.data(), block.size());
    LevelTilesHeader h = {LEVEL_TILES_TAG, static_cast<uint32_t>(tiles.size()),
        static_cast<uint32_t>(block.size()), static_cast<int32_t>(packed.size())};
    write_file(file, &h, sizeof h, packed);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        fprintf(stderr, "usage: levelContent PALETTE.palette OUT.pal OUT.bin TILES.txt...\n");
        return 1;
    }
    try {
        Palette palette = read_palette(argv[1]);
        std::vector<Tile> tiles;
        for (int i = 4; i < argc; ++i)
            read_tiles(argv[i], palette, tiles);
        write_palette(argv[2], palette);
        write_tiles(argv[3], tiles);
        printf("level content: %zu tiles\n", tiles.size());
    } catch (const Failure& f) {
        fprintf(stderr, "levelContent: %s\n", f.message.c_str());
        return 1;
    }
    return 0;
}
