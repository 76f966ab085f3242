// fontGlyphsFuzz.cpp - the glyph table built from arbitrary font images.
//
// The input is a TGA file as "font.tga" is; an image that divides into the
// 16 x 16 grid gets its glyph table, and text is measured with it.
#include <stddef.h>
#include <stdint.h>

#include "core/tgaImage.h"
#include "fuzzSupport.h"
#include "kiln/glyphs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* path = fuzz_input_file(data, size);
    int width = 0, height = 0;
    DynArray<uint32_t> pixels;
    if (!load_tga(path, &width, &height, &pixels) || !font_grid_fits(width, height))
        return 0;
    static Glyph glyphs[GLYPH_COUNT];
    build_glyph_table(pixels.data(), width, height, glyphs);
    // Every glyph lies inside its own cell and spans the cell's height.
    int cellW = width / FONT_GRID, cellH = height / FONT_GRID;
    for (int c = 0; c < GLYPH_COUNT; ++c) {
        const Glyph& g = glyphs[c];
        int x0 = (c % FONT_GRID) * cellW;
        if (g.left < x0 || g.right > x0 + cellW || g.left >= g.right || g.bottom - g.top != cellH)
            __builtin_trap();
    }
    char all[GLYPH_COUNT];
    for (int c = 1; c < GLYPH_COUNT; ++c)
        all[c - 1] = static_cast<char>(c);
    all[GLYPH_COUNT - 1] = 0;
    TextLayout layout = {glyphs, cellH, 2, 1, 1};
    int w = 0, h = 0;
    glyph_text_extent(layout, all, -1, &w, &h);
    if (w < 0 || h < 0)
        __builtin_trap();
    return 0;
}
