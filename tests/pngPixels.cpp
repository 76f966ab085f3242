// pngPixels.cpp - test tool: reports the size of a PNG and chosen pixels.
//
//   pngPixels <in.png> [x,y | x0,y0,x1,y1 ...]
//
// Prints "size WxH", then for each x,y a line "x,y RRGGBB" and for each
// rectangle (x1, y1 exclusive) a line "x0,y0,x1,y1 white=N" with the number
// of pure white pixels in it. Exit code 1 when the file cannot be read.
#include <stdio.h>

#include "stbImage.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: pngPixels <in.png> [x,y | x0,y0,x1,y1 ...]\n");
        return 2;
    }
    int w, h, channels;
    unsigned char* rgba = stbi_load(argv[1], &w, &h, &channels, 4);
    if (!rgba) {
        fprintf(stderr, "%s: %s\n", argv[1], stbi_failure_reason());
        return 1;
    }
    printf("size %dx%d\n", w, h);
    auto pixel = [&](int x, int y) { return rgba + (static_cast<size_t>(y) * w + x) * 4; };
    for (int i = 2; i < argc; ++i) {
        int v[4];
        int n = sscanf(argv[i], "%d,%d,%d,%d", &v[0], &v[1], &v[2], &v[3]);
        if (n == 2 && v[0] >= 0 && v[1] >= 0 && v[0] < w && v[1] < h) {
            const unsigned char* p = pixel(v[0], v[1]);
            printf("%d,%d %02X%02X%02X\n", v[0], v[1], p[0], p[1], p[2]);
        } else if (n == 4) {
            int white = 0;
            for (int y = v[1] < 0 ? 0 : v[1]; y < v[3] && y < h; ++y)
                for (int x = v[0] < 0 ? 0 : v[0]; x < v[2] && x < w; ++x) {
                    const unsigned char* p = pixel(x, y);
                    white += p[0] == 255 && p[1] == 255 && p[2] == 255;
                }
            printf("%d,%d,%d,%d white=%d\n", v[0], v[1], v[2], v[3], white);
        } else {
            printf("%s outside\n", argv[i]);
        }
    }
    stbi_image_free(rgba);
    return 0;
}
