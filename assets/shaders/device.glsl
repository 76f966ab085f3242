// device.glsl - what every shader shares with the device layer.
//
// Each shader source includes this first. The build puts "#version 330 core"
// and "#define VERTEX_SHADER 1" or "#define PIXEL_SHADER 1" in front.
#include "vertexAttribs.h"

#ifdef VERTEX_SHADER
// The vertex-shader constant registers, set_vs_constants' c0..c31.
uniform vec4 c[32];
// Just under half a pixel right and down in clip units, set by the device
// for the current target: OpenGL covers and samples pixels at their centres,
// Direct3D 9 at their corners, and the game's pixel-exact mappings are
// written for Direct3D (see apply_shader_state).
uniform vec2 pixelOffset;

// A row vector times the matrix in registers c[first]..c[first+3].
vec4 transform_row(vec4 v, int first)
{
    return v.x * c[first] + v.y * c[first + 1] + v.z * c[first + 2] + v.w * c[first + 3];
}

#ifdef GL_ES
// Where WebGL has no clip control, the device sets clipFix = (-1, 1) for the
// scene targets, whose rows are kept top first, and (1, 1) for the window:
// y is flipped here and the depth range mapped from Direct3D's 0..1 to
// OpenGL's -1..1. With clip control it is (1, 0), and the position is used as
// it stands.
uniform vec2 clipFix;

// The clip position as Direct3D 9 would rasterise it.
vec4 d3d_position(vec4 clip)
{
    vec2 xy = clip.xy + pixelOffset * clip.w;
    float z = clipFix.y > 0.5 ? clip.z * 2.0 - clip.w : clip.z;
    return vec4(xy.x, xy.y * clipFix.x, z, clip.w);
}

// An attribute declared D3DCOLOR (a colour, or four bytes of other data),
// whose bytes arrive as b, g, r, a.
#define d3d_color(v) ((v).bgra)
#else
// The clip position as Direct3D 9 would rasterise it.
vec4 d3d_position(vec4 clip)
{
    return vec4(clip.xy + pixelOffset * clip.w, clip.zw);
}

// An attribute declared D3DCOLOR, whose bytes the device delivers as
// Direct3D does.
#define d3d_color(v) (v)
#endif
#endif

#ifdef PIXEL_SHADER
// alpha_test: pixels whose alpha is below it are dropped (-1 while the test is off).
uniform float alphaRef;

void alpha_test(float alpha)
{
    if (alpha < alphaRef)
        discard;
}
#endif
