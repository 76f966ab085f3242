// glDesktop.cpp - the device's GL calls on desktop OpenGL (3.3 core with
// ARB_clip_control, or 4.5) through libepoxy.
#include "glApi.h"

bool gl_errors_are_cheap()
{
    return true;
}

const char* gl_begin_context()
{
    if (epoxy_gl_version() < 45 && !epoxy_has_gl_extension("GL_ARB_clip_control"))
        return "OpenGL 4.5, or 3.3 with ARB_clip_control, is needed";
    return nullptr;
}

bool gl_has_extension(const char* name)
{
    return epoxy_has_gl_extension(name);
}

bool gl_has_base_instance()
{
    return epoxy_gl_version() >= 42 || epoxy_has_gl_extension("GL_ARB_base_instance");
}

bool gl_has_format_query()
{
    return epoxy_gl_version() >= 42 || epoxy_has_gl_extension("GL_ARB_internalformat_query");
}

// Clip control flips the rows and maps depth 0..1 as Direct3D does, so the
// shaders' clip positions are used unchanged.
void gl_set_target_origin(bool top_first)
{
    glClipControl(top_first ? GL_UPPER_LEFT : GL_LOWER_LEFT, GL_ZERO_TO_ONE);
}

// OpenGL decides facing in clip space under either clip-control origin, and
// clip-space y points up as the screen's does, so a face that runs
// counter-clockwise on screen does so there too: with clockwise front faces,
// culling back faces removes it, on the back buffer and on the
// top-row-first scene targets alike.
GLenum gl_front_face()
{
    return GL_CW;
}

void gl_clip_fix(float* x, float* y)
{
    *x = 1;
    *y = 0;
}

// Buffers are made and written through the copy-write target, which no draw
// state refers to, so the vertex input's bindings stay as they are.
void gl_create_buffer(uint32_t buffer, bool index, int size, bool is_static)
{
    (void)index;
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
    glBufferData(GL_COPY_WRITE_BUFFER, size, nullptr, is_static ? GL_STATIC_DRAW : GL_DYNAMIC_DRAW);
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
}

void* gl_map_buffer(uint32_t buffer, bool index, int offset, int size, uint32_t access)
{
    (void)index;
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
    void* p = glMapBufferRange(GL_COPY_WRITE_BUFFER, offset, size, access);
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
    return p;
}

void gl_unmap_buffer(uint32_t buffer, bool index)
{
    (void)index;
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
    glUnmapBuffer(GL_COPY_WRITE_BUFFER);
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
}

// GL_BGRA swaps the bytes back, so the shader sees (r, g, b, a) as Direct3D
// delivers it.
GLint gl_color_attribute_size()
{
    return GL_BGRA;
}

void gl_draw_elements(
    GLenum mode, int count, const void* first, int instances, int base_vertex, uint32_t first_instance)
{
    if (instances > 0 && first_instance > 0)
        glDrawElementsInstancedBaseVertexBaseInstance(
            mode, count, GL_UNSIGNED_SHORT, first, instances, base_vertex, first_instance);
    else if (instances > 0)
        glDrawElementsInstancedBaseVertex(mode, count, GL_UNSIGNED_SHORT, first, instances, base_vertex);
    else
        glDrawElementsBaseVertex(mode, count, GL_UNSIGNED_SHORT, first, base_vertex);
}

void gl_clear_depth_one()
{
    glClearDepth(1.0);
}

void gl_set_wireframe(bool on)
{
    glPolygonMode(GL_FRONT_AND_BACK, on ? GL_LINE : GL_FILL);
}

// GL_BGRA with GL_UNSIGNED_INT_8_8_8_8_REV makes a pixel the 32-bit
// 0xAARRGGBB value.
void gl_texture_image(int level, int width, int height, const uint32_t* pixels)
{
    glTexImage2D(
        GL_TEXTURE_2D, level, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
}

void gl_texture_update(int width, int height, const uint32_t* pixels)
{
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
}

void gl_read_texture(uint32_t texture, int width, int height, uint32_t* pixels)
{
    (void)texture;
    (void)width;
    (void)height;
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
}

void gl_read_pixels(int width, int height, uint32_t* pixels)
{
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
}

// The longest single wait of gl_wait_fence: short, so that a driver that
// misses the fence's signal costs no more than that.
static const uint64_t FENCE_WAIT_NS = 1000000;

bool gl_fence_passed(GLsync fence)
{
    return gl_wait_fence_for(fence, 0);
}

bool gl_wait_fence_for(GLsync fence, uint64_t timeout_ns)
{
    GLenum state = glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, timeout_ns);
    return state == GL_ALREADY_SIGNALED || state == GL_CONDITION_SATISFIED;
}

// A failed wait (GL_WAIT_FAILED) ends it as passed: there is nothing to wait for.
void gl_wait_fence(GLsync fence)
{
    while (glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, FENCE_WAIT_NS) == GL_TIMEOUT_EXPIRED) { }
}

void gl_shader_source(GLuint shader, const char* code, int length)
{
    GLint len = length;
    glShaderSource(shader, 1, &code, &len);
}
