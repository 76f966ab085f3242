// The font module against the recording fake device: loading and its
// failures, the default scale, the batch's quads, alignment, the shadow,
// flushing at 1024 quads, the state stack and the loading screen.
#include "kiln/font.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "core/paths.h"
#include "deathTest.h"
#include "fakeFrame.h"
#include "fontQuads.h"
#include "tempFile.h"
#include "tgaWriter.h"

namespace {

class Font : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_app_path((dir.path + "/").c_str());
        fake_frame_reset();
    }
    void TearDown() override { font_shutdown(); }

    // Writes font.tga (width x height of the test font) and loads it; the
    // log lands in `log`.
    void load(int width = 128, int height = 128)
    {
        ASSERT_TRUE(write_test_tga(dir.path + "/font.tga", width, height, test_font(width, height)));
        ::testing::internal::CaptureStdout();
        font_init();
        log = ::testing::internal::GetCapturedStdout();
    }

    TempDir dir;
    std::string log;
};

class FontDeathTest : public Font { };

} // namespace

TEST_F(Font, CellsComeFromTheImageAndTheScaleFromTheDisplay)
{
    fake_device.height = 400;
    load(256, 128);
    EXPECT_EQ(font_cell_height(), 8);
    EXPECT_EQ(font_scale(), 1);
    EXPECT_EQ(log, "font scale: 1\n");
    font_shutdown();

    fake_device.height = 1080;
    load(256, 256);
    EXPECT_EQ(font_cell_height(), 16);
    EXPECT_EQ(font_scale(), 2);

    fake_device.height = 1440;
    ::testing::internal::CaptureStdout();
    font_update_scale();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "font scale: 3\n");
    EXPECT_EQ(font_scale(), 3);
}

TEST_F(Font, TheImageBecomesTheTextureRowForRow)
{
    load();
    font_begin();
    font_draw_text("A", -1, 0, 0, -1, -1, 0xFFFFFFFF);
    font_end();
    const std::vector<uint32_t>* texture = fake_texture_data(fake_device.stage0);
    ASSERT_TRUE(texture);
    EXPECT_TRUE(*texture == test_font(128, 128));
    // 'A' (column 1, row 4 from the top) lies in the stored rows 88..95
    // from the bottom; its lowest row is at the baseline.
    std::vector<FontQuad> quads = drawn_font_quads();
    ASSERT_EQ(quads.size(), 2u);
    EXPECT_EQ(quads[1].u0, 8);
    EXPECT_EQ(quads[1].u1, 11);
    EXPECT_EQ(quads[1].v0, 88);
    EXPECT_EQ(quads[1].v1, 96);
}

TEST_F(FontDeathTest, LoadFailuresAreFatal)
{
    EXPECT_FATAL(font_init(), "ERROR: can't load font.tga");
    ASSERT_TRUE(write_test_tga(dir.path + "/font.tga", 250, 256, test_font(250, 256)));
    EXPECT_FATAL(font_init(), "ERROR: expected 16x16 font grid in font.tga, got 250x256 image");
    std::vector<uint8_t> broken(18, 0);
    FILE* f = fopen((dir.path + "/font.tga").c_str(), "wb");
    fwrite(broken.data(), 1, broken.size(), f);
    fclose(f);
    EXPECT_FATAL(font_init(), "ERROR: can't load font.tga");
}

TEST_F(Font, TextIsAShadowThenTheGlyphAlongTheBaseline)
{
    load(); // 8 x 8 cells
    font_set_scale(2);
    font_begin();
    font_draw_text("A!", -1, 100, 50, -1, -1, 0xFF102030);
    font_end();
    std::vector<FontQuad> q = drawn_font_quads();
    ASSERT_EQ(q.size(), 4u);
    // 'A' is 3 font pixels wide, 6 display pixels at scale 2, and a cell high.
    EXPECT_EQ(q[0].colour, 0x80000000u);
    EXPECT_EQ(q[0].x0, 101);
    EXPECT_EQ(q[0].y0, 49);
    EXPECT_EQ(q[0].x1, 107);
    EXPECT_EQ(q[0].y1, 65);
    EXPECT_EQ(q[1].colour, 0xFF102030u);
    EXPECT_EQ(q[1].x0, 100);
    EXPECT_EQ(q[1].y0, 50);
    EXPECT_EQ(q[1].x1, 106);
    EXPECT_EQ(q[1].y1, 66);
    // '!' follows after the glyph and its one-pixel gap, magnified.
    EXPECT_EQ(q[3].x0, 108);
    EXPECT_EQ(q[3].x1, 110);
}

TEST_F(Font, AlignmentPlacesTheTextsBoxAroundThePoint)
{
    load();
    font_set_spacing(3, 0);
    int w, h;
    font_text_extent("A\nA", -1, &w, &h);
    ASSERT_EQ(w, 4);
    ASSERT_EQ(h, 8 + 3 + 8);
    struct Case {
        int ax, ay, left, firstBottom;
    };
    // The first line's glyph quad starts at `left`; its bottom edge is the
    // first baseline: the box's top (y + lineSpacing + h - h * (ay + 1) / 2)
    // less a line.
    const Case cases[] = {
        {-1, -1, 40, 20 + 3 + 19 - 8},
        {0, 0, 38, 20 + 3 + 19 - 9 - 8},
        {1, 1, 36, 20 + 3 - 8},
    };
    for (const Case& c : cases) {
        fake_device.primDraws.clear();
        font_begin();
        font_draw_text("A\nA", -1, 40, 20, c.ax, c.ay, 0xFFFFFFFF);
        font_end();
        std::vector<FontQuad> q = drawn_font_quads();
        ASSERT_EQ(q.size(), 4u);
        EXPECT_EQ(q[1].x0, c.left) << c.ax;
        EXPECT_EQ(q[1].y0, c.firstBottom) << c.ay;
        // The second line starts at the same x, a line and the spacing lower.
        EXPECT_EQ(q[3].x0, c.left);
        EXPECT_EQ(q[3].y0, c.firstBottom - 8 - 3);
    }
}

TEST_F(Font, SpacesAndZerosOnlyAdvance)
{
    load();
    std::string text("A A", 3);
    text += '\0';
    text += 'A';
    font_begin();
    font_draw_text(text.c_str(), static_cast<int>(text.size()), 0, 0, -1, -1, 0xFFFFFFFF);
    font_end();
    std::vector<FontQuad> q = drawn_font_quads();
    ASSERT_EQ(q.size(), 6u);
    // An empty cell is half a cell wide (4 + 1 columns) plus its gap.
    EXPECT_EQ(q[3].x0, 4 + 6);
    EXPECT_EQ(q[5].x0, 4 + 6 + 4 + 6);
}

TEST_F(Font, RectanglesCarryNoTexels)
{
    load();
    font_begin();
    font_fill_rect(1, 2, 30, 40, 0x40000000);
    font_frame_rect(0, 0, 10, 5, 0xFFFFFFFF);
    font_end();
    std::vector<FontQuad> q = drawn_font_quads();
    ASSERT_EQ(q.size(), 5u);
    EXPECT_EQ(q[0].x0, 1);
    EXPECT_EQ(q[0].y1, 40);
    for (const FontQuad& r : q) {
        EXPECT_EQ(r.u0, -1);
        EXPECT_EQ(r.v1, -1);
    }
    // The frame: bottom and top rows, then the columns between them.
    EXPECT_EQ(q[1].y0, 0);
    EXPECT_EQ(q[1].y1, 1);
    EXPECT_EQ(q[2].y0, 4);
    EXPECT_EQ(q[3].x1, 1);
    EXPECT_EQ(q[4].x0, 9);
    EXPECT_EQ(q[4].y0, 1);
    EXPECT_EQ(q[4].y1, 4);
}

TEST_F(Font, AFullBatchIsDrawnAndTheNextQuadStartsAnother)
{
    load();
    font_begin();
    for (int i = 0; i < 1024; ++i)
        font_fill_rect(i, 0, i + 1, 1, 0xFFFFFFFF);
    EXPECT_TRUE(fake_device.primDraws.empty());
    font_fill_rect(0, 0, 1, 1, 0xFF00FF00);
    ASSERT_EQ(fake_device.primDraws.size(), 1u);
    EXPECT_EQ(fake_device.primDraws[0].primitives, 2048);
    font_flush(false);
    ASSERT_EQ(fake_device.primDraws.size(), 2u);
    EXPECT_EQ(fake_device.primDraws[1].primitives, 2);
    font_flush(false); // nothing new: nothing drawn
    font_end();
    EXPECT_EQ(fake_device.primDraws.size(), 2u);
}

TEST_F(Font, ABatchSetsItsMappingAndStatesAndEndRestoresThem)
{
    fake_device.width = 640;
    fake_device.height = 360;
    load(256, 128);
    font_begin();
    const float* c = fake_device.constants;
    EXPECT_FLOAT_EQ(c[64], 2.0f / 640);
    EXPECT_FLOAT_EQ(c[65], 2.0f / 360);
    EXPECT_FLOAT_EQ(c[66], -1 - 0.5f / 640);
    EXPECT_FLOAT_EQ(c[67], 0.5f / 360 - 1);
    EXPECT_FLOAT_EQ(c[68], 1.0f / 256);
    EXPECT_FLOAT_EQ(c[69], 1.0f / 128);
    EXPECT_TRUE(fake_device.blending);
    EXPECT_EQ(fake_device.alphaRef, 1);
    EXPECT_FALSE(fake_device.culling || fake_device.depthTest || fake_device.depthWrite);
    EXPECT_FALSE(fake_device.linearFilter);
    font_end();
    EXPECT_FALSE(fake_device.blending);
    EXPECT_EQ(fake_device.alphaRef, 0);
    EXPECT_TRUE(fake_device.culling && fake_device.depthTest && fake_device.depthWrite);
    EXPECT_TRUE(fake_device.linearFilter);
}

TEST_F(Font, PushedStatesComeBackInReverseOrder)
{
    load();
    font_set_scale(2);
    font_set_spacing(1, 2);
    font_push_state();
    font_set_scale(5);
    font_set_spacing(0, 0);
    font_push_state();
    font_set_scale(7);
    font_pop_state();
    EXPECT_EQ(font_scale(), 5);
    font_pop_state();
    EXPECT_EQ(font_scale(), 2);
    int w, h;
    font_text_extent("AA", -1, &w, &h);
    EXPECT_EQ(w, 2 * (4 * 2 + 2));
}

TEST_F(FontDeathTest, MisusedBatchesAndStacksFailTheirAssertions)
{
    load();
    EXPECT_FATAL(font_pop_state(), "failed ASSERT\\(num>0\\)");
    EXPECT_FATAL(font_fill_rect(0, 0, 1, 1, 0), "font\\.cpp\\([0-9]+\\): failed ASSERT\\(vbPtr\\)");
    EXPECT_FATAL(font_flush(false), "failed ASSERT\\(vbPtr\\)");
    EXPECT_FATAL(
        {
            font_begin();
            font_begin();
        },
        "font\\.cpp\\([0-9]+\\): failed ASSERT\\(!vbPtr\\)");
}

TEST_F(Font, TheLoadingScreenShowsTheStatusAndTheBar)
{
    fake_device.width = 800;
    fake_device.height = 400;
    load();
    set_loading_status("A", 0.5f);
    EXPECT_EQ(fake_device.presents, 1);
    std::vector<FontQuad> q = drawn_font_quads();
    ASSERT_EQ(q.size(), 4u);
    // 'A' centred on (400, 100): 4 wide with its gap, 8 high.
    EXPECT_EQ(q[1].x0, 398);
    EXPECT_EQ(q[1].y0, 96);
    // The bar: a quarter of the width, centred, three lines below, and half
    // of it filled.
    EXPECT_EQ(q[2].colour, 0xff000000u);
    EXPECT_EQ(q[2].x0, 300);
    EXPECT_EQ(q[2].x1, 500);
    EXPECT_EQ(q[2].y0, 100 - 24);
    EXPECT_EQ(q[2].y1, 100 - 24 + 12);
    EXPECT_EQ(q[3].colour, 0xff32960au);
    EXPECT_EQ(q[3].x1, 400);

    fake_device.primDraws.clear();
    set_loading_status("A", -1.0f);
    EXPECT_EQ(drawn_font_quads().size(), 2u);
}

TEST_F(FontDeathTest, ALoadingStatusBeyond255CharactersFails)
{
    load();
    std::string text(256, 'x');
    EXPECT_FATAL(set_loading_status(text.c_str(), -1), "failed ASSERT\\(l<BS\\)");
}
