// d3d_render.h - the graphics device: creation, reset, scene target and frame pacing.
//
// One OpenGL context on the game's window stands in for the Direct3D 9
// device. screen_width, screen_height and display_fullscreen (core/display.h)
// describe its back buffer. The scene is drawn into an off-screen target
// (multisampled when anti-aliasing is on) and copied to a texture, from which
// the post-effect draws the back buffer.
#pragma once

#include <stdint.h>

#include "../core/display.h"

struct Texture;

// What the device calls in the program above it, set once at start-up: draw
// fills one frame (render_frame's lag), resized follows every successful
// reset. A null hook is skipped.
struct DeviceHooks {
    void (*draw)(float lag_seconds);
    void (*resized)();
};
void set_device_hooks(const DeviceHooks& hooks);

// The display mode the window starts in; set before the window is created.
void set_display_fullscreen(bool fullscreen);

// Creates the device for the window at the given size (full screen takes the
// desktop's); false when no device could be made, see d3d_failure.
bool init_d3d(int width, int height);
// Why the last init_d3d failed ("" after a success).
const char* d3d_failure();
// Releases everything of the device layer; safe at any time.
void close_d3d();
// Resets the device to a new size or display mode; a width or height of 0
// keeps the current one. Every table handle stays valid.
bool resize_d3d(int width, int height, bool fullscreen);
// Resets the device at its size and mode, so that vertical sync and
// anti-aliasing follow the settings again.
bool reset_d3d();

// Draws one frame through the draw hook; true when it must be presented. Declines
// while the GPU is still two frames behind.
bool render_frame(float lag_seconds);
// Sleeps in the driver until render_frame could draw again (the GPU less than
// two frames behind) or timeout_us has passed; true when it could. False at
// once without a device.
bool wait_for_frame_slot(int timeout_us);
void present_frame();
// The device exists: init_d3d succeeded and close_d3d has not run since.
bool d3d_created();
// Asks the next present_frame to keep a copy of the frame it presents:
// copying every frame would cost each of them a full-screen blit.
void keep_next_presented_frame();
// The frame kept by the last presentation asked to keep one, as the window
// showed it: screen_width x screen_height opaque 0xAARRGGBB pixels, top row
// first; false without a device or before a frame was kept (since creation
// or a reset).
bool read_presented_frame(uint32_t* pixels);

// Render target 0 and depth: the scene targets, or the back buffer without depth.
void set_scene_target();
void set_backbuffer_target();
// Copies the whole scene colour target into level 0 of the texture, point filtered.
void resolve_scene_to(Texture* texture);
// Samples per pixel of the scene targets; 0 when they are not multisampled.
int scene_samples();

// Bytes of texture memory the device reports as free (an estimate where the
// driver does not say).
uint32_t available_texture_memory();
// Waits until the GPU has finished everything issued so far.
void flush_gpu();
