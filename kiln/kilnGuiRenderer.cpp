// kilnGuiRenderer.cpp - the game's GUI renderer over its font batch.
#include "kilnGuiRenderer.h"

#include "../core/display.h"
#include "font.h"

// A GUI edge (y down from the top) as the font's edge (y up from the bottom).
// Edges, not pixel rows, so a rectangle covers the same rows in both.
static int font_y(float y)
{
    return screen_height() - gui_round(y);
}

int32_t KilnGuiRenderer::width()
{
    return screen_width();
}

int32_t KilnGuiRenderer::height()
{
    return screen_height();
}

int32_t KilnGuiRenderer::pixelScale()
{
    return font_cell_height();
}

void KilnGuiRenderer::fill_rect(float left, float top, float right, float bottom, uint32_t colour)
{
    font_fill_rect(gui_round(left), font_y(bottom), gui_round(right), font_y(top), colour);
}

void KilnGuiRenderer::frame_rect(float left, float top, float right, float bottom, uint32_t colour)
{
    font_frame_rect(gui_round(left), font_y(bottom), gui_round(right), font_y(top), colour);
}

// The GUI's text knows no spacing; the scale is the caller's.
static void push_gui_text_state(int scale)
{
    font_push_state();
    font_set_spacing(0, 0);
    font_set_scale(scale);
}

void KilnGuiRenderer::draw_text(
    const char* text, int length, float x, float y, int alignX, int alignY, uint32_t colour, int scale)
{
    if (!text)
        return;
    push_gui_text_state(scale);
    // The font counts its vertical alignment upwards too.
    font_draw_text(text, length, gui_round(x), font_y(y), alignX, -alignY, colour);
    font_pop_state();
}

void KilnGuiRenderer::text_extent(const char* text, int length, float* w, float* h, int scale)
{
    push_gui_text_state(scale);
    int iw, ih;
    font_text_extent(text, length, &iw, &ih);
    font_pop_state();
    *w = static_cast<float>(iw);
    *h = static_cast<float>(ih);
}

IGuiRenderer* game_gui_renderer()
{
    static KilnGuiRenderer renderer;
    return &renderer;
}
