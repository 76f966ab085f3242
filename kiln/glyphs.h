// glyphs.h - the glyph table of a 16 x 16 grid bitmap font and its text extent.
//
// Shared by the game's font module and the launcher's software renderer: both
// build their table from the alpha channel of "font.tga" and measure text by
// the same rules. Nothing here draws.
#pragma once

#include <stdint.h>

enum {
    GLYPH_COUNT = 256,
    FONT_GRID = 16, // cells across and down
};

// Texel rectangle of one glyph in the stored (bottom-row-first) image; right
// and bottom are exclusive. The pixel width is right - left; the height is
// always the cell height.
struct Glyph {
    int32_t left, top, right, bottom;
};

// How text is measured: the font's glyphs and cell height, the magnification
// and the extra display pixels after each line and after each character.
struct TextLayout {
    const Glyph* glyphs;
    int cellH;
    int scale;
    int lineSpacing;
    int letterSpacing;
};

// True when an image of this size divides into the 16 x 16 grid.
bool font_grid_fits(int width, int height);

// Fills the 256 records from the image (width x height pixels, bottom row
// first, sizes multiples of 16). A glyph spans the cell's columns from the
// first to the last holding any pixel with non-zero alpha; an empty cell is
// half a cell wide.
void build_glyph_table(const uint32_t* pixels, int width, int height, Glyph glyphs[GLYPH_COUNT]);

// The size drawing the text would cover: length -1 means up to the
// terminator, a null text is empty. Every glyph is followed by a one-pixel gap
// (magnified); a line feed starts a new line.
void glyph_text_extent(const TextLayout& layout, const char* text, int length, int* width, int* height);
