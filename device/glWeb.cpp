// glWeb.cpp - the device's GL calls on WebGL 2 (OpenGL ES 3.0 in a browser).
//
// WebGL 2 has no buffer mapping, no base-vertex draws, no BGRA formats, no
// texture read-back and no waiting on fences; clip control only as the
// extension EXT_clip_control. Mapped ranges are CPU copies uploaded on
// unmap; 0xAARRGGBB pixels are turned to and from RGBA bytes on the CPU;
// without the extension the shaders take Direct3D's depth range and row order
// from device.glsl's GL_ES branch (see gl_clip_fix).
#include <emscripten.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "../core/log.h"
#include "d3d_internal.h"
#include "glApi.h"

static struct {
    bool clipControl; // the context has EXT_clip_control; set by gl_begin_context
    bool topFirst;    // the target bound last keeps its rows top first
    // The ranges mapped now: a CPU copy each, written to the buffer on unmap.
    struct Mapping {
        uint32_t buffer;
        int offset, size;
        uint8_t* memory;
    };
    std::vector<Mapping> mappings;
    std::vector<uint32_t> pixels; // conversion scratch of the texture calls
    GLuint readFbo;               // reads textures back; made at first use, lives with the context
} web;

bool gl_errors_are_cheap()
{
    return false;
}

// Enables EXT_clip_control on the current context; false without it.
EM_JS(int, enable_clip_control, (), {
    Module.clipControl = GLctx.getExtension('EXT_clip_control');
    return Module.clipControl ? 1 : 0;
});

EM_JS(void, set_clip_control, (int top_first), {
    var e = Module.clipControl;
    e.clipControlEXT(top_first ? e.UPPER_LEFT_EXT : e.LOWER_LEFT_EXT, e.ZERO_TO_ONE_EXT);
});

const char* gl_begin_context()
{
    web.clipControl = enable_clip_control() != 0;
    return nullptr;
}

bool gl_has_extension(const char* name)
{
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i) {
        const char* e = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
        if (e && strcmp(e, name) == 0)
            return true;
    }
    return false;
}

bool gl_has_base_instance()
{
    return false;
}

// WebGL 2 tells a format's sample counts but not how many there are.
bool gl_has_format_query()
{
    return false;
}

void gl_set_target_origin(bool top_first)
{
    web.topFirst = top_first;
    if (web.clipControl)
        set_clip_control(top_first);
}

// Clip control decides facing in clip space, as on the desktop; flipping
// clip-space y in the shaders turns every face's winding instead, so the
// front faces turn with it.
GLenum gl_front_face()
{
    return web.topFirst && !web.clipControl ? GL_CCW : GL_CW;
}

void gl_clip_fix(float* x, float* y)
{
    *x = web.topFirst && !web.clipControl ? -1.0f : 1.0f;
    *y = web.clipControl ? 0.0f : 1.0f;
}

static GLenum target_of(bool index)
{
    return index ? GL_ELEMENT_ARRAY_BUFFER : GL_ARRAY_BUFFER;
}

// Binds a buffer to the one target it may ever have; the vertex input then
// no longer knows what is bound there.
static void bind_for_upload(uint32_t buffer, bool index)
{
    glBindBuffer(target_of(index), buffer);
    forget_bound_buffers();
}

void gl_create_buffer(uint32_t buffer, bool index, int size, bool is_static)
{
    bind_for_upload(buffer, index);
    glBufferData(target_of(index), size, nullptr, is_static ? GL_STATIC_DRAW : GL_DYNAMIC_DRAW);
}

void* gl_map_buffer(uint32_t buffer, bool index, int offset, int size, uint32_t access)
{
    (void)index;
    (void)access; // a copy never waits on draws, and the upload replaces what it covers
    for (const auto& m : web.mappings)
        if (m.buffer == buffer)
            return nullptr; // mapped already, as GL refuses
    uint8_t* memory = static_cast<uint8_t*>(malloc(static_cast<size_t>(size)));
    if (!memory)
        return nullptr;
    web.mappings.push_back({buffer, offset, size, memory});
    return memory;
}

void gl_unmap_buffer(uint32_t buffer, bool index)
{
    for (size_t i = 0; i < web.mappings.size(); ++i) {
        auto m = web.mappings[i];
        if (m.buffer != buffer)
            continue;
        bind_for_upload(buffer, index);
        glBufferSubData(target_of(index), m.offset, m.size, m.memory);
        free(m.memory);
        web.mappings.erase(web.mappings.begin() + static_cast<std::ptrdiff_t>(i));
        return;
    }
}

// Bytes b, g, r, a arrive as (b, g, r, a); d3d_color() swizzles them.
GLint gl_color_attribute_size()
{
    return 4;
}

void gl_draw_elements(
    GLenum mode, int count, const void* first, int instances, int base_vertex, uint32_t first_instance)
{
    // The game draws every mesh from vertex 0; gl_has_base_instance keeps
    // first_instance 0.
    if (base_vertex != 0 || first_instance != 0)
        fatal_error("draw_indexed from base vertex %d needs desktop OpenGL", base_vertex);
    if (instances > 0)
        glDrawElementsInstanced(mode, count, GL_UNSIGNED_SHORT, first, instances);
    else
        glDrawElements(mode, count, GL_UNSIGNED_SHORT, first);
}

void gl_clear_depth_one()
{
    glClearDepthf(1.0f);
}

// Wireframe is a debugging view; WebGL has no polygon mode.
void gl_set_wireframe(bool on)
{
    (void)on;
}

// 0xAARRGGBB to bytes r, g, b, a and back: the same swap both ways.
static void swap_red_blue(const uint32_t* from, uint32_t* to, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        uint32_t p = from[i];
        to[i] = (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
    }
}

static const uint32_t* as_rgba(const uint32_t* pixels, int width, int height)
{
    if (!pixels)
        return nullptr;
    size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    web.pixels.resize(count);
    swap_red_blue(pixels, web.pixels.data(), count);
    return web.pixels.data();
}

void gl_texture_image(int level, int width, int height, const uint32_t* pixels)
{
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
        as_rgba(pixels, width, height));
}

void gl_texture_update(int width, int height, const uint32_t* pixels)
{
    glTexSubImage2D(
        GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, as_rgba(pixels, width, height));
}

void gl_read_pixels(int width, int height, uint32_t* pixels)
{
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    swap_red_blue(pixels, pixels, static_cast<size_t>(width) * static_cast<size_t>(height));
}

// Through a framebuffer of its own, as WebGL reads textures back.
void gl_read_texture(uint32_t texture, int width, int height, uint32_t* pixels)
{
    GLint bound = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &bound);
    if (!web.readFbo)
        glGenFramebuffers(1, &web.readFbo);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, web.readFbo);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    gl_read_pixels(width, height, pixels);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(bound));
}

// A browser updates a fence's state only between tasks, and it paces the
// rounds of the main loop itself, one frame each: the device need not hold a
// frame back, and a program that draws without yielding (a test) could not.
bool gl_fence_passed(GLsync fence)
{
    (void)fence;
    return true;
}

// Never blocks: a browser can't wait, and its fences count as passed.
bool gl_wait_fence_for(GLsync fence, uint64_t timeout_ns)
{
    (void)fence;
    (void)timeout_ns;
    return true;
}

// A browser updates a fence's state only between tasks, so waiting on one
// would never end; finishing the queued work is the nearest thing.
void gl_wait_fence(GLsync fence)
{
    (void)fence;
    glFinish();
}

// GLSL ES 3.00 takes the desktop text as it is once its version line is
// replaced and precisions are given.
void gl_shader_source(GLuint shader, const char* code, int length)
{
    static const char PROLOGUE[] = "#version 300 es\n"
                                   "precision highp float;\n"
                                   "precision highp int;\n"
                                   "precision highp sampler2D;\n";
    const char* body = code;
    if (length >= 9 && strncmp(code, "#version ", 9) == 0) {
        const char* eol = static_cast<const char*>(memchr(code, '\n', static_cast<size_t>(length)));
        body = eol ? eol + 1 : code + length;
    }
    const char* parts[2] = {PROLOGUE, body};
    GLint lengths[2] = {static_cast<GLint>(sizeof PROLOGUE - 1), static_cast<GLint>(code + length - body)};
    glShaderSource(shader, 2, parts, lengths);
}
