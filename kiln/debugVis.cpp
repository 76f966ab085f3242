// debugVis.cpp - the world-space debug drawing batch.
#include "debugVis.h"

#include <math.h>

#include "../device/d3d_misc.h"
#include "../device/d3d_shaders.h"
#include "../device/d3d_vbuf.h"

enum { DEBUG_VERTICES = 4096 };

struct DebugVertex {
    float x, y, z;   // world units
    uint32_t colour; // 0xAARRGGBB
};
static_assert(sizeof(DebugVertex) == 16, "the debug batch's vertex stride is 16 bytes");
static_assert(DEBUG_VERTICES * sizeof(DebugVertex) == 65536, "the debug batch holds 4096 vertices");

static const VertexElement DEBUG_ELEMENTS[] = {
    {0, 0, VDECL_FLOAT3, VDECL_POSITION, 0},
    {12, 0, VDECL_D3DCOLOR, VDECL_COLOR, 0},
    VDECL_END,
};

static struct {
    VertexDeclaration* decl; // debug_vis_init to debug_vis_shutdown, like the two below
    Shader* shader;
    VertexBuffer* vb;
    DebugVertex* vbPtr; // the locked buffer between debug_vis_begin and debug_vis_end, else null
    PrimitiveType kind; // of the primitives written since the last flush
    int count;          // primitives written since the last flush
} vis;

void debug_vis_init()
{
    vis.decl = create_vertex_declaration(DEBUG_ELEMENTS);
    vis.shader = load_shader("debug_vis.sh", nullptr);
    vis.vb = create_vertex_buffer(DEBUG_VERTICES * sizeof(DebugVertex), 0);
    if (!vis.vb)
        fatal_error("can't create debugVis vertex buffer");
}

void debug_vis_shutdown()
{
    destroy_vertex_buffer(vis.vb);
    free_shader(vis.shader);
    vis = {};
}

static DebugVertex* lock_batch()
{
    DebugVertex* vbPtr = static_cast<DebugVertex*>(lock_vertex_buffer(vis.vb, 0, 0));
    ASSERT(vbPtr);
    return vbPtr;
}

void debug_vis_begin()
{
    const DebugVertex* vbPtr = vis.vbPtr;
    ASSERT(!vbPtr);
    set_vertex_declaration(vis.decl);
    set_stream(0, vis.vb, 0, sizeof(DebugVertex));
    set_shader(vis.shader);
    set_cull(false);
    vis.vbPtr = lock_batch();
    vis.kind = PRIM_TRIANGLE_LIST;
    vis.count = 0;
}

void debug_vis_flush(bool final)
{
    const DebugVertex* vbPtr = vis.vbPtr;
    ASSERT(vbPtr);
    if (vis.count == 0 && !final)
        return;
    unlock_vertex_buffer(vis.vb);
    if (vis.count > 0)
        draw_prim(vis.kind, 0, vis.count);
    vis.count = 0;
    vis.vbPtr = final ? nullptr : lock_batch();
}

void debug_vis_end()
{
    debug_vis_flush(true);
    set_cull(true);
}

// Room for one more primitive of the kind with `vertices` corners: the batch
// is drawn first when the kind changes or the buffer would overflow.
static DebugVertex* next_primitive(PrimitiveType kind, int vertices)
{
    const DebugVertex* vbPtr = vis.vbPtr;
    ASSERT(vbPtr);
    if (vis.kind != kind || vertices * (vis.count + 1) > DEBUG_VERTICES) {
        debug_vis_flush(false);
        vis.kind = kind;
    }
    return vis.vbPtr + vertices * vis.count++;
}

static DebugVertex vertex(const Vec4& p, uint32_t colour)
{
    return {p.x, p.y, p.z, colour};
}

void debug_vis_triangle(const Vec4& p0, const Vec4& p1, const Vec4& p2, uint32_t c0, uint32_t c1, uint32_t c2)
{
    DebugVertex* v = next_primitive(PRIM_TRIANGLE_LIST, 3);
    v[0] = vertex(p0, c0);
    v[1] = vertex(p1, c1);
    v[2] = vertex(p2, c2);
}

void debug_vis_triangle(const Vec4& p0, const Vec4& p1, const Vec4& p2, uint32_t colour)
{
    debug_vis_triangle(p0, p1, p2, colour, colour, colour);
}

void debug_vis_line(const Vec4& p0, const Vec4& p1, uint32_t c0, uint32_t c1)
{
    DebugVertex* v = next_primitive(PRIM_LINE_LIST, 2);
    v[0] = vertex(p0, c0);
    v[1] = vertex(p1, c1);
}

void debug_vis_line(const Vec4& p0, const Vec4& p1, uint32_t colour)
{
    debug_vis_line(p0, p1, colour, colour);
}

// Corner i of the box from lo to hi: bit 0 picks x, bit 1 y, bit 2 z.
static Vec4 box_corner(const Vec4& lo, const Vec4& hi, int i)
{
    return {i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z, 1};
}

void debug_vis_cube(const Vec4& centre, float half, uint32_t colour)
{
    Vec4 lo = {centre.x - half, centre.y - half, centre.z - half, 1};
    Vec4 hi = {centre.x + half, centre.y + half, centre.z + half, 1};
    // Each face as its four corners around the face.
    static const int FACES[6][4]
        = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const int* f : FACES) {
        Vec4 a = box_corner(lo, hi, f[0]), b = box_corner(lo, hi, f[1]);
        Vec4 c = box_corner(lo, hi, f[2]), d = box_corner(lo, hi, f[3]);
        debug_vis_triangle(a, b, c, colour);
        debug_vis_triangle(a, c, d, colour);
    }
}

void debug_vis_box(const Vec4& a, const Vec4& b, uint32_t colour)
{
    Vec4 lo = {fminf(a.x, b.x), fminf(a.y, b.y), fminf(a.z, b.z), 1};
    Vec4 hi = {fmaxf(a.x, b.x), fmaxf(a.y, b.y), fmaxf(a.z, b.z), 1};
    // The 12 edges join the corners that differ in one bit.
    for (int i = 0; i < 8; ++i)
        for (int bit = 1; bit < 8; bit <<= 1)
            if (!(i & bit))
                debug_vis_line(box_corner(lo, hi, i), box_corner(lo, hi, i | bit), colour);
}

void debug_vis_cross(const Vec4& centre, float half, uint32_t colour)
{
    const Vec4& c = centre;
    debug_vis_line({c.x - half, c.y, c.z, 1}, {c.x + half, c.y, c.z, 1}, colour);
    debug_vis_line({c.x, c.y - half, c.z, 1}, {c.x, c.y + half, c.z, 1}, colour);
    debug_vis_line({c.x, c.y, c.z - half, 1}, {c.x, c.y, c.z + half, 1}, colour);
}
