// d3d_render.h - the graphics device: creation, reset and frame pacing.
//
// One OpenGL context on the game's window. screen_width, screen_height and
// display_fullscreen (app/display.h) describe its back buffer.
#pragma once

#include <stdint.h>

#include "../app/display.h"

// The display mode the window starts in; set before the window is created.
void set_display_fullscreen(bool fullscreen);

bool init_d3d(int width, int height);
void close_d3d();
// A width or height of 0 keeps the current one.
bool resize_d3d(int width, int height, bool fullscreen);
// Draws one frame through game_draw; true when it must be presented.
bool render_frame(float lag_seconds);
void present_frame();
// Bytes of texture memory the device reports as free (an estimate where the
// driver does not say).
uint32_t available_texture_memory();
