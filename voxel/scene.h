// scene.h - the game's scene: set-up, pixel scale, camera and the debug and flow keys.
//
// Implements the game hooks of app/gameHooks.h. Every frame is drawn into the
// scene image from a camera centred on the view centre, then copied to the
// back buffer through the post-effect; overlays and the crosshair follow.
#pragma once

#include "../libs/inc/misc/zu_vecmath.h"

// How many screen pixels one voxel covers: max(1, back-buffer height / 120);
// also rebuilds the projection for the back buffer's size.
void compute_pixel_scale();
int pixel_scale();

// The camera centre used for drawing, in level voxels. place_hero sets it
// directly; each frame interpolates it from the camera focus.
void set_view_centre(const Vec4& centre);
void view_centre(float* x, float* y);
// The view centre between the camera focus's previous and current value, t
// seconds after the last update (20 updates per second).
void camera_interpolate(float t);

// The eye of the last update (snapped to whole screen pixels plus half a
// pixel) and its view * projection, for mapping the mouse into the level.
Vec4 update_eye();
Matrix update_view_projection();

// The debug switches toggled by F1 and F4.
bool perf_overlay_on();
bool debug_shapes_on();

// The crosshair's four arms at (x, y) in the font's coordinates (y up).
void draw_crosshair(int x, int y);
