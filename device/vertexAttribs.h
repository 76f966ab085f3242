// vertexAttribs.h - the attribute location of each vertex-element usage and usage index.
//
// One table for the device layer (C++) and the shader sources (GLSL, through
// device.glsl), so this file holds only comments and preprocessor definitions
// that both languages read alike. A vertex shader declares its inputs as
//   layout(location = ATTR_TEXCOORD0) in vec2 uv;
// and a declaration element of that usage and usage index feeds it.
#ifndef TARNWICK_VERTEX_ATTRIBS_H
#define TARNWICK_VERTEX_ATTRIBS_H

#define ATTR_POSITION0 0
#define ATTR_POSITION1 1
#define ATTR_NORMAL0 2
#define ATTR_NORMAL1 3
#define ATTR_COLOR0 4
#define ATTR_COLOR1 5
#define ATTR_TEXCOORD0 6
#define ATTR_TEXCOORD1 7
#define ATTR_TEXCOORD2 8
#define ATTR_TEXCOORD3 9
#define ATTR_TEXCOORD4 10
#define ATTR_TEXCOORD5 11
#define ATTR_TEXCOORD6 12
#define ATTR_TEXCOORD7 13
#define ATTR_TANGENT0 14
#define ATTR_TANGENT1 15

// Locations in use; OpenGL guarantees at least 16.
#define ATTR_COUNT 16

#endif
