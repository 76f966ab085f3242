// window.h - the game's window and its messages.
//
// Window messages are handled only inside pump_window_messages, on the main
// loop's thread: keys, buttons and the pad become input events, size changes
// and Alt+Enter reset the device, closing the window requests the quit; P and
// the pad's Start pause and resume, losing the focus or being minimised
// pauses.
#pragma once

#include "../platform/platform.h"

struct Settings;

// Starts the video system; false ends the program at once with exit code 0.
bool register_window_class();
// Creates the window as the settings ask and returns its client size, which
// stands in for a width or height that the settings leave open.
bool create_main_window(const Settings& s, int* client_width, int* client_height);

void window_proc(const WindowMessage& msg);
// Handles the waiting messages, first waiting up to wait_ms for one when
// there is none; how many were handled.
int pump_window_messages(int wait_ms = 0);
void toggle_fullscreen();

// Hides the system cursor over the client area while the window is active
// and the game is not paused.
void set_hide_cursor(bool hide);
// Shows or hides the cursor as the window's activity and the pause now ask.
void refresh_cursor();
