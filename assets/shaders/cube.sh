// cube.sh - one instanced cube per voxel, lit from above and darkened with depth.
//
// Stream 0 holds the cube mesh: the corner (0 or 1 per axis) and a face code
// whose axis of the face is 0 or 1 (outward direction) and whose other two
// axes lean slightly (118 or 138 of 255) towards the corner, so the normal
// bends towards each cube's edges and faces shade softly across. Stream 1
// holds the instance: x, y, z in sixteenths of a voxel (bit 15 of x marks a
// double-size cube; w's low byte, signed, continues x in multiples of 32768,
// and its high byte stretches the cube in x by that many cubes more) and its
// colour.
// Registers: c0..c3 world * view * projection, c5 the light direction and c6
// the depth vector, both in the object space of the world matrix.
#include "device.glsl"

#ifdef VERTEX_SHADER
layout(location = ATTR_POSITION0) in vec4 corner;
layout(location = ATTR_NORMAL0) in vec4 faceCode;
layout(location = ATTR_POSITION1) in vec4 instance;
layout(location = ATTR_COLOR0) in vec4 instanceColor;
out vec3 shaded;

void main()
{
    bool doubled = instance.x < 0.0;
    float more = floor((instance.w + 128.0) / 256.0);
    float x16 = (doubled ? instance.x + 32768.0 : instance.x) + 32768.0 * (instance.w - 256.0 * more);
    float size = doubled ? 2.0 : 1.0;
    vec3 stretch = vec3(size * (more + 1.0), size, size);
    vec3 position = vec3(x16, instance.y, instance.z) / 16.0 + d3d_color(corner).xyz * stretch;
    gl_Position = d3d_position(transform_row(vec4(position, 1.0), 0));

    vec3 normal = normalize(d3d_color(faceCode).xyz * 2.0 - 1.0);
    vec3 light = normalize(c[5].xyz);
    float direct = max(dot(normal, light), 0.0);
    // Sky from above, a little bounce from below: tops bright, sides mid,
    // bottoms dark but never black.
    float ambient = mix(0.30, 0.52, normal.y * 0.5 + 0.5);
    float lit = ambient + 0.62 * direct;
    // 0 at the front face of the level, 1 at its back.
    float depth = clamp(dot(c[6].xyz, position) + c[6].w, 0.0, 1.2);
    float fade = mix(1.0, 0.42, depth);
    shaded = d3d_color(instanceColor).rgb * lit * fade;
}
#endif

#ifdef PIXEL_SHADER
in vec3 shaded;
out vec4 color;

// A 4 x 4 ordered dither of half a colour step, against banding in the soft
// gradients across faces. The Bayer matrix's entry is worked out from the
// pixel's bits (4 * the 2 x 2 entry of its low bits + that of its high bits,
// the 2 x 2 entry of (a, b) being 2 * (a ^ b) + b) rather than looked up:
// a rasteriser on the CPU shades many pixels at once, and a lookup by each
// one's own index costs it a load per pixel.
float dither()
{
    ivec2 p = ivec2(gl_FragCoord.xy);
    ivec2 a = p & 1, b = (p >> 1) & 1;
    int i = 4 * (2 * (a.x ^ a.y) + a.y) + 2 * (b.x ^ b.y) + b.y;
    return (float(i) / 16.0 - 0.47) / 255.0;
}

void main()
{
    color = vec4(clamp(shaded, 0.0, 1.0) + dither(), 1.0);
}
#endif
