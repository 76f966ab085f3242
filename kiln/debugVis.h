// debugVis.h - the world-space debug drawing batch.
//
// Coloured triangles, lines, solid cubes, wire boxes and axis crosses in world
// units, collected in one dynamic buffer and drawn with the current camera.
// Drawing is valid between debug_vis_begin and debug_vis_end.
#pragma once

#include <stdint.h>

#include "../libs/inc/misc/zu_vecmath.h"

void debug_vis_init();
void debug_vis_shutdown();

void debug_vis_begin();
// Draws what is collected; unless final the batch stays open.
void debug_vis_flush(bool final);
void debug_vis_end();

void debug_vis_triangle(
    const Vec4& p0, const Vec4& p1, const Vec4& p2, uint32_t c0, uint32_t c1, uint32_t c2);
void debug_vis_triangle(const Vec4& p0, const Vec4& p1, const Vec4& p2, uint32_t colour);
void debug_vis_line(const Vec4& p0, const Vec4& p1, uint32_t c0, uint32_t c1);
void debug_vis_line(const Vec4& p0, const Vec4& p1, uint32_t colour);
// A solid axis-aligned cube of half-size half around centre.
void debug_vis_cube(const Vec4& centre, float half, uint32_t colour);
// The 12 edges of the axis-aligned box spanned by corners a and b.
void debug_vis_box(const Vec4& a, const Vec4& b, uint32_t colour);
// Three lines through centre along x, y and z, each 2 * half long.
void debug_vis_cross(const Vec4& centre, float half, uint32_t colour);
