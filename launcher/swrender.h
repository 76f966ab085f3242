// swrender.h - the launcher's software screen buffer and GUI renderer.
//
// The launcher draws without a 3D device: the GUI renders through
// SoftwareGuiRenderer into a 32-bit buffer the size of the window's client
// area (pixels 0x00RRGGBB, rows top to bottom), which is then copied to the
// window. All drawing is integer arithmetic and allocates nothing.
#pragma once

#include <stdint.h>

#include "../kiln/glyphs.h"
#include "../kiln/guiRenderer.h"
#include "../libs/inc/cont/zu_dynArray.h"

// A font loaded by the renderer, which owns it.
struct SoftwareFont {
    Glyph glyphs[GLYPH_COUNT];
    int32_t cellH;
    DynArray<uint32_t> pixels; // as read: bottom row first, 0xAARRGGBB
    int32_t width, height;
};

class SoftwareGuiRenderer final : public ISoftwareGuiRenderer {
public:
    SoftwareGuiRenderer() = default;
    ~SoftwareGuiRenderer();
    SoftwareGuiRenderer(const SoftwareGuiRenderer&) = delete;
    SoftwareGuiRenderer& operator=(const SoftwareGuiRenderer&) = delete;

    int32_t width() override { return widthPx; }
    int32_t height() override { return heightPx; }
    // The selected font's cell height, 8 while none is selected.
    int32_t pixelScale() override;
    void fill_rect(float left, float top, float right, float bottom, uint32_t colour) override;
    // The outline includes column right and row bottom.
    void frame_rect(float left, float top, float right, float bottom, uint32_t colour) override;
    void draw_text(const char* text, int length, float x, float y, int alignX, int alignY, uint32_t colour,
        int scale) override;
    void text_extent(const char* text, int length, float* w, float* h, int scale) override;
    SoftwareFont* load_font(const char* fileName) override;
    void set_font(SoftwareFont* font) override { curFont = font; }
    void set_buffer(uint32_t* pixels, int pitchBytes, int w, int h) override;
    void clear(uint32_t colour) override;

private:
    uint32_t* row(int y)
    {
        return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(buffer) + y * pitch);
    }
    // Cuts a rectangle at the buffer's right and bottom edges; false when nothing is left.
    bool cut_far_edges(int x, int y, int* w, int* h) const;
    void fill_pixels(int x, int y, int w, int h, uint32_t colour);
    void blit(int dstX, int dstY, const uint32_t* src, int srcStepX, int srcStepY, int w, int h, int repeatX,
        int repeatY, uint32_t colour);

    uint32_t* buffer = nullptr; // not owned
    int32_t pitch = 0;          // bytes per row
    int32_t widthPx = 0;
    int32_t heightPx = 0;
    DynArray<SoftwareFont*> fonts; // owned
    SoftwareFont* curFont = nullptr;
};

// Blends the 0xAARRGGBB colour onto the pixel by the colour's alpha, with
// rounding, two channels at a time; the result's top byte is 0.
uint32_t blend_pixel(uint32_t dst, uint32_t colour);

// The window-sized pixel buffer the launcher draws into.
struct ScreenBuffer {
    int32_t width = 0; // at least 1 once sized
    int32_t height = 0;
    DynArray<uint32_t> pixels;
};

// Sizes below 1 become 1; a new size clears the pixels and is logged.
void resize_screen_buffer(ScreenBuffer* screen, int w, int h);
