// postfx_none.sh - copies the scene image to the back buffer unchanged.
//
// Drawn as the full-screen quad; c16 maps clip space to texture coordinates
// with the half-texel offset: (0.5, -0.5, 0.5 / W + 0.5, 0.5 / H + 0.5).
#include "device.glsl"

#ifdef VERTEX_SHADER
layout(location = ATTR_POSITION0) in vec3 position;
out vec2 uv;

void main()
{
    uv = position.xy * c[16].xy + c[16].zw;
    gl_Position = d3d_position(vec4(position, 1.0));
}
#endif

#ifdef PIXEL_SHADER
uniform sampler2D s0;
in vec2 uv;
out vec4 color;

// The texel under the mapped coordinates: they fall on texel centres (give
// or take the device's 1/64-pixel nudge), so this is the image unchanged.
void main()
{
    color = texelFetch(s0, ivec2(uv * vec2(textureSize(s0, 0))), 0);
}
#endif
