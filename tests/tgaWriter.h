// tgaWriter.h - writes small 32-bit TGA images for the font tests, and a test font.
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

// A font image of the given size, bottom row first: code 'A' (column 1, row
// 4 from the top) fully opaque over its left three columns, '3' over two and
// '!' over one; every other cell empty.
inline std::vector<uint32_t> test_font(int width, int height)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0x00FFFFFF);
    int cellW = width / 16, cellH = height / 16;
    auto fill = [&](int code, int columns) {
        int x0 = (code % 16) * cellW, y0 = (15 - code / 16) * cellH;
        for (int y = y0; y < y0 + cellH; ++y)
            for (int x = x0; x < x0 + columns; ++x)
                pixels[static_cast<size_t>(y) * width + x] = 0xFFFFFFFF;
    };
    fill('A', 3);
    fill('3', 2);
    fill('!', 1);
    return pixels;
}
