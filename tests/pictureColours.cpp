// pictureColours.cpp - test tool: counts the pixels of a PNG that show the
// game's shots, hero and hearts.
//
//   pictureColours <in.png>
//
// Prints "shot N", "hero N", "hero_y N" and "hearts N": bright green pixels
// (the shots' 0xff14ff14, shaded), the hero's violet armour and the mean row
// of its pixels (-1 without any), and red pixels in the top left corner where
// the hearts sit. Exit code 1 when the file can't be read.
#include <stdio.h>

#include "stbImage.h"

static bool shot_green(int r, int g, int b)
{
    return g > 180 && r < 120 && b < 120;
}

static bool hero_violet(int r, int g, int b)
{
    return b > 120 && 10 * b > 13 * g && 10 * r > 12 * g && r < b;
}

static bool heart_red(int r, int g, int b)
{
    return r > 120 && 3 * g < r && 3 * b < r;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: pictureColours <in.png>\n");
        return 1;
    }
    int w, h, n;
    unsigned char* p = stbi_load(argv[1], &w, &h, &n, 3);
    if (!p) {
        fprintf(stderr, "can't read '%s'\n", argv[1]);
        return 1;
    }
    long shot = 0, hero = 0, hearts = 0, heroRows = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char* c = p + 3 * (y * w + x);
            shot += shot_green(c[0], c[1], c[2]);
            bool violet = hero_violet(c[0], c[1], c[2]);
            hero += violet;
            heroRows += violet ? y : 0;
            hearts += x < w / 3 && y < h / 8 && heart_red(c[0], c[1], c[2]);
        }
    stbi_image_free(p);
    printf("shot %ld\nhero %ld\nhero_y %ld\nhearts %ld\n", shot, hero, hero ? heroRows / hero : -1, hearts);
    return 0;
}
