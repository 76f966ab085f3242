// readBack.cpp - pictures from the back buffer, and PNG files of them.
#include "readBack.h"

#include "device/glApi.h"

#include <algorithm>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

std::vector<uint32_t> read_back_buffer(int width, int height)
{
    std::vector<uint32_t> rows(static_cast<size_t>(width) * height), pixels(rows.size());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    gl_read_pixels(width, height, rows.data());
    // OpenGL's rows run bottom first.
    for (int y = 0; y < height; ++y)
        std::copy_n(&rows[static_cast<size_t>(height - 1 - y) * width], width,
            &pixels[static_cast<size_t>(y) * width]);
    return pixels;
}

bool write_png(const std::string& file, const std::vector<uint32_t>& pixels, int width, int height)
{
    std::vector<uint8_t> rgba;
    // Opaque: the pictures are what the window shows.
    for (uint32_t p : pixels) {
        for (int shift : {16, 8, 0})
            rgba.push_back(static_cast<uint8_t>(p >> shift));
        rgba.push_back(255);
    }
    return stbi_write_png(file.c_str(), width, height, 4, rgba.data(), width * 4) != 0;
}
