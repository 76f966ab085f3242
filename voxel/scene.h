// scene.h - the game's scene: set-up, pixel scale and the debug and flow keys.
//
// Implements the game hooks of app/gameHooks.h.
#pragma once

// How many screen pixels one voxel covers: max(1, back-buffer height / 120).
void compute_pixel_scale();
int pixel_scale();

// The debug switches toggled by F1 and F4.
bool perf_overlay_on();
bool debug_shapes_on();
