// The launcher's software renderer: blending, clipping, outlines, glyphs with
// magnification and clipping, text alignment, font loading and the buffer.
#include "launcher/swrender.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "deathTest.h"
#include "tgaWriter.h"

TEST(Blend, AlphaZeroKeepsTheColourAndClearsTheTopByte)
{
    EXPECT_EQ(blend_pixel(0xff123456, 0x00abcdef), 0x00123456u);
}

TEST(Blend, AlphaFullWritesTheColourOverBlackAndMidAlphaRounds)
{
    EXPECT_EQ(blend_pixel(0x00000000, 0xffabcdef), 0x00abcdefu);
    EXPECT_EQ(blend_pixel(0x00ffffff, 0xff000000 | 0xffffff), 0x00ffffffu);
    EXPECT_EQ(blend_pixel(0x00000000, 0x80ffffff), 0x00808080u) << "255 x 128 / 255";
    EXPECT_EQ(blend_pixel(0x00ff0000, 0x800000ff), 0x00800080u) << "the packed pair rounds a falling red up";
}

// A software renderer on a w x h buffer filled with a background colour.
class SoftwareCanvas : public ::testing::Test {
protected:
    void make(int w, int h, uint32_t background = 0x00204060, int padding = 0)
    {
        width = w, height = h, pitchPixels = w + padding;
        pixels.assign(static_cast<size_t>(pitchPixels * h), background);
        r.set_buffer(pixels.data(), pitchPixels * 4, w, h);
    }
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y * pitchPixels + x)]; }
    int count_not(uint32_t background) const
    {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                n += at(x, y) != background;
        return n;
    }

    SoftwareGuiRenderer r;
    std::vector<uint32_t> pixels;
    int width = 0, height = 0, pitchPixels = 0;
};

TEST_F(SoftwareCanvas, FillsAreClippedToTheBuffer)
{
    make(10, 10);
    r.fill_rect(-5, -5, 3, 2, 0xffffffff);
    EXPECT_EQ(count_not(0x00204060), 6);
    EXPECT_EQ(at(2, 1), 0x00ffffffu);
    r.fill_rect(8, 8, 20, 20, 0xff000000);
    EXPECT_EQ(count_not(0x00204060), 10);
    r.fill_rect(20, 0, 30, 5, 0xff000000);
    r.fill_rect(3, 3, 3, 9, 0xff000000);
    EXPECT_EQ(count_not(0x00204060), 10) << "outside or empty rectangles draw nothing";
}

TEST_F(SoftwareCanvas, CoordinatesRoundToTheNearestPixel)
{
    make(10, 10);
    r.fill_rect(0.6f, 1.4f, 2.4f, 2.5f, 0xffffffff);
    EXPECT_EQ(count_not(0x00204060), 2);
    EXPECT_NE(at(1, 1), 0x00204060u);
    EXPECT_NE(at(1, 2), 0x00204060u);
}

TEST_F(SoftwareCanvas, AFrameTouchesExactlyTheBorderPixels)
{
    make(12, 12);
    r.frame_rect(0, 0, 9, 9, 0xffffffff);
    EXPECT_EQ(count_not(0x00204060), 36);
    EXPECT_NE(at(9, 9), 0x00204060u) << "column x1 and row y1 belong to it";
    EXPECT_EQ(at(5, 5), 0x00204060u);
}

TEST_F(SoftwareCanvas, ClearWritesEveryPixelButNotThePadding)
{
    make(4, 3, 0x11111111, 2);
    r.clear(0xff808080);
    EXPECT_EQ(at(3, 2), 0xff808080u) << "unblended";
    EXPECT_EQ(pixels[4], 0x11111111u) << "the pitch skips the padding";
    EXPECT_EQ(r.pixelScale(), 8) << "no font selected";
}

TEST_F(SoftwareCanvas, DrawingWithoutABufferOrFontIsFatal)
{
    SoftwareGuiRenderer bare;
    EXPECT_FATAL(bare.fill_rect(0, 0, 1, 1, 0), "swrender.cpp\\([0-9]+\\): failed ASSERT\\(buffer\\)");
    EXPECT_FATAL(bare.clear(0), "failed ASSERT\\(buffer\\)");
    make(4, 4);
    EXPECT_FATAL(r.draw_text("a", -1, 0, 0, 0, 0, 0xffffffff, 1), "failed ASSERT\\(curFont\\)");
    float w, h;
    EXPECT_FATAL(r.text_extent("a", -1, &w, &h, 1), "failed ASSERT\\(curFont\\)");
}

// A 128 x 128 font whose "A" is two texels wide: a white column and a blue one.
class SoftwareText : public SoftwareCanvas {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tarnwick-font-XXXXXX";
        dir = mkdtemp(pattern);
        std::vector<uint32_t> image(128 * 128, 0);
        for (int row = 32; row < 40; ++row) {
            int stored = 127 - row;
            image[static_cast<size_t>(stored * 128 + 8)] = 0xffffffff;
            image[static_cast<size_t>(stored * 128 + 9)] = 0xff0000ff;
        }
        ASSERT_TRUE(write_test_tga(dir + "/font.tga", 128, 128, image));
        font = r.load_font((dir + "/font.tga").c_str());
        r.set_font(font);
    }
    void TearDown() override { EXPECT_EQ(system(("rm -rf '" + dir + "'").c_str()), 0); }

    std::string dir;
    SoftwareFont* font = nullptr;
};

TEST_F(SoftwareText, TheFontGivesTheGlyphsAndThePixelScale)
{
    EXPECT_EQ(r.pixelScale(), 8);
    EXPECT_EQ(font->glyphs['A'].right - font->glyphs['A'].left, 2);
    float w, h;
    r.text_extent("AA\nA", -1, &w, &h, 2);
    EXPECT_EQ(w, 12);
    EXPECT_EQ(h, 32);
}

TEST_F(SoftwareText, GlyphsAreMagnifiedAndShadowed)
{
    make(20, 20, 0x00000000);
    r.draw_text("A", -1, 2, 3, -1, -1, 0xffffffff, 2);
    EXPECT_EQ(at(2, 3), 0x00ffffffu);
    EXPECT_EQ(at(3, 18), 0x00ffffffu) << "2 x 8 rows";
    EXPECT_EQ(at(4, 3), 0x000000ffu);
    EXPECT_EQ(at(5, 3), 0x000000ffu);
    EXPECT_EQ(at(2, 19), 0x00000000u) << "the shadow is black";
    EXPECT_EQ(count_not(0), 4 * 16) << "the shadow only darkens";
}

TEST_F(SoftwareText, AGlyphCutAtTheLeftStartsInsideAMagnifiedTexel)
{
    make(8, 20, 0x00808080);
    r.draw_text("A", -1, -3, 0, -1, -1, 0xffffffff, 2);
    // Columns -3,-2 are the white texel, -1,0 the blue one: x 0 is the second
    // half of the blue texel. The shadow one pixel right covers x 0 and 1.
    EXPECT_EQ(at(0, 0), blend_pixel(0x00808080, 0xff0000ff)) << "the blue texel";
    EXPECT_EQ(at(1, 0), 0x00808080u) << "nothing of the glyph reaches x 1";
    EXPECT_EQ(at(1, 1), blend_pixel(0x00808080, 0x7f000000)) << "half-alpha black shadow";
    EXPECT_EQ(at(2, 1), 0x00808080u);
}

TEST_F(SoftwareText, CentredTextHasItsBlockTopLeftAtHalfTheExtent)
{
    make(100, 100, 0x00000000);
    float w, h;
    r.text_extent("AAA", -1, &w, &h, 1);
    EXPECT_EQ(w, 9);
    r.draw_text("AAA", -1, 50, 40, 0, 0, 0xffffffff, 1);
    EXPECT_EQ(at(50 - 9 / 2, 40 - 8 / 2), 0x00ffffffu);
    EXPECT_EQ(at(50 - 9 / 2 - 1, 40 - 8 / 2), 0x00000000u);
    r.draw_text("A", -1, 10, 90, 1, 1, 0xffffffff, 1);
    EXPECT_EQ(at(10 - 3, 90 - 8), 0x00ffffffu) << "right and bottom alignment";
}

TEST_F(SoftwareText, TextColourModulatesTheTexels)
{
    make(10, 10, 0x00000000);
    r.draw_text("A", 1, 0, 0, -1, -1, 0xff00ff00, 1);
    EXPECT_EQ(at(0, 0), 0x0000ff00u);
    EXPECT_EQ(at(1, 0), 0x00000000u) << "blue texel times green text";
    r.draw_text(nullptr, -1, 0, 0, 0, 0, 0xffffffff, 1);
    r.draw_text(" \n", -1, 0, 0, 0, 0, 0xffffffff, 1);
}

TEST(SoftwareFontLoading, FailuresAreFatalWithTheirMessages)
{
    SoftwareGuiRenderer r;
    EXPECT_FATAL(r.load_font("/nonexistent/font.tga"), "ERROR: can't load font from /nonexistent/font.tga");
    char pattern[] = "/tmp/tarnwick-font-XXXXXX";
    std::string dir = mkdtemp(pattern);
    ASSERT_TRUE(write_test_tga(dir + "/odd.tga", 250, 256, std::vector<uint32_t>(250 * 256, 0)));
    std::string name = dir + "/odd.tga";
    EXPECT_FATAL(r.load_font(name.c_str()), "expected 16x16 font grid in .*odd.tga, got 250x256 image");
    EXPECT_EQ(system(("rm -rf '" + dir + "'").c_str()), 0);
}

TEST(ScreenBufferSize, IsAtLeastOnePixelAndLogsChanges)
{
    ScreenBuffer b;
    testing::internal::CaptureStdout();
    resize_screen_buffer(&b, 640, 0);
    resize_screen_buffer(&b, 640, 1);
    resize_screen_buffer(&b, -3, 2);
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log, "resized screen buffer to 640x1\nresized screen buffer to 1x2\n");
    EXPECT_EQ(b.pixels.size(), 2);
}
