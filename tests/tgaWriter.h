// tgaWriter.h - writes small 32-bit TGA images for the font tests.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

// pixels: width x height 0xAARRGGBB values, bottom row first.
inline bool write_test_tga(
    const std::string& name, int width, int height, const std::vector<uint32_t>& pixels)
{
    uint8_t header[18] = {};
    header[2] = 2;
    header[12] = width & 255, header[13] = (width >> 8) & 255;
    header[14] = height & 255, header[15] = (height >> 8) & 255;
    header[16] = 32;
    FILE* f = fopen(name.c_str(), "wb");
    if (!f)
        return false;
    fwrite(header, 1, sizeof header, f);
    fwrite(pixels.data(), 4, pixels.size(), f);
    return fclose(f) == 0;
}
