// windowInput.h - turning window messages into input events, and placing a
// new window.
//
// Both programs' window procedures queue keys, buttons, moves and the wheel
// the same way; they differ only in the messages they handle themselves.
#pragma once

#include "../platform/platform.h"

// Queues a key, system key, button, double click, move or wheel message as an
// input event (a button press also focuses the window) and hands the pad's
// buttons, axes and loss to the input state; false for any other message,
// which the caller handles.
bool queue_input_message(const WindowMessage& msg);

// The w x h rectangle centred in the desktop's usable area (the whole
// desktop when the platform can't tell the usable part).
PlatRect centred_in_work_area(int w, int h);
