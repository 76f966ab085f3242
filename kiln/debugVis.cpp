// debugVis.cpp - the world-space debug drawing batch.
#include "debugVis.h"

void debug_vis_init()
{
    // The batch needs the device layer's buffers and shaders, which come later.
}

void debug_vis_shutdown()
{
}

void debug_vis_begin()
{
}

void debug_vis_flush(bool)
{
}

void debug_vis_end()
{
}

void debug_vis_triangle(const Vec4&, const Vec4&, const Vec4&, uint32_t, uint32_t, uint32_t)
{
}

void debug_vis_triangle(const Vec4&, const Vec4&, const Vec4&, uint32_t)
{
}

void debug_vis_line(const Vec4&, const Vec4&, uint32_t, uint32_t)
{
}

void debug_vis_line(const Vec4&, const Vec4&, uint32_t)
{
}

void debug_vis_cube(const Vec4&, float, uint32_t)
{
}

void debug_vis_box(const Vec4&, const Vec4&, uint32_t)
{
}

void debug_vis_cross(const Vec4&, float, uint32_t)
{
}
