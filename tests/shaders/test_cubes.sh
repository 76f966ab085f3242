// test_cubes.sh - instanced cubes and quads for the device tests' pictures.
//
// Stream 0: corner and face code as D3DCOLOR (the cube mesh's layout);
// stream 1: SHORT4 (x, y, z, size) and a D3DCOLOR colour per instance.
// c0..c3: the transform; c8.x > 0.5 colours each face by its direction
// instead of by the instance colour.
#include "device.glsl"

#ifdef VERTEX_SHADER
layout(location = ATTR_POSITION0) in vec4 corner;
layout(location = ATTR_NORMAL0) in vec4 faceCode;
layout(location = ATTR_POSITION1) in vec4 instance;
layout(location = ATTR_COLOR0) in vec4 instanceColor;
flat out vec4 color;

// Front red, top green, left blue, right yellow, bottom magenta, back cyan.
vec4 face_color(vec3 code)
{
    if (code.z < 0.1)
        return vec4(1, 0, 0, 1);
    if (code.y > 0.9)
        return vec4(0, 1, 0, 1);
    if (code.x < 0.1)
        return vec4(0, 0, 1, 1);
    if (code.x > 0.9)
        return vec4(1, 1, 0, 1);
    if (code.y < 0.1)
        return vec4(1, 0, 1, 1);
    return vec4(0, 1, 1, 1);
}

void main()
{
    vec3 p = instance.xyz + corner.xyz * instance.w;
    color = c[8].x > 0.5 ? face_color(faceCode.xyz) : instanceColor;
    gl_Position = d3d_position(transform_row(vec4(p, 1.0), 0));
}
#endif

#ifdef PIXEL_SHADER
flat in vec4 color;
out vec4 result;

void main()
{
    alpha_test(color.a);
    result = color;
}
#endif
