// d3d_internal.h - what the device layer's modules ask of each other.
//
// Not for the rest of the game: the drawing Parts use the public headers.
#pragma once

#include <stdint.h>

// The device (an OpenGL context with what the layer needs) exists.
bool d3d_exists();
// The GL error raised since the last call, or 0; used as the failure code
// that the layer's messages print as "0x%08X".
uint32_t d3d_take_error();

// The size of the render target bound now.
void current_target_size(int* width, int* height);

// Vertex input (d3d_misc): the vertex array object, the full-screen quad and
// the default render states, made with the device and gone with it.
void create_vertex_input();
void release_vertex_input();
void set_default_states();
// The vertex array object's attributes are set only where they change; this
// makes the next draw set them all again (after a buffer was deleted).
void forget_vertex_input();
// Makes the next draw bind its array and index buffers again, after
// something else bound buffers to those targets.
void forget_bound_buffers();

// Texture stages: set_texture's range, and the shaders' samplers s0..s15
// are tied to the stages of the same number.
enum { SAMPLER_STAGES = 16 };

// Samplers (d3d_textures): one per stage, back to linear and clamped.
void set_sampler_defaults();
void release_samplers();

// Shaders (d3d_shaders): hands the constant registers, the pixel offset and
// the alpha reference to the bound shader before a draw.
void apply_shader_state(float alpha_ref);
// The stream bound to a stream number (d3d_vbuf); null buffer when none.
struct StreamSource {
    struct VertexBuffer* buffer;
    int offset, stride;
};
const StreamSource& stream_source(int stream);
// The index buffer's GL name, or 0.
uint32_t bound_index_buffer();
