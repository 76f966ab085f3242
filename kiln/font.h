// font.h - the game's bitmap font, text and rectangle batch, loading screen.
//
// One bitmap font ("font.tga", 16 x 16 glyph cells) draws all text and the
// flat rectangles of overlays and the GUI as textured quads, accumulated in
// one dynamic buffer. Coordinates are display pixels from the bottom-left
// corner, y up. Drawing is valid between font_begin and font_end.
#pragma once

#include <stdint.h>

// Loads the font, its texture, shader and buffer; failures are fatal.
void font_init();
void font_shutdown();
// Recomputes the default scale after the display size changed.
void font_update_scale();
// The height of a glyph cell in font pixels (the GUI's pixel scale).
int font_cell_height();

// Shows `text` (and a progress bar when progress >= 0) on the loading screen at once.
void set_loading_status(const char* text, float progress);
// Draws the loading screen into the back buffer (set_loading_status presents it).
void draw_loading_screen();

void font_begin();
// Draws the collected quads; unless final the batch stays open.
void font_flush(bool final);
void font_end();

void font_fill_rect(int x0, int y0, int x1, int y1, uint32_t colour);
void font_frame_rect(int x0, int y0, int x1, int y1, uint32_t colour);
// length -1: up to the terminator. alignX -1/0/1: left edge, centre, right
// edge at x; alignY 1/0/-1: top of the first line, centre, bottom of the last
// line at y (y up).
void font_draw_text(const char* text, int length, int x, int y, int alignX, int alignY, uint32_t colour);
void font_text_extent(const char* text, int length, int* w, int* h);

// Save and restore line spacing, letter spacing and scale.
void font_push_state();
void font_pop_state();
void font_set_scale(int scale);
int font_scale();
void font_set_spacing(int line_spacing, int letter_spacing);
