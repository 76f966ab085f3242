// d3d_vbuf.h - vertex and index buffers in two fixed tables.
//
// A handle is the address of its table entry and stays valid from creation
// to destruction, across any number of device resets. Static buffers keep
// their contents across a reset; dynamic ones are recreated empty and are
// always locked with discard, so their users rewrite them before each draw.
#pragma once

#include <stdint.h>

enum { MAX_BUFFERS = 1000 };

// Buffer flags.
enum { BUFFER_STATIC = 1 };
// Set by the device on the entries of index buffers.
enum { BUFFER_INDEX = 0x100 };

// One table entry; free while buffer is 0.
struct BufferEntry {
    uint32_t buffer; // the GL buffer, or 0
    int32_t size;    // bytes (index buffers: index count * 2)
    uint32_t flags;  // BUFFER_STATIC or 0 (dynamic)
};
struct VertexBuffer : BufferEntry { };
struct IndexBuffer : BufferEntry { };

// Null (logged) when the table is full or the buffer cannot be made.
VertexBuffer* create_vertex_buffer(int size_bytes, uint32_t flags);
// 16-bit indices.
IndexBuffer* create_index_buffer(int index_count, uint32_t flags);
// Releases the buffer and frees the entry; null is ignored.
void destroy_vertex_buffer(VertexBuffer* vb);
void destroy_index_buffer(IndexBuffer* ib);

// Write access to size bytes from offset (size 0: to the end); null when the
// handle is null or empty or the range is bad. Dynamic buffers are discarded.
void* lock_vertex_buffer(VertexBuffer* vb, int offset, int size);
// Write access to size bytes from offset of a dynamic buffer that keeps the
// rest of its contents and does not wait for draws still reading it: the
// caller writes only where no pending draw reads (a ring of records, started
// again with a discarding lock when it is full). Null as lock_vertex_buffer.
void* lock_vertex_buffer_no_overwrite(VertexBuffer* vb, int offset, int size);
void* lock_index_buffer(IndexBuffer* ib, int offset, int size);
void unlock_vertex_buffer(VertexBuffer* vb);
void unlock_index_buffer(IndexBuffer* ib);

enum { MAX_STREAMS = 16 };
// Binds a vertex buffer (or nothing, for null) to a stream; offset and stride in bytes.
void set_stream(int stream, VertexBuffer* vb, int offset, int stride);
// Binds an index buffer (or nothing).
void set_indices(IndexBuffer* ib);

// Around a reset: dynamic buffers lose their GL buffer and get a new one of
// the recorded size under the same handle.
void release_default_pool_buffers();
void recreate_default_pool_buffers();
// At close: every entry of both tables.
void release_all_buffers();
