// kilnGuiRenderer.h - the game's GUI renderer over its font batch.
//
// The game's screens draw their rectangles and text into the font batch, so
// a screen is drawn between font_begin and font_end, and it must be laid out
// again after the back buffer changes size. The GUI counts y downwards from
// the top edge and the font upwards from the bottom edge: a GUI edge at y is
// the font's edge at height - y. The renderer holds no state of its own.
#pragma once

#include "guiRenderer.h"

class KilnGuiRenderer final : public IGuiRenderer {
public:
    // The back buffer's size.
    int32_t width() override;
    int32_t height() override;
    // The font's cell height.
    int32_t pixelScale() override;
    void fill_rect(float left, float top, float right, float bottom, uint32_t colour) override;
    void frame_rect(float left, float top, float right, float bottom, uint32_t colour) override;
    // Draws with no line or letter spacing at the given scale; the font's
    // spacing and scale are left as they were.
    void draw_text(const char* text, int length, float x, float y, int alignX, int alignY, uint32_t colour,
        int scale) override;
    void text_extent(const char* text, int length, float* w, float* h, int scale) override;
};

// The renderer every screen of the game draws through.
IGuiRenderer* game_gui_renderer();
