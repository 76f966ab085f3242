// vec4.h - the four-float vectors of positions and directions.
//
// Positions carry w = 1, directions w = 0; one unit is one level voxel.
#pragma once

struct Vec4 {
    float x, y, z, w;
};

// A frame as four rows (x axis, y axis, z axis, translation), row vectors.
struct Mat4 {
    Vec4 rows[4];
};

constexpr Mat4 MAT4_IDENTITY = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
