// The glyph table built from a font image's alpha, and the text extent rules.
#include "kiln/glyphs.h"

#include <gtest/gtest.h>

#include <vector>

// A transparent image of w x h pixels, bottom row first, with opaque texels
// placed by picture coordinates (row 0 at the top).
struct FontImage {
    FontImage(int width, int height)
        : w(width)
        , h(height)
        , pixels(static_cast<size_t>(width * height), 0x00ffffffu)
    {
    }
    void set(int x, int yFromTop, uint32_t alpha = 0xff)
    {
        pixels[static_cast<size_t>((h - 1 - yFromTop) * w + x)] = (alpha << 24) | 0xffffff;
    }
    void build() { build_glyph_table(pixels.data(), w, h, glyphs); }

    int w, h;
    std::vector<uint32_t> pixels;
    Glyph glyphs[GLYPH_COUNT];
};

TEST(GlyphTable, GlyphsSpanTheirOpaqueColumnsInTheStoredImage)
{
    FontImage font(128, 128);
    // 'A' (65) is column 1, row 4 from the top: cell x 8..15, picture y 32..39.
    font.set(10, 33);
    font.set(12, 38, 1); // the faintest alpha still counts
    font.build();
    const Glyph& a = font.glyphs['A'];
    EXPECT_EQ(a.left, 10);
    EXPECT_EQ(a.right, 13);
    EXPECT_EQ(a.top, (15 - 4) * 8) << "stored bottom row first";
    EXPECT_EQ(a.bottom, a.top + 8);
}

TEST(GlyphTable, EmptyCellsAreHalfACellWide)
{
    FontImage font(256, 128); // 16 x 8 cells
    font.build();
    const Glyph& space = font.glyphs[' '];
    EXPECT_EQ(space.left, 0);
    EXPECT_EQ(space.right - space.left, 16 / 2 + 1);
    EXPECT_EQ(space.bottom - space.top, 8);
    int w, h;
    glyph_text_extent({font.glyphs, 8, 3, 0, 0}, " ", -1, &w, &h);
    EXPECT_EQ(w, (16 / 2 + 2) * 3) << "including its one-pixel gap";
    EXPECT_EQ(h, 8 * 3);
}

TEST(GlyphTable, OnlyGridSizesFit)
{
    EXPECT_TRUE(font_grid_fits(128, 128));
    EXPECT_TRUE(font_grid_fits(256, 128));
    EXPECT_FALSE(font_grid_fits(250, 256));
    EXPECT_FALSE(font_grid_fits(256, 250));
}

class TextExtent : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Every glyph 4 pixels wide, so each character measures 5 with its gap.
        for (int c = 0; c < GLYPH_COUNT; ++c)
            glyphs[c] = {0, 0, 4, 8};
        glyphs['W'] = {0, 0, 6, 8};
    }
    void measure(const char* text, int length = -1, int scale = 1, int lineSpacing = 0, int letterSpacing = 0)
    {
        glyph_text_extent({glyphs, 8, scale, lineSpacing, letterSpacing}, text, length, &w, &h);
    }
    Glyph glyphs[GLYPH_COUNT];
    int w = -1, h = -1;
};

TEST_F(TextExtent, EmptyNullAndZeroLengthMeasureNothing)
{
    measure(nullptr);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    measure("abc", 0);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
}

TEST_F(TextExtent, LinesTakeTheWidestAndStackWithSpacing)
{
    measure("a\nWb", -1, 2, 3);
    EXPECT_EQ(w, (7 + 5) * 2);
    EXPECT_EQ(h, 2 * 16 + 3);
    measure("ab\n", -1, 2, 3);
    EXPECT_EQ(w, 10 * 2);
    EXPECT_EQ(h, 16 + 3) << "a closing line feed adds no empty line";
}

TEST_F(TextExtent, LengthCutsTheTextAndLetterSpacingFollowsEveryCharacter)
{
    measure("abcdef", 2, 1, 0, 4);
    EXPECT_EQ(w, 2 * (5 + 4));
    EXPECT_EQ(h, 8);
}
