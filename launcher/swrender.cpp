// swrender.cpp - the launcher's software screen buffer and GUI renderer.
#include "swrender.h"

#include <string.h>

#include "../core/log.h"
#include "../core/tgaImage.h"

uint32_t blend_pixel(uint32_t d, uint32_t c)
{
    uint32_t a = c >> 24;
    uint32_t rb = a * ((c & 0x00FF00FF) - (d & 0x00FF00FF)) + 0x00800080;
    uint32_t g = a * ((c & 0x0000FF00) - (d & 0x0000FF00)) + 0x00008000;
    return (((d & 0x00FF00FF) + ((((rb >> 8) & 0x00FF00FF) + rb) >> 8)) & 0x00FF00FF)
        | (((d & 0x0000FF00) + (((g >> 8) + g) >> 8)) & 0x0000FF00);
}

// Blends the colour over n pixels, once per run of equal pixels: the
// launcher's areas are mostly flat. Alpha 0 only clears the top byte, which is
// exactly what the formula gives.
static void blend_run(uint32_t* p, int n, uint32_t colour)
{
    if (!(colour >> 24)) {
        for (int i = 0; i < n; ++i)
            p[i] &= 0x00FFFFFF;
        return;
    }
    uint32_t lastDst = p[0], lastResult = blend_pixel(p[0], colour);
    uint32_t differs = 0;
    for (int i = 0; i < n; ++i)
        differs |= p[i] ^ lastDst;
    if (!differs) {
        for (int i = 0; i < n; ++i)
            p[i] = lastResult;
        return;
    }
    for (int i = 0; i < n; ++i) {
        uint32_t d = p[i];
        if (d != lastDst) {
            lastDst = d;
            lastResult = blend_pixel(d, colour);
        }
        p[i] = lastResult;
    }
}

// Each channel of the texel, alpha included, scaled by the colour's channel.
static uint32_t modulate(uint32_t texel, uint32_t colour)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t s = (texel >> shift) & 0xff;
        uint32_t c = (colour >> shift) & 0xff;
        out |= ((s * (c + 1)) >> 8) << shift;
    }
    return out;
}

SoftwareGuiRenderer::~SoftwareGuiRenderer()
{
    for (SoftwareFont* f : fonts)
        delete f;
}

int32_t SoftwareGuiRenderer::pixelScale()
{
    return curFont ? curFont->cellH : 8;
}

void SoftwareGuiRenderer::set_buffer(uint32_t* pixels, int pitchBytes, int w, int h)
{
    buffer = pixels;
    pitch = pitchBytes;
    widthPx = w;
    heightPx = h;
}

void SoftwareGuiRenderer::clear(uint32_t colour)
{
    ASSERT(buffer);
    int w = widthPx, h = heightPx; // locals: the pixel stores cannot touch them
    for (int y = 0; y < h; ++y) {
        uint32_t* p = row(y);
        for (int x = 0; x < w; ++x)
            p[x] = colour;
    }
}

bool SoftwareGuiRenderer::cut_far_edges(int x, int y, int* w, int* h) const
{
    if (x + *w > widthPx)
        *w = widthPx - x;
    if (y + *h > heightPx)
        *h = heightPx - y;
    return *w > 0 && *h > 0;
}

void SoftwareGuiRenderer::fill_pixels(int x, int y, int w, int h, uint32_t colour)
{
    if (x < 0) {
        w += x;
        x = 0;
    }
    if (y < 0) {
        h += y;
        y = 0;
    }
    if (!cut_far_edges(x, y, &w, &h))
        return;
    for (int j = y; j < y + h; ++j)
        blend_run(row(j) + x, w, colour);
}

void SoftwareGuiRenderer::fill_rect(float left, float top, float right, float bottom, uint32_t colour)
{
    ASSERT(buffer);
    int x = gui_round(left), y = gui_round(top);
    fill_pixels(x, y, gui_round(right) - x, gui_round(bottom) - y, colour);
}

void SoftwareGuiRenderer::frame_rect(float left, float top, float right, float bottom, uint32_t colour)
{
    ASSERT(buffer);
    int x0 = gui_round(left), y0 = gui_round(top), x1 = gui_round(right), y1 = gui_round(bottom);
    fill_pixels(x0, y0, x1 - x0 + 1, 1, colour);
    fill_pixels(x0, y1, x1 - x0 + 1, 1, colour);
    fill_pixels(x0, y0 + 1, 1, y1 - y0 - 1, colour);
    fill_pixels(x1, y0 + 1, 1, y1 - y0 - 1, colour);
}

// Every source texel covers repeatX x repeatY destination pixels. A cut at the
// left or top edge may start in the middle of a magnified texel.
void SoftwareGuiRenderer::blit(int dstX, int dstY, const uint32_t* src, int srcStepX, int srcStepY, int w,
    int h, int repeatX, int repeatY, uint32_t colour)
{
    int phaseX = 0, phaseY = 0;
    if (dstX < 0) {
        int skip = -dstX;
        if (skip >= w)
            return;
        src += (skip / repeatX) * srcStepX;
        phaseX = skip % repeatX;
        w -= skip;
        dstX = 0;
    }
    if (dstY < 0) {
        int skip = -dstY;
        if (skip >= h)
            return;
        src += (skip / repeatY) * srcStepY;
        phaseY = skip % repeatY;
        h -= skip;
        dstY = 0;
    }
    if (!cut_far_edges(dstX, dstY, &w, &h))
        return;
    const uint32_t* srcRow = src;
    for (int y = 0; y < h; ++y) {
        uint32_t* d = row(dstY + y) + dstX;
        const uint32_t* s = srcRow;
        // One run of destination pixels per source texel; the first may be cut.
        for (int x = 0, run = repeatX - phaseX; x < w; x += run, run = repeatX, s += srcStepX)
            blend_run(d + x, run < w - x ? run : w - x, modulate(*s, colour));
        if (++phaseY == repeatY) {
            phaseY = 0;
            srcRow += srcStepY;
        }
    }
}

void SoftwareGuiRenderer::text_extent(const char* text, int length, float* w, float* h, int scale)
{
    ASSERT(curFont);
    int tw, th;
    glyph_text_extent({curFont->glyphs, curFont->cellH, scale, 0, 0}, text, length, &tw, &th);
    *w = static_cast<float>(tw);
    *h = static_cast<float>(th);
}

void SoftwareGuiRenderer::draw_text(
    const char* text, int length, float x, float y, int alignX, int alignY, uint32_t colour, int scale)
{
    ASSERT(buffer);
    ASSERT(curFont);
    if (!text)
        text = "";
    if (length < 0)
        length = static_cast<int>(strlen(text));
    const SoftwareFont& font = *curFont;
    int lh = scale * font.cellH;
    float w, h;
    text_extent(text, length, &w, &h, scale);
    int x0 = gui_round(x) - gui_round(w) * (alignX + 1) / 2;
    int cx = x0;
    int cy = gui_round(y) - gui_round(h) * (alignY + 1) / 2;
    uint32_t shadow = (colour >> 25) << 24;
    for (int i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            cy += lh;
            cx = x0;
            continue;
        }
        const Glyph& g = font.glyphs[c];
        if (c != 0 && c != ' ') {
            // The glyph's top row is its last row in the bottom-row-first image.
            const uint32_t* top = font.pixels.data() + (g.bottom - 1) * font.width + g.left;
            int gw = scale * (g.right - g.left), gh = scale * (g.bottom - g.top);
            blit(cx + 1, cy + 1, top, 1, -font.width, gw, gh, scale, scale, shadow);
            blit(cx, cy, top, 1, -font.width, gw, gh, scale, scale, colour);
        }
        cx += scale * (g.right - g.left + 1);
    }
}

SoftwareFont* SoftwareGuiRenderer::load_font(const char* fileName)
{
    SoftwareFont* font = new SoftwareFont;
    if (!load_tga(fileName, &font->width, &font->height, &font->pixels)) {
        delete font;
        fatal_error("can't load font from %s", fileName);
    }
    if (!font_grid_fits(font->width, font->height)) {
        int w = font->width, h = font->height;
        delete font;
        fatal_error("expected 16x16 font grid in %s, got %dx%d image", fileName, w, h);
    }
    font->cellH = font->height / FONT_GRID;
    build_glyph_table(font->pixels.data(), font->width, font->height, font->glyphs);
    fonts.push(font);
    return font;
}

void resize_screen_buffer(ScreenBuffer* screen, int w, int h)
{
    if (w < 1)
        w = 1;
    if (h < 1)
        h = 1;
    if (w == screen->width && h == screen->height)
        return;
    screen->width = w;
    screen->height = h;
    screen->pixels.clear();
    screen->pixels.resize(w * h);
    log_message("resized screen buffer to %dx%d", w, h);
}
