// screenshot.cpp - saving the window's picture as a PNG file.
#include "screenshot.h"

void take_screenshot()
{
    // The front-buffer capture comes with the device layer.
}
