// fontQuads.h - the quads the font batch drew on the recording fake device.
#pragma once

#include <stdint.h>

#include <vector>

#include "fakeFrame.h"

// One drawn quad: its first and opposite corner, their texels and the colour.
struct FontQuad {
    int x0, y0, x1, y1;
    int u0, v0, u1, v1;
    uint32_t colour;
};

// Every quad of every draw since the fake device was reset, in order.
inline std::vector<FontQuad> drawn_font_quads()
{
    struct Vertex {
        int16_t x, y;
        uint32_t colour;
        int16_t u, v;
    };
    static_assert(sizeof(Vertex) == 12, "the font's vertex");
    std::vector<FontQuad> quads;
    for (const FakePrimDraw& d : fake_device.primDraws) {
        const Vertex* v = reinterpret_cast<const Vertex*>(d.vertices.data());
        for (int q = 0; q < d.primitives / 2; ++q) {
            const Vertex* c = v + 6 * q;
            // Corners 0 and 5 are opposite.
            quads.push_back({c[0].x, c[0].y, c[5].x, c[5].y, c[0].u, c[0].v, c[5].u, c[5].v, c[0].colour});
        }
    }
    return quads;
}
