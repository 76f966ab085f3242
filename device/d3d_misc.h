// d3d_misc.h - vertex declarations, instancing, draws, clears, render states, transforms.
//
// The drawing Parts describe their vertices with a compact element list, bind
// buffers with d3d_vbuf.h and draw with the calls here. Direct3D 9's
// conventions hold: row-vector matrices (clip = v * M), depth 0..1,
// counter-clockwise faces on screen culled, colours as 0xAARRGGBB.
#pragma once

#include <stdint.h>

#include "../libs/inc/misc/zu_vecmath.h"

// One element of a vertex as a drawing Part describes it (6 bytes); a list
// ends with VDECL_END.
struct VertexElement {
    uint16_t offset; // bytes from the start of the vertex
    uint8_t stream;  // 255 ends the list
    uint8_t type;    // VDECL_FLOAT1..VDECL_SHORT4; anything else: no data
    uint8_t usage;   // VDECL_POSITION..VDECL_TEXCOORD; anything else: tangent
    uint8_t usageIndex;
};
static_assert(sizeof(VertexElement) == 6, "vertex elements are 6 bytes");

enum VertexElementType {
    VDECL_FLOAT1 = 1,
    VDECL_FLOAT2 = 2,
    VDECL_FLOAT3 = 3,
    VDECL_FLOAT4 = 4,
    VDECL_D3DCOLOR = 5, // 0xAARRGGBB, arrives as (r, g, b, a) / 255
    VDECL_SHORT2 = 6,
    VDECL_SHORT4 = 7, // signed 16-bit values, not normalised
};
enum VertexElementUsage {
    VDECL_POSITION = 0,
    VDECL_NORMAL = 1,
    VDECL_COLOR = 2,
    VDECL_TEXCOORD = 3,
    VDECL_TANGENT = 4,
};
#define VDECL_END                                                                                            \
    {                                                                                                        \
        0, 255, 0, 0, 0                                                                                      \
    }

// Elements of one declaration, the end marker included.
enum { MAX_VDECL_LEN = 32, MAX_VERTEX_DECLARATIONS = 64 };

// How one element reaches the vertex shader.
enum AttribType {
    ATTRIB_FLOAT1,
    ATTRIB_FLOAT2,
    ATTRIB_FLOAT3,
    ATTRIB_FLOAT4,
    ATTRIB_D3DCOLOR,
    ATTRIB_SHORT2,
    ATTRIB_SHORT4,
    ATTRIB_UNUSED,
    ATTRIB_END
};
enum AttribUsage { ATTRIB_POSITION, ATTRIB_NORMAL, ATTRIB_COLOR, ATTRIB_TEXCOORD, ATTRIB_TANGENT };
struct DeviceElement {
    int stream, offset;
    AttribType type;
    AttribUsage usage;
    int usageIndex;
    int location; // vertexAttribs.h
};

// A table slot; the handle of a declaration is its address.
struct VertexDeclaration {
    bool used;
    int count; // elements including the end marker
    DeviceElement elements[MAX_VDECL_LEN];
};

// Translates the list up to VDECL_END into a new declaration; the program
// ends when the table is full or an element has no attribute location.
VertexDeclaration* create_vertex_declaration(const VertexElement* elements);
void set_vertex_declaration(VertexDeclaration* decl);
// At close.
void release_all_vertex_declarations();

// count > 0: draw_indexed draws count instances, stream 1 advancing once per
// instance; count <= 0: one copy, every stream per vertex.
void set_instancing(int instance_count);

enum PrimitiveType {
    PRIM_POINT_LIST = 1,
    PRIM_LINE_LIST = 2,
    PRIM_LINE_STRIP = 3,
    PRIM_TRIANGLE_LIST = 4,
    PRIM_TRIANGLE_STRIP = 5,
    PRIM_TRIANGLE_FAN = 6,
};
// Draw calls and the instances they drew (1 for a draw without
// instancing), counted for the benchmarks since the last reset.
struct DrawCounts {
    int64_t draws, instances;
};
const DrawCounts& draw_counts();
void reset_draw_counts();

// Draws from the bound index buffer; a failure ends the program.
void draw_indexed(PrimitiveType type, int base_vertex, int min_index, int vertex_count, int start_index,
    int primitive_count);
// Draws the bound streams without indices; a failure ends the program.
void draw_prim(PrimitiveType type, int start_vertex, int primitive_count);
// Two triangles over the whole target: positions (+-1, +-1, 0) at ATTR_POSITION0.
void draw_fullscreen_quad();

// The colour target, depth to 1.0 and stencil to 0.
void clear_all(uint32_t argb);
void clear_color(uint32_t argb);

void blend_off();
// source * source alpha + destination * (1 - source alpha)
void blend_alpha();
// reference < 1: off; else pixels pass whose alpha (0..255) >= reference.
void alpha_test(int reference);
// on: counter-clockwise faces on screen are culled; off: none.
void set_cull(bool on);
void set_depth_test(bool on);
void set_depth_write(bool on);
void set_wireframe(bool on);

// Transforms in the row-vector convention of zu_vecmath.h (v * M).
void set_view(const Matrix& view);
void set_projection(const Matrix& projection);
// view * projection.
void get_view_projection(Matrix* out);
