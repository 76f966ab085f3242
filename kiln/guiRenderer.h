// guiRenderer.h - what the GUI needs from whoever puts its pixels somewhere.
//
// The GUI tree never touches pixels: a GuiScreen asks its renderer for the
// display size and the font's pixel scale, fills rectangles and draws and
// measures text. All coordinates are display pixels, origin top-left, y down.
// The game adapts its hardware font batch, the launcher draws in software.
#pragma once

#include <math.h>
#include <stdint.h>

struct SoftwareFont;

// Rectangle and text coordinates are rounded to the nearest pixel.
inline int gui_round(float v)
{
    return static_cast<int>(lroundf(v));
}

class IGuiRenderer {
public:
    // Size of the drawing surface in pixels.
    virtual int32_t width() = 0;
    virtual int32_t height() = 0;
    // Height of one font glyph cell in font pixels; a GUI unit is this times the zoom.
    virtual int32_t pixelScale() = 0;
    // Fills the rectangle with the 0xAARRGGBB colour, blended by its alpha.
    virtual void fill_rect(float left, float top, float right, float bottom, uint32_t colour) = 0;
    // The one-pixel outline of the rectangle.
    virtual void frame_rect(float left, float top, float right, float bottom, uint32_t colour) = 0;
    // Draws length characters (-1: up to the terminator) anchored at (x, y):
    // alignX -1/0/1 puts the left edge/centre/right edge at x, alignY -1/0/1
    // the top of the first line/centre/bottom of the last line at y. Every
    // font pixel becomes scale x scale display pixels.
    virtual void draw_text(
        const char* text, int length, float x, float y, int alignX, int alignY, uint32_t colour, int scale)
        = 0;
    // The size the same draw_text call would cover.
    virtual void text_extent(const char* text, int length, float* w, float* h, int scale) = 0;

protected:
    ~IGuiRenderer() = default; // renderers are owned by their program, never deleted through this
};

// The launcher's renderer: draws into a 32-bit memory buffer with its own fonts.
class ISoftwareGuiRenderer : public IGuiRenderer {
public:
    // Loads a 16 x 16 grid font image; the renderer owns the font. Fatal on failure.
    virtual SoftwareFont* load_font(const char* fileName) = 0;
    // Selects the font that text is drawn and measured with.
    virtual void set_font(SoftwareFont* font) = 0;
    // The buffer drawn into: pixels 0x00RRGGBB, rows top to bottom, pitch in bytes.
    virtual void set_buffer(uint32_t* pixels, int pitch, int width, int height) = 0;
    // Writes the colour unblended into every pixel.
    virtual void clear(uint32_t colour) = 0;

protected:
    ~ISoftwareGuiRenderer() = default;
};
