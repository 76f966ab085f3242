// makeIcon.cpp - draws the desktop icon from a voxel sprite at build time.
//
//   makeIcon SPRITE.png SIZE OUTPUT.png
//
// The sprite is read with the game's own reader and drawn in software as an
// isometric model seen from the front, the right and above: every visible
// face of every voxel is a flat-shaded parallelogram, painted from the back to
// the front at four times the size and averaged down, on a transparent
// background.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include "core/log.h"
#include "core/paths.h"
#include "voxel/loadSprite.h"

void shutdown_all()
{
}

enum { SUPERSAMPLE = 4 };

struct Point {
    float x, y;
};

// The viewer looks along (-1, -1, 1): from the right, from above and from
// the front (the sprite's front is its z = 0 side). Screen x runs along
// (1, 0, 1), screen y up along (-1, 2, 1); depth grows towards the viewer.
static Point project(float x, float y, float z)
{
    return {(x + z) / sqrtf(2.0f), (-x + 2 * y + z) / sqrtf(6.0f)};
}

static float depth_of(float x, float y, float z)
{
    return x + y - z;
}

struct Canvas {
    int size;
    std::vector<uint32_t> pixels; // 0xAARRGGBB, top row first
    float scale, offsetX, offsetY;

    // Fills a convex quad given in model coordinates.
    void fill_quad(const Point (&q)[4], uint32_t colour)
    {
        float minY = q[0].y, maxY = q[0].y;
        for (const Point& p : q) {
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
        int y0 = std::max(0, static_cast<int>(floorf(to_row(maxY))));
        int y1 = std::min(size - 1, static_cast<int>(ceilf(to_row(minY))));
        for (int row = y0; row <= y1; ++row) {
            float my = offsetY - (row + 0.5f) / scale;
            float left = 1e9f, right = -1e9f;
            for (int i = 0; i < 4; ++i) {
                const Point& a = q[i];
                const Point& b = q[(i + 1) % 4];
                if ((a.y <= my && b.y > my) || (b.y <= my && a.y > my)) {
                    float x = a.x + (my - a.y) / (b.y - a.y) * (b.x - a.x);
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
            int x0 = std::max(0, static_cast<int>(ceilf((left - offsetX) * scale - 0.5f)));
            int x1 = std::min(size - 1, static_cast<int>(floorf((right - offsetX) * scale - 0.5f)));
            for (int x = x0; x <= x1; ++x)
                pixels[static_cast<size_t>(row) * size + x] = colour;
        }
    }

    float to_row(float y) const { return (offsetY - y) * scale; }
};

static uint32_t shade(uint32_t colour, float f)
{
    uint32_t out = 0xFF000000;
    for (int shift : {16, 8, 0}) {
        float c = static_cast<float>((colour >> shift) & 255) * f;
        out |= static_cast<uint32_t>(std::min(255.0f, c)) << shift;
    }
    return out;
}

struct Face {
    float depth;
    Point quad[4];
    uint32_t colour;
};

// The faces that can be seen: the top (+y), the right side (+x) and the
// front (-z) of every voxel whose neighbour there is empty.
static std::vector<Face> visible_faces(const VoxelSprite& s)
{
    auto solid = [&](int x, int y, int z) {
        if (x < 0 || y < 0 || z < 0 || x >= s.nx || y >= s.ny || z >= s.nz)
            return false;
        return s.voxels[x + s.nx * (y + s.ny * z)] != 0;
    };
    std::vector<Face> faces;
    for (int z = 0; z < s.nz; ++z)
        for (int y = 0; y < s.ny; ++y)
            for (int x = 0; x < s.nx; ++x) {
                if (!solid(x, y, z))
                    continue;
                uint32_t c = s.palette[s.voxels[x + s.nx * (y + s.ny * z)]];
                float fx = static_cast<float>(x), fy = static_cast<float>(y), fz = static_cast<float>(z);
                float d = depth_of(fx + 0.5f, fy + 0.5f, fz + 0.5f);
                if (!solid(x, y + 1, z))
                    faces.push_back({d + 0.5f,
                        {project(fx, fy + 1, fz), project(fx + 1, fy + 1, fz),
                            project(fx + 1, fy + 1, fz + 1), project(fx, fy + 1, fz + 1)},
                        shade(c, 1.15f)});
                if (!solid(x + 1, y, z))
                    faces.push_back({d + 0.5f,
                        {project(fx + 1, fy, fz), project(fx + 1, fy + 1, fz),
                            project(fx + 1, fy + 1, fz + 1), project(fx + 1, fy, fz + 1)},
                        shade(c, 0.62f)});
                if (!solid(x, y, z - 1))
                    faces.push_back({d + 0.5f,
                        {project(fx, fy, fz), project(fx + 1, fy, fz), project(fx + 1, fy + 1, fz),
                            project(fx, fy + 1, fz)},
                        shade(c, 0.86f)});
            }
    std::stable_sort(
        faces.begin(), faces.end(), [](const Face& a, const Face& b) { return a.depth < b.depth; });
    return faces;
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: makeIcon SPRITE.png SIZE OUTPUT.png\n");
        return 1;
    }
    int size = atoi(argv[2]);
    if (size < 16 || size > 1024) {
        fprintf(stderr, "makeIcon: size %s is not between 16 and 1024\n", argv[2]);
        return 1;
    }
    VoxelSprite* sprite = load_voxel_sprite(argv[1]);
    if (!sprite) {
        fprintf(stderr, "makeIcon: can't read the sprite %s\n", argv[1]);
        return 1;
    }
    std::vector<Face> faces = visible_faces(*sprite);

    // Fit the model's outline into the picture with a small margin.
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (const Face& f : faces)
        for (const Point& p : f.quad) {
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
    Canvas canvas;
    canvas.size = size * SUPERSAMPLE;
    canvas.pixels.assign(static_cast<size_t>(canvas.size) * canvas.size, 0);
    float extent = std::max(maxX - minX, maxY - minY) * 1.06f;
    canvas.scale = canvas.size / extent;
    canvas.offsetX = (minX + maxX) / 2 - extent / 2;
    canvas.offsetY = (minY + maxY) / 2 + extent / 2;
    for (const Face& f : faces)
        canvas.fill_quad(f.quad, f.colour);

    // Averaged down with premultiplied colour, so the outline blends into
    // whatever the desktop puts behind it.
    std::vector<uint8_t> rgba(static_cast<size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float sum[4] = {};
            for (int sy = 0; sy < SUPERSAMPLE; ++sy)
                for (int sx = 0; sx < SUPERSAMPLE; ++sx) {
                    uint32_t p = canvas.pixels[static_cast<size_t>(y * SUPERSAMPLE + sy) * canvas.size
                        + x * SUPERSAMPLE + sx];
                    float a = static_cast<float>(p >> 24) / 255.0f;
                    sum[0] += static_cast<float>((p >> 16) & 255) * a;
                    sum[1] += static_cast<float>((p >> 8) & 255) * a;
                    sum[2] += static_cast<float>(p & 255) * a;
                    sum[3] += a;
                }
            uint8_t* out = &rgba[(static_cast<size_t>(y) * size + x) * 4];
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<uint8_t>(sum[3] > 0 ? sum[c] / sum[3] + 0.5f : 0);
            out[3] = static_cast<uint8_t>(sum[3] / (SUPERSAMPLE * SUPERSAMPLE) * 255.0f + 0.5f);
        }
    voxel_sprite_free(sprite);
    if (!stbi_write_png(argv[3], size, size, 4, rgba.data(), size * 4)) {
        fprintf(stderr, "makeIcon: can't write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
