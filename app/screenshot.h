// screenshot.h - saving the window's picture as a PNG file.
#pragma once

void take_screenshot();
