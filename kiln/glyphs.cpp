// glyphs.cpp - the glyph table of a 16 x 16 grid bitmap font and its text extent.
#include "glyphs.h"

#include <string.h>

bool font_grid_fits(int width, int height)
{
    return width % FONT_GRID == 0 && height % FONT_GRID == 0;
}

static bool column_has_alpha(const uint32_t* pixels, int width, int x, int y0, int cellH)
{
    for (int y = y0; y < y0 + cellH; ++y)
        if (pixels[y * width + x] >> 24)
            return true;
    return false;
}

void build_glyph_table(const uint32_t* pixels, int width, int height, Glyph glyphs[GLYPH_COUNT])
{
    int cellW = width / FONT_GRID;
    int cellH = height / FONT_GRID;
    for (int c = 0; c < GLYPH_COUNT; ++c) {
        // Rows of cells count from the top of the picture; the pixels are
        // stored bottom row first.
        int x0 = (c % FONT_GRID) * cellW;
        int y0 = (FONT_GRID - 1 - c / FONT_GRID) * cellH;
        int left = x0;
        while (left < x0 + cellW && !column_has_alpha(pixels, width, left, y0, cellH))
            ++left;
        int last;
        if (left == x0 + cellW) {
            left = x0;
            last = x0 + cellW / 2;
        } else {
            last = x0 + cellW - 1;
            while (last > left && !column_has_alpha(pixels, width, last, y0, cellH))
                --last;
        }
        glyphs[c] = {left, y0, last + 1, y0 + cellH};
    }
}

void glyph_text_extent(const TextLayout& layout, const char* text, int length, int* width, int* height)
{
    if (!text)
        text = "";
    if (length < 0)
        length = static_cast<int>(strlen(text));
    int widest = 0, lineWidth = 0, lineChars = 0, h = 0;
    for (int i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            if (lineWidth > widest)
                widest = lineWidth;
            h += layout.scale * layout.cellH + layout.lineSpacing;
            lineWidth = lineChars = 0;
            continue;
        }
        const Glyph& g = layout.glyphs[c];
        lineWidth += (g.right - g.left + 1) * layout.scale + layout.letterSpacing;
        ++lineChars;
    }
    if (lineWidth > widest)
        widest = lineWidth;
    if (lineChars > 0)
        h += layout.scale * layout.cellH;
    *width = widest;
    *height = h;
}
