// d3d_misc.cpp - vertex declarations, instancing, draws, clears, render states, transforms.
#include "d3d_misc.h"

#include <stdint.h>

#include "../core/log.h"
#include "d3d_internal.h"
#include "d3d_vbuf.h"
#include "glApi.h"
#include "vertexAttribs.h"

// One attribute as the vertex array object holds it; format is an
// AttribType, -1 when the attribute's state is unknown.
struct AttribState {
    GLuint buffer;
    int format, stride, divisor;
    uintptr_t offset;
    int enabled; // 0 or 1; -1 unknown
};

static struct {
    VertexDeclaration declarations[MAX_VERTEX_DECLARATIONS]; // made at start-up, emptied at close
    VertexDeclaration* current;                              // set_vertex_declaration; cleared at close
    int instances;           // set_instancing: copies per draw_indexed, 0 = not instanced
    int alphaRef;            // alpha_test: reference 1..255, 0 = off; reset with the device
    bool depthWrite;         // set_depth_write; clears must restore it
    GLuint vao;              // the one vertex array object, bound for the device's lifetime
    GLuint quad;             // the full-screen quad's four positions
    Matrix view, projection; // set_view, set_projection
    // What the vertex array object holds, so that a draw sets only what
    // changed; forgotten (all unknown) with the object and when a buffer is
    // deleted.
    AttribState attribs[ATTR_COUNT];
    GLuint arrayBuffer, elementBuffer; // bound now; ~0 when unknown
    // With base instances (GL 4.2) an instanced stream's offset in whole
    // records becomes the draw's first instance instead of new attribute
    // pointers: runs of one buffer drawn one after another then change
    // nothing. Both set by create_vertex_input / apply_vertex_input.
    bool baseInstance;
    int firstInstance;
    DrawCounts counts; // since reset_draw_counts
} misc;

// Attribute locations by usage, then usage index; -1 past the table.
static int attrib_location(AttribUsage usage, int index)
{
    static const int POSITION[] = {ATTR_POSITION0, ATTR_POSITION1};
    static const int NORMAL[] = {ATTR_NORMAL0, ATTR_NORMAL1};
    static const int COLOR[] = {ATTR_COLOR0, ATTR_COLOR1};
    static const int TEXCOORD[] = {ATTR_TEXCOORD0, ATTR_TEXCOORD1, ATTR_TEXCOORD2, ATTR_TEXCOORD3,
        ATTR_TEXCOORD4, ATTR_TEXCOORD5, ATTR_TEXCOORD6, ATTR_TEXCOORD7};
    static const int TANGENT[] = {ATTR_TANGENT0, ATTR_TANGENT1};
    static const struct {
        const int* locations;
        int count;
    } TABLE[] = {{POSITION, 2}, {NORMAL, 2}, {COLOR, 2}, {TEXCOORD, 8}, {TANGENT, 2}};
    if (index < 0 || index >= TABLE[usage].count)
        return -1;
    return TABLE[usage].locations[index];
}

static DeviceElement translate_element(const VertexElement& e)
{
    DeviceElement d;
    d.stream = e.stream;
    d.offset = e.offset;
    d.type = e.type >= VDECL_FLOAT1 && e.type <= VDECL_SHORT4 ? static_cast<AttribType>(e.type - 1)
                                                              : ATTRIB_UNUSED;
    d.usage = e.usage <= VDECL_TEXCOORD ? static_cast<AttribUsage>(e.usage) : ATTRIB_TANGENT;
    d.usageIndex = e.usageIndex;
    d.location = attrib_location(d.usage, d.usageIndex);
    return d;
}

VertexDeclaration* create_vertex_declaration(const VertexElement* elements)
{
    VertexDeclaration* decl = nullptr;
    for (VertexDeclaration& d : misc.declarations) {
        if (!d.used) {
            decl = &d;
            break;
        }
    }
    if (!decl)
        fatal_error("reached maximum vertex declaration count");
    int i = 0;
    for (; elements[i].stream != 255; ++i) {
        ASSERT(i < MAX_VDECL_LEN);
        decl->elements[i] = translate_element(elements[i]);
        // A usage index past the attribute table has nowhere to go.
        if (decl->elements[i].location < 0)
            fatal_error("failed to create vertex declaration (code 0x%08X)", GL_INVALID_VALUE);
    }
    ASSERT(i < MAX_VDECL_LEN);
    decl->elements[i] = {255, 0, ATTRIB_END, ATTRIB_POSITION, 0, -1};
    decl->count = i + 1;
    decl->used = true;
    return decl;
}

void set_vertex_declaration(VertexDeclaration* decl)
{
    misc.current = decl;
}

void release_all_vertex_declarations()
{
    for (VertexDeclaration& d : misc.declarations)
        d = {};
    misc.current = nullptr;
}

void set_instancing(int instance_count)
{
    misc.instances = instance_count > 0 ? instance_count : 0;
}

void forget_vertex_input()
{
    for (AttribState& a : misc.attribs)
        a = {0, -1, 0, 0, 0, -1};
    forget_bound_buffers();
}

void forget_bound_buffers()
{
    misc.arrayBuffer = misc.elementBuffer = ~0u;
}

// Points one attribute at a buffer in one of the element types' formats,
// unless it points there already.
static void point_attribute(
    int location, GLuint buffer, int format, int stride, uintptr_t offset, int divisor)
{
    static const struct {
        GLint size;
        GLenum type;
        GLboolean normalised;
    } FORMATS[] = {
        {1, GL_FLOAT, GL_FALSE},
        {2, GL_FLOAT, GL_FALSE},
        {3, GL_FLOAT, GL_FALSE},
        {4, GL_FLOAT, GL_FALSE},
        // The bytes of 0xAARRGGBB in memory are b, g, r, a (size set below).
        {0, GL_UNSIGNED_BYTE, GL_TRUE},
        {2, GL_SHORT, GL_FALSE},
        {4, GL_SHORT, GL_FALSE},
    };
    AttribState& a = misc.attribs[location];
    if (a.buffer != buffer || a.format != format || a.stride != stride || a.offset != offset) {
        if (misc.arrayBuffer != buffer) {
            glBindBuffer(GL_ARRAY_BUFFER, buffer);
            misc.arrayBuffer = buffer;
        }
        const auto& f = FORMATS[format];
        GLint size = format == ATTRIB_D3DCOLOR ? gl_color_attribute_size() : f.size;
        glVertexAttribPointer(
            location, size, f.type, f.normalised, stride, reinterpret_cast<const void*>(offset));
        a.buffer = buffer;
        a.format = format;
        a.stride = stride;
        a.offset = offset;
    }
    if (a.divisor != divisor) {
        glVertexAttribDivisor(location, divisor);
        a.divisor = divisor;
    }
}

// Enables exactly the attributes marked, switching only those that differ.
static void enable_attributes(const bool (&enabled)[ATTR_COUNT])
{
    for (int loc = 0; loc < ATTR_COUNT; ++loc) {
        AttribState& a = misc.attribs[loc];
        if (a.enabled == static_cast<int>(enabled[loc]))
            continue;
        if (enabled[loc])
            glEnableVertexAttribArray(loc);
        else
            glDisableVertexAttribArray(loc);
        a.enabled = enabled[loc];
    }
}

// The declaration and streams as they stand, onto the vertex array object.
static void apply_vertex_input()
{
    bool enabled[ATTR_COUNT] = {};
    misc.firstInstance = 0;
    if (VertexDeclaration* d = misc.current) {
        for (int i = 0; i < d->count; ++i) {
            const DeviceElement& e = d->elements[i];
            if (e.type >= ATTRIB_UNUSED || e.stream >= MAX_STREAMS)
                continue;
            const StreamSource& s = stream_source(e.stream);
            if (!s.buffer || !s.buffer->buffer)
                continue;
            // Instanced: stream 0 repeats for every copy, stream 1 advances per copy.
            int divisor = misc.instances > 0 && e.stream == 1 ? 1 : 0;
            int offset = s.offset;
            if (divisor && misc.baseInstance && s.stride > 0) {
                misc.firstInstance = s.offset / s.stride;
                offset -= misc.firstInstance * s.stride;
            }
            point_attribute(e.location, s.buffer->buffer, e.type, s.stride,
                static_cast<uintptr_t>(offset + e.offset), divisor);
            enabled[e.location] = true;
        }
    }
    enable_attributes(enabled);
    GLuint indices = bound_index_buffer();
    if (misc.elementBuffer != indices) {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices);
        misc.elementBuffer = indices;
    }
}

static void prepare_draw()
{
    if (gl_errors_are_cheap())
        d3d_take_error(); // a failure found after the draw is the draw's own
    // The reference sits half a step below its byte value, so that an alpha
    // read back as 0.99999 of a step still passes.
    apply_shader_state(misc.alphaRef >= 1 ? (misc.alphaRef - 0.5f) / 255.0f : -1.0f);
}

static GLenum gl_mode(PrimitiveType type)
{
    switch (type) {
    case PRIM_POINT_LIST:
        return GL_POINTS;
    case PRIM_LINE_LIST:
        return GL_LINES;
    case PRIM_LINE_STRIP:
        return GL_LINE_STRIP;
    case PRIM_TRIANGLE_LIST:
        return GL_TRIANGLES;
    case PRIM_TRIANGLE_STRIP:
        return GL_TRIANGLE_STRIP;
    case PRIM_TRIANGLE_FAN:
        return GL_TRIANGLE_FAN;
    }
    return GL_INVALID_ENUM; // the draw then fails with that code
}

static int vertices_of(PrimitiveType type, int primitives)
{
    switch (type) {
    case PRIM_LINE_LIST:
        return primitives * 2;
    case PRIM_LINE_STRIP:
        return primitives + 1;
    case PRIM_TRIANGLE_LIST:
        return primitives * 3;
    case PRIM_TRIANGLE_STRIP:
    case PRIM_TRIANGLE_FAN:
        return primitives + 2;
    default:
        return primitives;
    }
}

// One more draw of `instances` copies for the counts.
static void count_draw(int instances)
{
    ++misc.counts.draws;
    misc.counts.instances += instances;
}

const DrawCounts& draw_counts()
{
    return misc.counts;
}

void reset_draw_counts()
{
    misc.counts = {};
}

// A failed draw ends the program, named. Where asking for the error is dear
// (gl_errors_are_cheap), present_frame checks the frame's draws together.
static void check_draw(const char* what)
{
    if (!gl_errors_are_cheap())
        return;
    if (uint32_t code = d3d_take_error())
        fatal_error("%s failed (0x%08X)", what, code);
}

void draw_indexed(PrimitiveType type, int base_vertex, int min_index, int vertex_count, int start_index,
    int primitive_count)
{
    // The index range is only a hint to Direct3D; OpenGL needs none.
    (void)min_index;
    (void)vertex_count;
    // Mesa reads index 0 from client memory instead of refusing; Direct3D refuses.
    if (!bound_index_buffer())
        fatal_error("draw_indexed failed (0x%08X)", GL_INVALID_OPERATION);
    prepare_draw();
    apply_vertex_input();
    const void* first = reinterpret_cast<const void*>(static_cast<uintptr_t>(start_index) * 2);
    int count = vertices_of(type, primitive_count);
    gl_draw_elements(
        gl_mode(type), count, first, misc.instances, base_vertex, static_cast<uint32_t>(misc.firstInstance));
    count_draw(misc.instances > 0 ? misc.instances : 1);
    check_draw("draw_indexed");
}

void draw_prim(PrimitiveType type, int start_vertex, int primitive_count)
{
    prepare_draw();
    apply_vertex_input();
    glDrawArrays(gl_mode(type), start_vertex, vertices_of(type, primitive_count));
    count_draw(1);
    check_draw("draw_prim");
}

void draw_fullscreen_quad()
{
    prepare_draw();
    bool enabled[ATTR_COUNT] = {};
    enabled[ATTR_POSITION0] = true;
    point_attribute(ATTR_POSITION0, misc.quad, ATTRIB_FLOAT3, 12, 0, 0);
    enable_attributes(enabled);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    count_draw(1);
    check_draw("draw_prim");
}

static void set_clear_color(uint32_t argb)
{
    glClearColor(((argb >> 16) & 255) / 255.0f, ((argb >> 8) & 255) / 255.0f, (argb & 255) / 255.0f,
        (argb >> 24) / 255.0f);
}

void clear_all(uint32_t argb)
{
    set_clear_color(argb);
    // Direct3D clears depth whatever the write switch says; OpenGL masks it.
    glDepthMask(GL_TRUE);
    gl_clear_depth_one();
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glDepthMask(misc.depthWrite ? GL_TRUE : GL_FALSE);
}

void clear_color(uint32_t argb)
{
    set_clear_color(argb);
    glClear(GL_COLOR_BUFFER_BIT);
}

void blend_off()
{
    glDisable(GL_BLEND);
}

void blend_alpha()
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void alpha_test(int reference)
{
    misc.alphaRef = reference >= 1 ? reference : 0;
}

void set_cull(bool on)
{
    if (!on) {
        glDisable(GL_CULL_FACE);
        return;
    }
    glEnable(GL_CULL_FACE);
    glFrontFace(gl_front_face());
    glCullFace(GL_BACK);
}

void set_depth_test(bool on)
{
    if (on)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
}

void set_depth_write(bool on)
{
    misc.depthWrite = on;
    glDepthMask(on ? GL_TRUE : GL_FALSE);
}

void set_wireframe(bool on)
{
    gl_set_wireframe(on);
}

void set_view(const Matrix& view)
{
    misc.view = view;
}

void set_projection(const Matrix& projection)
{
    misc.projection = projection;
}

void get_view_projection(Matrix* out)
{
    multiply_matrices(misc.view, misc.projection, out);
}

void create_vertex_input()
{
    misc.baseInstance = gl_has_base_instance();
    glGenVertexArrays(1, &misc.vao);
    glBindVertexArray(misc.vao);
    static const float QUAD[4][3] = {{-1, -1, 0}, {-1, 1, 0}, {1, -1, 0}, {1, 1, 0}};
    glGenBuffers(1, &misc.quad);
    glBindBuffer(GL_ARRAY_BUFFER, misc.quad);
    glBufferData(GL_ARRAY_BUFFER, sizeof QUAD, QUAD, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    forget_vertex_input();
}

void release_vertex_input()
{
    if (misc.quad)
        glDeleteBuffers(1, &misc.quad);
    if (misc.vao)
        glDeleteVertexArrays(1, &misc.vao);
    misc.quad = misc.vao = 0;
    misc.instances = 0;
    forget_vertex_input();
}

void set_default_states()
{
    misc.view = misc.projection = MATRIX_IDENTITY;
    misc.instances = 0;
    alpha_test(0);
    blend_off();
    set_cull(true);
    glDepthFunc(GL_LEQUAL);
    set_depth_test(true);
    set_depth_write(true);
    set_wireframe(false);
}
