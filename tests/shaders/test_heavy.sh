// test_heavy.sh - a full-screen quad that keeps the GPU busy for a while.
//
// c0.x: iterations per pixel. The result depends on every iteration, so none
// can be skipped.
#include "device.glsl"

#ifdef VERTEX_SHADER
layout(location = ATTR_POSITION0) in vec3 position;
flat out int iterations;

void main()
{
    iterations = int(c[0].x);
    gl_Position = d3d_position(vec4(position, 1.0));
}
#endif

#ifdef PIXEL_SHADER
flat in int iterations;
out vec4 result;

void main()
{
    float v = gl_FragCoord.x * 0.001;
    for (int i = 0; i < iterations; ++i)
        v = fract(v * 1.7 + 0.31);
    result = vec4(v, v, v, 1.0);
}
#endif
