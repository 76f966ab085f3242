// d3d_vbuf.cpp - vertex and index buffers in two fixed tables.
#include "d3d_vbuf.h"

#include "../core/log.h"
#include "d3d_internal.h"
#include "glApi.h"

// A table slot: the entry that handles point at, and whether a caller owns it.
// An entry stays owned while its GL buffer is gone between a reset's release
// and recreation, or after a failed recreation, so that its handle is never
// handed to a second user.
template <typename Entry> struct BufferSlot {
    Entry entry;
    bool used; // from create to destroy or release_all_buffers
};

static struct {
    BufferSlot<VertexBuffer> vertex[MAX_BUFFERS]; // see BufferSlot
    BufferSlot<IndexBuffer> index[MAX_BUFFERS];
    StreamSource streams[MAX_STREAMS]; // set_stream; cleared before a reset and at close
    IndexBuffer* indices;              // set_indices; cleared likewise
} buffers;

template <typename Entry> static BufferSlot<Entry>* slot_of(Entry* entry)
{
    // entry is the first member of its slot.
    return reinterpret_cast<BufferSlot<Entry>*>(entry);
}

template <typename Entry> static Entry* take_free_entry(BufferSlot<Entry> (&table)[MAX_BUFFERS])
{
    for (BufferSlot<Entry>& slot : table) {
        if (!slot.used) {
            slot.used = true;
            return &slot.entry;
        }
    }
    return nullptr;
}

static bool is_static(const BufferEntry* e)
{
    return (e->flags & BUFFER_STATIC) != 0;
}

// Whether the entry is an index buffer's.
static bool is_index(const BufferEntry* e)
{
    return (e->flags & BUFFER_INDEX) != 0;
}

// Makes the GL buffer of the recorded size; returns the failure code, 0 on success.
static uint32_t create_gl_buffer(BufferEntry* e)
{
    d3d_take_error();
    GLuint name = 0;
    glGenBuffers(1, &name);
    gl_create_buffer(name, is_index(e), e->size, is_static(e));
    uint32_t code = d3d_take_error();
    if (code) {
        glDeleteBuffers(1, &name);
        return code;
    }
    e->buffer = name;
    return 0;
}

static void release_gl_buffer(BufferEntry* e)
{
    if (e->buffer) {
        glDeleteBuffers(1, &e->buffer);
        // A new buffer may get the same name; the vertex input must not
        // take it for the old one.
        forget_vertex_input();
    }
    e->buffer = 0;
}

// Takes a free entry of the table and gives it a buffer; null (logged) on failure.
template <typename Entry>
static Entry* create_buffer(
    BufferSlot<Entry> (&table)[MAX_BUFFERS], int size, uint32_t flags, const char* kind)
{
    Entry* e = take_free_entry(table);
    if (!e) {
        log_message("reached MAX_BUFFERS for %s", kind);
        return nullptr;
    }
    e->size = size;
    e->flags = flags;
    if (uint32_t code = create_gl_buffer(e)) {
        log_message("error creating %s (code 0x%08X)", kind, code);
        *slot_of(e) = {};
        return nullptr;
    }
    return e;
}

VertexBuffer* create_vertex_buffer(int size_bytes, uint32_t flags)
{
    bool d3d = d3d_exists();
    ASSERT(d3d);
    return create_buffer(buffers.vertex, size_bytes, flags, "VB");
}

IndexBuffer* create_index_buffer(int index_count, uint32_t flags)
{
    bool d3d = d3d_exists();
    ASSERT(d3d);
    return create_buffer(buffers.index, index_count * 2, flags | BUFFER_INDEX, "IB");
}

void destroy_vertex_buffer(VertexBuffer* vb)
{
    if (!vb)
        return;
    for (StreamSource& s : buffers.streams)
        if (s.buffer == vb)
            s = {};
    release_gl_buffer(vb);
    *slot_of(vb) = {};
}

void destroy_index_buffer(IndexBuffer* ib)
{
    if (!ib)
        return;
    if (buffers.indices == ib)
        buffers.indices = nullptr;
    release_gl_buffer(ib);
    *slot_of(ib) = {};
}

// Maps the range with the access given; null for a bad handle or range.
static void* map_buffer(BufferEntry* e, int offset, int size, GLbitfield access)
{
    if (!e || !e->buffer)
        return nullptr;
    if (size == 0)
        size = e->size - offset;
    if (offset < 0 || size <= 0 || size > e->size - offset)
        return nullptr;
    void* p = gl_map_buffer(e->buffer, is_index(e), offset, size, access);
    if (!p)
        d3d_take_error();
    return p;
}

static void* lock_buffer(BufferEntry* e, int offset, int size)
{
    // Discarding lets the driver hand out fresh memory without waiting for
    // draws that still read the old contents.
    bool dynamic = e && !is_static(e);
    return map_buffer(e, offset, size, GL_MAP_WRITE_BIT | (dynamic ? GL_MAP_INVALIDATE_BUFFER_BIT : 0));
}

static void unlock_buffer(BufferEntry* e)
{
    if (!e || !e->buffer)
        return;
    gl_unmap_buffer(e->buffer, is_index(e));
    // Unlocking a buffer that was not locked is harmless; where asking is
    // dear, unmapping raises no error to swallow.
    if (gl_errors_are_cheap())
        d3d_take_error();
}

void* lock_vertex_buffer(VertexBuffer* vb, int offset, int size)
{
    return lock_buffer(vb, offset, size);
}

void* lock_vertex_buffer_no_overwrite(VertexBuffer* vb, int offset, int size)
{
    if (!vb || is_static(vb))
        return nullptr;
    return map_buffer(vb, offset, size, GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
}

void* lock_index_buffer(IndexBuffer* ib, int offset, int size)
{
    return lock_buffer(ib, offset, size);
}

void unlock_vertex_buffer(VertexBuffer* vb)
{
    unlock_buffer(vb);
}

void unlock_index_buffer(IndexBuffer* ib)
{
    unlock_buffer(ib);
}

void set_stream(int stream, VertexBuffer* vb, int offset, int stride)
{
    ASSERT(stream >= 0 && stream < MAX_STREAMS);
    buffers.streams[stream] = {vb, offset, stride};
}

void set_indices(IndexBuffer* ib)
{
    buffers.indices = ib;
}

const StreamSource& stream_source(int stream)
{
    return buffers.streams[stream];
}

uint32_t bound_index_buffer()
{
    return buffers.indices ? buffers.indices->buffer : 0;
}

static void unbind_all()
{
    buffers.indices = nullptr;
    for (StreamSource& s : buffers.streams)
        s = {};
}

template <typename Entry> static void release_dynamic(BufferSlot<Entry> (&table)[MAX_BUFFERS])
{
    for (BufferSlot<Entry>& slot : table)
        if (slot.used && !is_static(&slot.entry))
            release_gl_buffer(&slot.entry);
}

template <typename Entry>
static void recreate_dynamic(BufferSlot<Entry> (&table)[MAX_BUFFERS], const char* kind)
{
    for (BufferSlot<Entry>& slot : table) {
        if (!slot.used || is_static(&slot.entry) || slot.entry.buffer)
            continue;
        if (uint32_t code = create_gl_buffer(&slot.entry))
            log_message("error creating %s (code 0x%08X)", kind, code);
    }
}

void release_default_pool_buffers()
{
    unbind_all();
    release_dynamic(buffers.index);
    release_dynamic(buffers.vertex);
}

void recreate_default_pool_buffers()
{
    recreate_dynamic(buffers.vertex, "VB");
    recreate_dynamic(buffers.index, "IB");
}

void release_all_buffers()
{
    unbind_all();
    for (BufferSlot<VertexBuffer>& slot : buffers.vertex) {
        release_gl_buffer(&slot.entry);
        slot = {};
    }
    for (BufferSlot<IndexBuffer>& slot : buffers.index) {
        release_gl_buffer(&slot.entry);
        slot = {};
    }
}
