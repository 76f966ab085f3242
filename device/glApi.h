// glApi.h - the OpenGL of the device layer, and the calls whose form differs
// between desktop OpenGL and WebGL 2.
//
// The device's modules include this instead of a GL header. Everything they
// share is plain OpenGL ES 3.0 (which desktop OpenGL 3.3 contains); what
// WebGL 2 lacks or does otherwise goes through the functions below, made by
// glDesktop.cpp or glWeb.cpp (the build links one).
#pragma once

#include <stdint.h>

#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
// Memory-info extensions' enums, asked for only where the extension is named.
#define GL_GPU_MEMORY_INFO_CURRENT_AVAILABLE_VIDMEM_NVX 0x9049
#define GL_TEXTURE_FREE_MEMORY_ATI 0x87FC
#else
#include <epoxy/gl.h>
#endif

// Whether asking for the GL error costs little. In a browser each question
// waits for its GPU process, so the draws are not checked one by one there
// but the frame as a whole, when it is presented.
bool gl_errors_are_cheap();
// Readies a new context for the device, enabling the extensions it takes;
// null when the context can carry the device, else why not (for init_d3d).
const char* gl_begin_context();
// Whether the context has the named extension.
bool gl_has_extension(const char* name);
// Instanced draws may start at an instance other than 0.
bool gl_has_base_instance();
// The internal-format query tells the sample counts a format supports.
bool gl_has_format_query();

// Picks the rows' order of the render target bound next: top first (the
// scene targets, read as Direct3D textures) or bottom first (the window).
void gl_set_target_origin(bool top_first);
// The front-face winding that culls what Direct3D culls under that origin.
GLenum gl_front_face();
// Where the context has no clip control, the shaders make up for it: they
// multiply clip-space y by x (-1 flips the rows of a top-first target) and,
// when y is 1, map Direct3D's depth range 0..1 to OpenGL's -1..1. Handed
// to the uniform "clipFix"; (1, 0) where the context does both itself.
void gl_clip_fix(float* x, float* y);

// Buffers. A buffer is made, written and read through these so that each
// keeps one binding target from its first use (an index buffer never binds
// elsewhere). Each may leave the array and element bindings unknown to the
// vertex input (forget_bound_buffers).
void gl_create_buffer(uint32_t buffer, bool index, int size, bool is_static);
// Write access to a range; GL_MAP_INVALIDATE_BUFFER_BIT discards the whole
// buffer, GL_MAP_UNSYNCHRONIZED_BIT promises not to touch what draws read.
// Null on failure. Ranges of different buffers may be mapped at once.
void* gl_map_buffer(uint32_t buffer, bool index, int offset, int size, uint32_t access);
void gl_unmap_buffer(uint32_t buffer, bool index);

// The attribute size that delivers a D3DCOLOR's bytes (b, g, r, a in memory)
// to the shader; the shaders read the colour through d3d_color().
GLint gl_color_attribute_size();
// An indexed draw of 16-bit indices; instances 0 draws without instancing.
void gl_draw_elements(
    GLenum mode, int count, const void* first, int instances, int base_vertex, uint32_t first_instance);
void gl_clear_depth_one();
void gl_set_wireframe(bool on);

// Texture level `level` of the bound 2-D texture, from 0xAARRGGBB pixels
// (null: uninitialised).
void gl_texture_image(int level, int width, int height, const uint32_t* pixels);
void gl_texture_update(int width, int height, const uint32_t* pixels);
// Level 0 of `texture`, which is bound, as 0xAARRGGBB pixels.
void gl_read_texture(uint32_t texture, int width, int height, uint32_t* pixels);
// The bound read framebuffer's pixels as 0xAARRGGBB, rows bottom first.
void gl_read_pixels(int width, int height, uint32_t* pixels);

// Fences: whether it has passed (asking only), waiting in the driver up to
// timeout_ns for it (true once it has passed), and waiting until it has. The
// waits sleep in the driver instead of asking again and again, so that a CPU
// rasteriser's threads get the cores meanwhile.
bool gl_fence_passed(GLsync fence);
bool gl_wait_fence_for(GLsync fence, uint64_t timeout_ns);
void gl_wait_fence(GLsync fence);
// Hands a stage's GLSL to the shader: `code` is the cache's text for desktop
// OpenGL ("#version 330 core" first), which WebGL 2 gets as GLSL ES 3.00.
void gl_shader_source(GLuint shader, const char* code, int length);
