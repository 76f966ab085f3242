// screenshot.h - saving the window's picture as a PNG file.
//
// Print Screen (on its release) saves what the window shows, clipped to the
// desktop, as "shots/shot<local time>.png" ("_2", "_3", ... before ".png"
// for more pictures in the same second) in the screenshot folder: beside the
// program when "shots" there can be written or made (an installation in a
// prefix the user owns), else in the pictures folder's "TARNWICK" (under a
// system prefix, and always in a build for a system package). Failures are
// logged and never stop the game.
#pragma once

#include <stdint.h>
#include <time.h>

#include "../libs/inc/misc/zu_utils.h"

// Asks for a screenshot of the next frame presented: the device keeps a
// copy of that frame only.
void request_screenshot();
// After a presentation: saves the screenshot asked for, if any.
void save_requested_screenshot();
// Captures and saves one screenshot of the kept frame, logging how it went.
void take_screenshot();

// The screenshot folder, ending in '/', with its "shots" made; false (and
// logged) when neither it nor the fallback can be written.
bool screenshot_folder(PathText& folder);

// The window's picture where it lies on the desktop: a pointer to the first
// pixel (0xAARRGGBB, rows `pitch` bytes apart) of a width x height region;
// null when there is nothing to capture. The pixels stay valid until
// release_capture or the next capture.
const uint32_t* capture_screen(int* width, int* height, int* pitch);
void release_capture();

// "shots/shotYYYY_MM_DD_hh_mm_ss.png" for a local time, "shots/shot.png"
// without one; a number from 2 on is added before ".png" ("..._ss_2.png"),
// for further pictures of the same second. Returns the name's text.
const char* screenshot_name(PathText& name, const struct tm* local, int number = 1);

// Saves the pixels (as capture_screen gives them) as a PNG file in the
// folder (ending in '/') under the first free name of the second, its path
// in `path`. The picture is written into a new temporary file in the same
// shots/ and then given its name, never replacing a file: a save that fails
// leaves nothing behind and logs why.
bool save_screenshot(const char* folder, const struct tm* local, const uint32_t* pixels, int w, int h,
    int pitch, PathText& path);
