// recordingRenderer.h - a GUI renderer that only writes down what it is asked.
//
// Text measures 6 font pixels per character and 8 per line, magnified by the
// scale, so layouts that depend on text have simple sizes.
#pragma once

#include <string>
#include <vector>

#include "kiln/guiRenderer.h"

struct RecordedCall {
    std::string op;                 // "fill", "frame" or "text"
    float left, top, right, bottom; // text: x, y in left, top
    uint32_t colour;
    std::string text;
    int alignX, alignY, scale;
};

class RecordingRenderer final : public IGuiRenderer {
public:
    int32_t width() override { return w; }
    int32_t height() override { return h; }
    int32_t pixelScale() override { return scale; }
    void fill_rect(float l, float t, float r, float b, uint32_t c) override
    {
        calls.push_back({"fill", l, t, r, b, c, "", 0, 0, 0});
    }
    void frame_rect(float l, float t, float r, float b, uint32_t c) override
    {
        calls.push_back({"frame", l, t, r, b, c, "", 0, 0, 0});
    }
    void draw_text(const char* text, int length, float x, float y, int ax, int ay, uint32_t c, int s) override
    {
        std::string t = text ? std::string(text, length < 0 ? std::string(text).size() : length) : "";
        calls.push_back({"text", x, y, 0, 0, c, t, ax, ay, s});
    }
    void text_extent(const char* text, int length, float* tw, float* th, int s) override
    {
        int n = text ? (length < 0 ? static_cast<int>(std::string(text).size()) : length) : 0;
        *tw = static_cast<float>(6 * n * s);
        *th = n ? static_cast<float>(8 * s) : 0;
    }

    int w = 640, h = 480, scale = 8;
    std::vector<RecordedCall> calls;
};
