// scene.h - the game's scene: set-up, pixel scale, camera and the debug and flow keys.
//
// Implements the game hooks of gameHooks.h. Every frame is drawn into the
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
// The pan of a sound made at level x: -1 at the view's left edge, 1 at its
// right edge and beyond.
float screen_pan(float x);
// The view centre between the camera focus's previous and current value, t
// seconds after the last update (20 updates per second).
void camera_interpolate(float t);

// The eye of the last update (snapped to whole screen pixels plus half a
// pixel) and its view * projection, for mapping the mouse into the level.
Vec4 update_eye();
Matrix update_view_projection();
// The aim point the player gives this update: where the pad's right stick
// points while it aims, else the level point under the mouse cursor.
Vec4 player_aim_point();

// The debug switch toggled by F4: collision shapes drawn over the world.
bool debug_shapes_on();

// Draws one frame of the level and its contents; t = time since the last update.
void draw_world(float t);
// The level rectangle of the last draw_world before it was clamped to the
// grid (x0, y0 inclusive, x1, y1 exclusive); robots wake when they enter it.
void visible_window(int* x0, int* y0, int* x1, int* y1);
// The rectangle draw_world covers around a view centre on a back buffer of
// width x height pixels at `scale` pixels per voxel, as (x0, y0, x1, y1).
void world_window(float centre_x, float centre_y, int width, int height, int scale, int window[4]);

// The crosshair's four arms at (x, y) in the font's coordinates (y up).
void draw_crosshair(int x, int y);
// A line of text five times the font's scale in the middle of the screen,
// over a black shadow (GAME OVER); between font_begin and font_end.
void draw_banner(const char* text);
