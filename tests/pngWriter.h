// pngWriter.h - writes PNG files of any colour type with chosen text chunks,
// for the tests of the sprite reader.
#pragma once

#include <png.h>
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

struct PngText {
    std::string key, text;
    int compression = PNG_TEXT_COMPRESSION_NONE; // or PNG_TEXT_COMPRESSION_zTXt, PNG_ITXT_COMPRESSION_NONE
    bool afterImage = false;                     // written after the image data
};

struct TestPng {
    int width = 0, height = 0;
    int colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<uint8_t> rows; // height rows of packed samples as PNG stores them
    std::vector<png_color> palette;
    std::vector<uint8_t> transparency; // tRNS alphas of the palette entries
    std::vector<PngText> texts;
};

// An 8-bit RGBA image of 0xAARRGGBB pixels (top row first) with the three
// grid size chunks.
inline TestPng rgba_png(int width, int height, const std::vector<uint32_t>& pixels, int nx, int ny, int nz)
{
    TestPng p;
    p.width = width;
    p.height = height;
    for (uint32_t v : pixels)
        for (int shift : {16, 8, 0, 24})
            p.rows.push_back(static_cast<uint8_t>(v >> shift));
    p.texts = {{"VoxelGridDimX", std::to_string(nx)}, {"VoxelGridDimY", std::to_string(ny)},
        {"VoxelGridDimZ", std::to_string(nz)}};
    return p;
}

inline void set_texts(png_structp png, png_infop info, const TestPng& p, bool afterImage)
{
    std::vector<png_text> texts;
    for (const PngText& t : p.texts) {
        if (t.afterImage != afterImage)
            continue;
        png_text text = {};
        text.compression = t.compression;
        text.key = const_cast<char*>(t.key.c_str());
        text.text = const_cast<char*>(t.text.c_str());
        texts.push_back(text);
    }
    if (!texts.empty())
        png_set_text(png, info, texts.data(), static_cast<int>(texts.size()));
}

inline bool encode_test_png(png_structp png, png_infop info, FILE* f, const TestPng& p)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(p.width), static_cast<png_uint_32>(p.height), p.bitDepth,
        p.colourType, p.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
        PNG_FILTER_TYPE_DEFAULT);
    if (!p.palette.empty())
        png_set_PLTE(png, info, p.palette.data(), static_cast<int>(p.palette.size()));
    if (!p.transparency.empty())
        png_set_tRNS(png, info, p.transparency.data(), static_cast<int>(p.transparency.size()), nullptr);
    set_texts(png, info, p, false);
    png_write_info(png, info);
    size_t rowBytes = p.height ? p.rows.size() / static_cast<size_t>(p.height) : 0;
    std::vector<png_bytep> rows;
    for (int y = 0; y < p.height; ++y)
        rows.push_back(const_cast<uint8_t*>(p.rows.data()) + y * rowBytes);
    png_write_image(png, rows.data());
    // A fresh info for the chunks after the image, so the early ones are not written twice.
    png_infop end = png_create_info_struct(png);
    set_texts(png, end, p, true);
    png_write_end(png, end);
    png_destroy_info_struct(png, &end);
    return true;
}

inline bool write_test_png(const std::string& file, const TestPng& p)
{
    FILE* f = fopen(file.c_str(), "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    bool ok = encode_test_png(png, info, f, p);
    png_destroy_write_struct(&png, &info);
    return fclose(f) == 0 && ok;
}
