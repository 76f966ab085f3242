// font.h - the game's bitmap font, text and rectangle batch, loading screen.
#pragma once

#include <stdint.h>

void font_init();
void font_shutdown();
// Recomputes the font scale after the display size changed.
void font_update_scale();
// Shows `text` (and a progress bar when progress >= 0) on the loading screen at once.
void set_loading_status(const char* text, float progress);
// Draws the loading screen into the back buffer (the device's draw_loading_frame calls it).
void draw_loading_screen();

// The text and rectangle batch, in display pixels from the bottom-left
// corner (y up); drawing happens between font_begin and font_end.
void font_begin();
void font_end();
void font_fill_rect(int x0, int y0, int x1, int y1, uint32_t colour);
