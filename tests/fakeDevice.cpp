// fakeDevice.cpp - a graphics device that only keeps its size and mode.
//
// Stands in for the whole device layer as far as the game's logic calls it;
// draws, targets and resources do nothing.
#include "device/d3d_misc.h"
#include "device/d3d_render.h"
#include "device/d3d_shaders.h"
#include "device/d3d_textures.h"
#include "device/d3d_vbuf.h"
#include "fakeFrame.h"

#include "fakePlatform.h"
#include <deque>

FakeDevice fake_device;
FakeGame fake_game;

void fake_frame_reset()
{
    fake_device = FakeDevice();
    fake_game = FakeGame();
}

int screen_width()
{
    return fake_device.width;
}

int screen_height()
{
    return fake_device.height;
}

bool display_fullscreen()
{
    return fake_device.fullscreen;
}

void set_display_fullscreen(bool fullscreen)
{
    fake_device.fullscreen = fullscreen;
}

bool init_d3d(int width, int height)
{
    fake_device.width = width;
    fake_device.height = height;
    return true;
}

void close_d3d()
{
}

bool resize_d3d(int width, int height, bool fullscreen)
{
    ++fake_device.resizeCalls;
    fake_device.fullscreen = fullscreen;
    if (width)
        fake_device.width = width;
    if (height)
        fake_device.height = height;
    return true;
}

bool render_frame(float lag_seconds)
{
    return fake_device.onRender ? fake_device.onRender(lag_seconds) : true;
}

bool wait_for_frame_slot(int timeout_us)
{
    fake_device.gpuWaitsUs.push_back(timeout_us);
    return fake_device.onGpuWait ? fake_device.onGpuWait(timeout_us) : true;
}

void present_frame()
{
    ++fake_device.presents;
    if (fake_device.onPresent)
        fake_device.onPresent();
}

uint32_t available_texture_memory()
{
    return 256u << 20;
}

const char* d3d_failure()
{
    return "";
}

bool d3d_created()
{
    return true;
}

void set_device_hooks(const DeviceHooks&)
{
}

uint32_t fake_presented_pixel(int x, int y)
{
    return 0xFF000000u | static_cast<uint32_t>(y) << 12 | static_cast<uint32_t>(x);
}

void keep_next_presented_frame()
{
}

bool read_presented_frame(uint32_t* pixels)
{
    if (!fake_device.framePresented)
        return false;
    for (int y = 0; y < fake_device.height; ++y)
        for (int x = 0; x < fake_device.width; ++x)
            *pixels++ = fake_presented_pixel(x, y);
    return true;
}

void set_scene_target()
{
}

void set_backbuffer_target()
{
}

void resolve_scene_to(Texture*)
{
}

int scene_samples()
{
    return 0;
}

void flush_gpu()
{
}

// The scene's resources: handles that are never looked into, except the
// managed textures' pixels, which are kept for locking.
static Texture fake_texture;
static Shader fake_shader;
static std::deque<Texture> fake_managed_textures;
static std::map<const Texture*, std::vector<uint32_t>> fake_texture_pixels;

Texture* create_screen_texture()
{
    return &fake_texture;
}

Texture* create_managed_texture(int width, int height)
{
    fake_managed_textures.emplace_back();
    Texture* t = &fake_managed_textures.back();
    t->madeWidth = width;
    t->madeHeight = height;
    fake_texture_pixels[t].assign(static_cast<size_t>(width) * height, 0);
    return t;
}

void destroy_texture(Texture* t)
{
    fake_texture_pixels.erase(t);
}

uint32_t* lock_texture(Texture* t, int* pitch, bool)
{
    auto it = fake_texture_pixels.find(t);
    if (it == fake_texture_pixels.end())
        return nullptr;
    *pitch = t->madeWidth * 4;
    return it->second.data();
}

void unlock_texture(Texture*)
{
}

const std::vector<uint32_t>* fake_texture_data(const Texture* texture)
{
    auto it = fake_texture_pixels.find(texture);
    return it == fake_texture_pixels.end() ? nullptr : &it->second;
}

void set_texture_filter(int, bool linear)
{
    fake_device.linearFilter = linear;
}

void set_texture(int stage, Texture* texture)
{
    if (stage == 0)
        fake_device.stage0 = texture;
}

Shader* load_shader(const char*, const char*)
{
    return &fake_shader;
}

void free_shader(Shader*)
{
}

void set_shader(Shader*)
{
}

void set_vs_constants(int first, const float* data, int count)
{
    for (int i = 0; i < 4 * count; ++i)
        fake_device.constants[4 * first + i] = data[i];
}

void clear_all(uint32_t)
{
}

void clear_color(uint32_t)
{
}

void set_wireframe(bool)
{
}

void draw_fullscreen_quad()
{
}

// Buffers: each has its own bytes, kept in fake_device; declarations are
// handles that are never looked into.
static std::deque<VertexBuffer> fake_vertex_buffers;
static std::deque<IndexBuffer> fake_index_buffers;
static VertexDeclaration fake_declaration;
static Matrix fake_view = MATRIX_IDENTITY, fake_projection = MATRIX_IDENTITY;
static int fake_instances;
static const void* fake_stream0;
static int fake_stride0;
static const void* fake_stream1;
static int fake_offset1;

static void* new_fake_buffer(BufferEntry* handle, int size, uint32_t flags)
{
    handle->size = size;
    handle->flags = flags;
    FakeBuffer& b = fake_device.buffers[handle];
    b.bytes.assign(static_cast<size_t>(size), 0);
    return handle;
}

VertexBuffer* create_vertex_buffer(int size, uint32_t flags)
{
    fake_vertex_buffers.emplace_back();
    return static_cast<VertexBuffer*>(new_fake_buffer(&fake_vertex_buffers.back(), size, flags));
}

IndexBuffer* create_index_buffer(int count, uint32_t flags)
{
    fake_index_buffers.emplace_back();
    return static_cast<IndexBuffer*>(new_fake_buffer(&fake_index_buffers.back(), count * 2, flags));
}

void destroy_vertex_buffer(VertexBuffer* vb)
{
    fake_device.buffers.erase(vb);
}

void destroy_index_buffer(IndexBuffer* ib)
{
    fake_device.buffers.erase(ib);
}

static void* lock_fake(const void* handle, int offset)
{
    auto it = fake_device.buffers.find(handle);
    if (it == fake_device.buffers.end())
        return nullptr;
    ++it->second.locks;
    return it->second.bytes.data() + offset;
}

void* lock_vertex_buffer(VertexBuffer* vb, int offset, int)
{
    return lock_fake(vb, offset);
}

void* lock_index_buffer(IndexBuffer* ib, int offset, int)
{
    return lock_fake(ib, offset);
}

void* lock_vertex_buffer_no_overwrite(VertexBuffer* vb, int offset, int)
{
    return lock_fake(vb, offset);
}

void unlock_vertex_buffer(VertexBuffer*)
{
}
void unlock_index_buffer(IndexBuffer*)
{
}

void set_stream(int stream, VertexBuffer* vb, int offset, int stride)
{
    if (stream == 0) {
        fake_stream0 = vb;
        fake_stride0 = stride;
    }
    if (stream == 1) {
        fake_stream1 = vb;
        fake_offset1 = offset;
    }
}

void set_indices(IndexBuffer*)
{
}

VertexDeclaration* create_vertex_declaration(const VertexElement*)
{
    return &fake_declaration;
}

void set_vertex_declaration(VertexDeclaration*)
{
}

void set_instancing(int count)
{
    fake_instances = count;
}

void draw_indexed(PrimitiveType, int, int, int vertex_count, int start_index, int primitive_count)
{
    fake_device.draws.push_back(
        {fake_stream1, fake_instances, vertex_count, primitive_count, start_index, fake_offset1});
}

void draw_prim(PrimitiveType type, int start_vertex, int primitive_count)
{
    int perPrimitive = type == PRIM_LINE_LIST ? 2 : 3;
    const std::vector<uint8_t>& bytes = fake_device.buffers.at(fake_stream0).bytes;
    size_t from = static_cast<size_t>(start_vertex) * fake_stride0;
    size_t size = static_cast<size_t>(primitive_count) * perPrimitive * fake_stride0;
    fake_device.primDraws.push_back(
        {type, primitive_count, std::vector<uint8_t>(bytes.begin() + from, bytes.begin() + from + size)});
}

void set_cull(bool on)
{
    fake_device.culling = on;
}

void set_depth_test(bool on)
{
    fake_device.depthTest = on;
}

void set_depth_write(bool on)
{
    fake_device.depthWrite = on;
}

void blend_alpha()
{
    fake_device.blending = true;
}

void blend_off()
{
    fake_device.blending = false;
}

void alpha_test(int reference)
{
    fake_device.alphaRef = reference;
}

void set_view(const Matrix& view)
{
    fake_view = view;
}

void set_projection(const Matrix& projection)
{
    fake_projection = projection;
}

void get_view_projection(Matrix* out)
{
    multiply_matrices(fake_view, fake_projection, out);
}
