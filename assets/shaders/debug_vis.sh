// debug_vis.sh - the debug batch: coloured triangles and lines in world space.
//
// c0..c3 hold the camera's view * projection while the world's debug shapes
// are drawn (the scene sets them each frame; end_cubes puts them back after
// sprites moved the world matrix). The colour is the vertex colour.
#include "device.glsl"

#ifdef VERTEX_SHADER
layout(location = ATTR_POSITION0) in vec3 position;
layout(location = ATTR_COLOR0) in vec4 colour;
out vec4 tint;

void main()
{
    gl_Position = d3d_position(transform_row(vec4(position, 1.0), 0));
    tint = d3d_color(colour);
}
#endif

#ifdef PIXEL_SHADER
in vec4 tint;
out vec4 color;

void main()
{
    color = tint;
}
#endif
