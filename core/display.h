// display.h - the size and mode of the picture a program draws.
//
// Each program provides these: the game's graphics device owns its back
// buffer, the launcher its software screen buffer. Input clamps the mouse to
// this size; the window code asks for the display mode.
#pragma once

int screen_width();
int screen_height();
bool display_fullscreen();
