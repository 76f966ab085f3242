// font.sh - the font batch: glyphs from the font image and plain rectangles.
//
// Vertices are display pixels from the bottom-left corner (y up), a colour
// and texels of the font image; c16 maps pixels to clip space, (2 / W, 2 / H,
// -1 - 0.5 / W, 0.5 / H - 1), and c17 texels to texture coordinates, (1 /
// image width, 1 / image height). Texels of -1 mark a rectangle, which comes
// out in the plain vertex colour; a glyph is its texel times the colour.
#include "device.glsl"

#ifdef VERTEX_SHADER
layout(location = ATTR_POSITION0) in vec2 position;
layout(location = ATTR_COLOR0) in vec4 colour;
layout(location = ATTR_TEXCOORD0) in vec2 texel;
out vec4 tint;
out vec2 uv;
out float plain;

void main()
{
    gl_Position = d3d_position(vec4(position * c[16].xy + c[16].zw, 0.5, 1.0));
    tint = d3d_color(colour);
    uv = texel * c[17].xy;
    plain = texel.x < 0.0 ? 1.0 : 0.0;
}
#endif

#ifdef PIXEL_SHADER
uniform sampler2D s0;
in vec4 tint;
in vec2 uv;
in float plain;
out vec4 color;

void main()
{
    color = (plain > 0.5 ? vec4(1.0) : texture(s0, uv)) * tint;
    alpha_test(color.a);
}
#endif
