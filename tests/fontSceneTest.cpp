// The font batch on llvmpipe with the game's own font.tga: rectangles cover
// exactly their pixels, glyphs come out texel for texel with their shadow,
// and the loading screen shows its text and bar. The pictures font-sample.png
// and loading-screen.png land in the test directory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/perfOverlay.h"
#include "core/tgaImage.h"
#include "device/d3d_misc.h"
#include "device/d3d_render.h"
#include "kiln/font.h"
#include "kiln/glyphs.h"
#include "readBack.h"
#include "sceneFixture.h"

namespace {

enum { W = 640, H = 360 };

const uint32_t GREY = 0xFF404040;

class FontScene : public SceneFixture {
protected:
    void SetUp() override { start(W, H, false); }
    void TearDown() override { stop(); }

    // The pixel at x, y counted from the bottom-left corner, as the font counts.
    static uint32_t at(const std::vector<uint32_t>& picture, int x, int y)
    {
        return picture[static_cast<size_t>(H - 1 - y) * W + x] & 0xFFFFFF;
    }
};

} // namespace

TEST_F(FontScene, RectanglesCoverExactlyTheirPixels)
{
    set_backbuffer_target();
    clear_color(GREY);
    font_begin();
    font_fill_rect(10, 20, 30, 25, 0xFFFF0000);
    font_frame_rect(100, 100, 110, 104, 0xFF00FF00);
    font_fill_rect(200, 20, 220, 40, 0x80FFFFFF); // half-transparent white over grey
    font_end();
    std::vector<uint32_t> picture = read_back_buffer(W, H);
    for (int y = 18; y < 27; ++y)
        for (int x = 8; x < 32; ++x) {
            bool inside = x >= 10 && x < 30 && y >= 20 && y < 25;
            EXPECT_EQ(at(picture, x, y), inside ? 0xFF0000u : 0x404040u) << x << "," << y;
        }
    for (int y = 100; y < 104; ++y)
        for (int x = 100; x < 110; ++x) {
            bool edge = x == 100 || x == 109 || y == 100 || y == 103;
            EXPECT_EQ(at(picture, x, y), edge ? 0x00FF00u : 0x404040u) << x << "," << y;
        }
    uint32_t blended = at(picture, 210, 30);
    EXPECT_NEAR(static_cast<int>(blended & 255), (0x40 + 0xFF) / 2, 2);
}

TEST_F(FontScene, GlyphsComeOutTexelForTexelWithTheirShadow)
{
    int fw, fh;
    DynArray<uint32_t> image;
    ASSERT_TRUE(load_tga("font.tga", &fw, &fh, &image));
    Glyph glyphs[GLYPH_COUNT];
    build_glyph_table(image.data(), fw, fh, glyphs);
    auto opaque = [&](const Glyph& g, int fx, int fy) {
        // Font pixel (fx, fy) of the glyph, counted from its bottom-left.
        if (fx < 0 || fy < 0 || fx >= g.right - g.left || fy >= g.bottom - g.top)
            return false;
        return (image[(g.top + fy) * fw + g.left + fx] >> 24) != 0;
    };

    const int SCALE = 3, X = 50, Y = 60;
    set_backbuffer_target();
    clear_color(GREY);
    font_begin();
    font_push_state();
    font_set_scale(SCALE);
    font_draw_text("R", -1, X, Y, -1, -1, 0xFFFFFFFF);
    font_pop_state();
    font_end();
    std::vector<uint32_t> picture = read_back_buffer(W, H);
    write_png(std::string(TARNWICK_TEST_DIR) + "/glyph-r.png", picture, W, H);

    const Glyph& g = glyphs['R'];
    int cellH = fh / 16, lit = 0;
    for (int y = Y - 2; y < Y + cellH * SCALE + 2; ++y)
        for (int x = X - 2; x < X + (g.right - g.left) * SCALE + 3; ++x) {
            auto font_pixel = [&](int px, int py) {
                return opaque(
                    g, (px - X) >= 0 ? (px - X) / SCALE : -1, (py - Y) >= 0 ? (py - Y) / SCALE : -1);
            };
            uint32_t expected = 0x404040;
            if (font_pixel(x, y))
                expected = 0xFFFFFF;
            else if (font_pixel(x - 1, y + 1))
                expected = 0x202020; // the shadow, black at half opacity
            uint32_t got = at(picture, x, y);
            EXPECT_NEAR(static_cast<int>(got & 255), static_cast<int>(expected & 255), 1) << x << "," << y;
            lit += expected == 0xFFFFFF;
        }
    EXPECT_GT(lit, 10 * SCALE * SCALE);
}

TEST_F(FontScene, TheLoadingScreenShowsItsTextAndBar)
{
    set_backbuffer_target();
    set_loading_status("Loading...", 0.4f);
    draw_loading_screen();
    std::vector<uint32_t> picture = read_back_buffer(W, H);
    write_png(std::string(TARNWICK_TEST_DIR) + "/loading-screen.png", picture, W, H);
    EXPECT_EQ(at(picture, 0, 0), 0x000A28u);
    EXPECT_EQ(at(picture, W - 1, H - 1), 0x000A28u);
    int lh = font_scale() * font_cell_height();
    int white = 0;
    for (int y = H / 4 - lh; y < H / 4 + lh; ++y)
        for (int x = W / 2 - 60; x < W / 2 + 60; ++x)
            white += at(picture, x, y) == 0xFFFFFF;
    EXPECT_GT(white, 20);
    // The bar: 40% of a quarter of the width filled green, the rest black.
    int barY = H / 4 - 3 * lh + lh / 2, left = (W - W / 4) / 2;
    EXPECT_EQ(at(picture, left + 1, barY), 0x32960Au);
    EXPECT_EQ(at(picture, left + W / 4 * 4 / 10 - 1, barY), 0x32960Au);
    EXPECT_EQ(at(picture, left + W / 4 * 4 / 10 + 1, barY), 0x000000u);
    EXPECT_EQ(at(picture, left + W / 4 - 1, barY), 0x000000u);
    EXPECT_EQ(at(picture, left + W / 4, barY), 0x000A28u);
}

TEST_F(FontScene, ASampleOfTheFontAtEveryScale)
{
    set_backbuffer_target();
    clear_color(0xFF262B32);
    font_begin();
    font_push_state();
    int y = H - 4;
    for (int scale = 1; scale <= 3; ++scale) {
        font_set_scale(scale);
        const char* lines = "TARNWICK! Level 12 - 5 upgrade points\n"
                            "the quick brown fox jumps over the lazy dog\n"
                            "0123456789 +-*/=<>()[]{} .,:;!?'\"@#$%&_|\\^~`";
        font_draw_text(lines, -1, 6, y, -1, 1, 0xFFFFFFFF);
        int w, h;
        font_text_extent(lines, -1, &w, &h);
        y -= h + 6;
    }
    font_pop_state();
    font_fill_rect(W - 130, 10, W - 10, 70, 0x40000000);
    font_draw_text("59\nFPS", -1, W - 70, 40, 0, 0, 0xFFFFC040);
    font_end();
    std::vector<uint32_t> picture = read_back_buffer(W, H);
    write_png(std::string(TARNWICK_TEST_DIR) + "/font-sample.png", picture, W, H);
    int white = 0;
    for (uint32_t p : picture)
        white += (p & 0xFFFFFF) == 0xFFFFFF;
    EXPECT_GT(white, 3000);
}

TEST_F(FontScene, TheOverlayDrawsOverTheFrameAndThePresentedFrameReadsBack)
{
    std::vector<uint32_t> shown;
    std::vector<uint32_t> presented(static_cast<size_t>(W) * H);
    // Two frames: the overlay's statistics have samples of the first. Only
    // the second is asked to be kept.
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(render_frame(0.0f));
        font_begin();
        draw_perf_overlay();
        font_end();
        shown = read_back_buffer(W, H);
        if (i == 1)
            keep_next_presented_frame();
        present_frame();
        if (i == 0) {
            EXPECT_FALSE(read_presented_frame(presented.data())) << "no copy unless asked";
        }
    }
    write_png(std::string(TARNWICK_TEST_DIR) + "/perf-overlay.png", shown, W, H);
    ASSERT_TRUE(read_presented_frame(presented.data()));
    int different = 0;
    for (size_t i = 0; i < presented.size(); ++i) {
        different += (presented[i] & 0xFFFFFF) != (shown[i] & 0xFFFFFF);
        ASSERT_EQ(presented[i] >> 24, 0xFFu) << "opaque";
    }
    EXPECT_EQ(different, 0);
    // The statistics box darkens the top right corner; the graphs the bottom.
    int lit = 0;
    for (int y = H - 5; y < H; ++y)
        lit += (at(shown, W - 1, y) & 0xFF) > 0x80;
    EXPECT_EQ(lit, 0);
}
