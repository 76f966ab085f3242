// font.h - the game's bitmap font, text and rectangle batch, loading screen.
#pragma once

void font_init();
void font_shutdown();
// Recomputes the font scale after the display size changed.
void font_update_scale();
// Shows `text` (and a progress bar when progress >= 0) on the loading screen at once.
void set_loading_status(const char* text, float progress);
// Draws the loading screen into the back buffer (the device's draw_loading_frame calls it).
void draw_loading_screen();
