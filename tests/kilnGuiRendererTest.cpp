// The game's GUI renderer over the font batch on the fake device: the GUI's
// y-down edges become the font's y-up edges, text keeps its alignment with
// the vertical sense turned round, and the font's state survives.
#include "kiln/kilnGuiRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "screensFixture.h"

namespace {

enum { W = 640, H = 360 };

class KilnRenderer : public ::testing::Test {
protected:
    void SetUp() override
    {
        start_font_on_fakes();
        font_begin();
    }
    void TearDown() override
    {
        if (open)
            font_end();
        font_shutdown();
    }
    // Closes the batch and returns what it drew.
    std::vector<FontQuad> drawn()
    {
        font_end();
        open = false;
        return drawn_font_quads();
    }
    // The box of the glyph quads (not their shadows) drawn in the colour.
    static FontQuad glyph_box(const std::vector<FontQuad>& quads, uint32_t colour)
    {
        FontQuad box = {1 << 20, 1 << 20, -(1 << 20), -(1 << 20), 0, 0, 0, 0, colour};
        for (const FontQuad& q : quads)
            if (q.u0 >= 0 && q.colour == colour)
                box = {std::min(box.x0, q.x0), std::min(box.y0, q.y0), std::max(box.x1, q.x1),
                    std::max(box.y1, q.y1), q.u0, q.v0, q.u1, q.v1, colour};
        return box;
    }

    KilnGuiRenderer gui;
    bool open = true;
};

} // namespace

TEST_F(KilnRenderer, SizeAndPixelScaleComeFromTheBackBufferAndTheFont)
{
    EXPECT_EQ(gui.width(), W);
    EXPECT_EQ(gui.height(), H);
    EXPECT_EQ(gui.pixelScale(), 8) << "the game's font has 8-pixel cells";
    EXPECT_EQ(game_gui_renderer()->pixelScale(), 8);
}

TEST_F(KilnRenderer, RectanglesKeepTheirRowsWhenYTurnsUpwards)
{
    gui.fill_rect(10.4f, 20.6f, 30.5f, 25.0f, 0xff112233);
    gui.fill_rect(0, 0, W, H, 0xff445566);
    gui.frame_rect(100, 50, 110, 54, 0xff00ff00);
    std::vector<FontQuad> q = drawn();
    ASSERT_EQ(q.size(), 6u);
    // GUI rows 21-24 are font rows H-25 to H-22: the quad from H-25 to H-21.
    EXPECT_EQ(q[0].x0, 10);
    EXPECT_EQ(q[0].x1, 31);
    EXPECT_EQ(q[0].y0, H - 25);
    EXPECT_EQ(q[0].y1, H - 21);
    EXPECT_EQ(q[0].u0, -1);
    EXPECT_EQ(q[0].colour, 0xff112233u);
    EXPECT_EQ(q[1].y0, 0) << "the whole display is the whole display";
    EXPECT_EQ(q[1].y1, H);
    // The outline's first strip is its bottom edge in the font's terms,
    // GUI row 53.
    EXPECT_EQ(q[2].y0, H - 54);
    EXPECT_EQ(q[2].y1, H - 53);
    EXPECT_EQ(q[3].y1, H - 50) << "the top edge, GUI row 50";
}

TEST_F(KilnRenderer, TextMeasuredAndDrawnCentredIsCentredOnTheAnchor)
{
    float w, h;
    gui.text_extent("Wall destruction", -1, &w, &h, 3);
    EXPECT_EQ(h, 24);
    gui.draw_text("Wall destruction", -1, 300.0f, 100.0f, 0, 0, 0xffffffff, 3);
    FontQuad box = glyph_box(drawn(), 0xffffffff);
    // The measured width ends with one gap after the last glyph.
    EXPECT_EQ(box.x0, 300 - static_cast<int>(w) / 2);
    EXPECT_EQ(box.x1, box.x0 + static_cast<int>(w) - 3);
    EXPECT_NEAR((box.x0 + box.x0 + w) / 2, 300, 1);
    EXPECT_NEAR((box.y0 + box.y1) / 2.0f, H - 100, 1);
}

TEST_F(KilnRenderer, AlignmentsAnchorTheTextsEdgesInGuiTerms)
{
    gui.draw_text("Go", -1, 50, 60, -1, -1, 0xff0000ff, 2);  // left, top
    gui.draw_text("Go", 2, 400, 300, 1, 1, 0xff00ff00, 1);   // right, bottom
    gui.draw_text(nullptr, -1, 10, 10, 0, 0, 0xffff0000, 1); // nothing
    std::vector<FontQuad> q = drawn();
    FontQuad topLeft = glyph_box(q, 0xff0000ff), bottomRight = glyph_box(q, 0xff00ff00);
    EXPECT_EQ(topLeft.x0, 50);
    EXPECT_EQ(topLeft.y1, H - 60) << "the top of the line at GUI y 60";
    EXPECT_EQ(topLeft.y1 - topLeft.y0, 16);
    float w, h;
    gui.text_extent("Go", -1, &w, &h, 1);
    EXPECT_EQ(bottomRight.x1 + 1, 400) << "the extent's last gap ends at the anchor";
    EXPECT_EQ(bottomRight.x0, 400 - static_cast<int>(w));
    EXPECT_EQ(bottomRight.y0, H - 300) << "the bottom of the line at GUI y 300";
    EXPECT_EQ(glyph_box(q, 0xffff0000).x1, -(1 << 20));
}

TEST_F(KilnRenderer, TheFontsSpacingAndScaleAreLeftAsTheyWere)
{
    font_set_scale(5);
    font_set_spacing(3, 4);
    float w, h;
    gui.text_extent("ab\ncd", -1, &w, &h, 1);
    EXPECT_EQ(h, 16) << "no line spacing in the GUI";
    int plainW, plainH;
    font_set_spacing(0, 0);
    font_set_scale(1);
    font_text_extent("ab\ncd", -1, &plainW, &plainH);
    EXPECT_EQ(w, plainW) << "no letter spacing either";
    font_set_scale(5);
    font_set_spacing(3, 4);
    gui.draw_text("ab", -1, 10, 10, 0, 0, 0xffffffff, 2);
    EXPECT_EQ(font_scale(), 5);
    int fw, fh;
    font_text_extent("ab\ncd", -1, &fw, &fh);
    EXPECT_EQ(fh, 2 * 5 * 8 + 3) << "the line spacing is back";
}
