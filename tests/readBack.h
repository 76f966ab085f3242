// readBack.h - pictures from the back buffer, and PNG files of them.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

// The back buffer now as 0xAARRGGBB values, top row first.
std::vector<uint32_t> read_back_buffer(int width, int height);
// Writes 0xAARRGGBB pixels (top row first) as an opaque PNG; false on failure.
bool write_png(const std::string& file, const std::vector<uint32_t>& pixels, int width, int height);
