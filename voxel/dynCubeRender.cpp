// dynCubeRender.cpp - the instanced cube renderer and the voxel cache.
#include "dynCubeRender.h"

#include <string.h>

#include "../core/display.h"
#include "../core/settings.h"
#include "../device/d3d_misc.h"
#include "../device/d3d_shaders.h"
#include "../device/d3d_vbuf.h"
#include "../libs/inc/cont/zu_dynArray.h"

const float CUBE_LIGHT_DIRECTION[4] = {0.0f, 0.8944272f, -0.4472136f, 0.0f};
const float CUBE_DEPTH_VECTOR[4] = {0.0f, 0.0f, 0.05f, 0.0f};

enum {
    DYNAMIC_INSTANCES = 16384, // one draw call per full dynamic buffer
    CHUNK_INSTANCES = 2048,    // one vertex buffer of a cache entry
    CHUNK_SIZE = 16,           // voxels per chunk in x and y
    CUBE_MESH_VERTICES = 24,
    CUBE_MESH_INDICES = 36,
};

// The cube mesh: per vertex the corner and the face code, each as the four
// bytes (b0, b1, b2, b3) of a D3DCOLOR that the shader reads as (b2, b1, b0,
// b3) / 255. Face codes are 0 or 255 on the face's own axis (the outward
// direction) and 118 or 138 on the other two (the corner's side). Faces run
// front, top, left, right, bottom, back, so that the first 4 vertices are the
// front face and the first 20 every face but the back.
static const uint8_t CUBE_MESH[CUBE_MESH_VERTICES][8] = {
    {0, 0, 0, 255, 0, 118, 118, 255},
    {0, 0, 255, 255, 0, 118, 138, 255},
    {0, 255, 0, 255, 0, 138, 118, 255},
    {0, 255, 255, 255, 0, 138, 138, 255},
    {0, 255, 0, 255, 118, 255, 118, 255},
    {0, 255, 255, 255, 118, 255, 138, 255},
    {255, 255, 0, 255, 138, 255, 118, 255},
    {255, 255, 255, 255, 138, 255, 138, 255},
    {0, 0, 0, 255, 118, 118, 0, 255},
    {0, 255, 0, 255, 118, 138, 0, 255},
    {255, 0, 0, 255, 138, 118, 0, 255},
    {255, 255, 0, 255, 138, 138, 0, 255},
    {255, 0, 255, 255, 138, 118, 255, 255},
    {255, 255, 255, 255, 138, 138, 255, 255},
    {0, 0, 255, 255, 118, 118, 255, 255},
    {0, 255, 255, 255, 118, 138, 255, 255},
    {255, 0, 0, 255, 138, 0, 118, 255},
    {255, 0, 255, 255, 138, 0, 138, 255},
    {0, 0, 0, 255, 118, 0, 118, 255},
    {0, 0, 255, 255, 118, 0, 138, 255},
    {255, 255, 0, 255, 255, 138, 118, 255},
    {255, 255, 255, 255, 255, 138, 138, 255},
    {255, 0, 0, 255, 255, 118, 118, 255},
    {255, 0, 255, 255, 255, 118, 138, 255},
};
static_assert(sizeof(CUBE_MESH) == 192, "24 vertices of 8 bytes");

static const VertexElement CUBE_ELEMENTS[] = {
    {0, 0, VDECL_D3DCOLOR, VDECL_POSITION, 0}, // corner
    {4, 0, VDECL_D3DCOLOR, VDECL_NORMAL, 0},   // face code
    {0, 1, VDECL_SHORT4, VDECL_POSITION, 1},   // instance position
    {8, 1, VDECL_D3DCOLOR, VDECL_COLOR, 0},    // instance colour
    VDECL_END,
};

// One cached run of a chunk's cubes; free (and kept for reuse) while count <= 0.
struct ChunkEntry {
    VertexBuffer* vb;
    int32_t count;
    int16_t column, row;
};

// The renderer: created by cube_renderer_init, gone after cube_renderer_shutdown.
static struct {
    VertexDeclaration* decl;
    Shader* shader;
    VertexBuffer* instances; // the dynamic stream
    VertexBuffer* mesh;
    IndexBuffer* indices;
    CubeInstance* vbPtr;   // the open dynamic buffer, null while closed
    int pending;           // instances written since it was opened
    Matrix world;          // reset to identity by begin_cubes
    Matrix viewProjection; // taken by begin_cubes
} cubes;

// The voxel cache over the level grid: made once the level data is loaded.
static struct {
    VoxelBox box;
    int columns, rows;
    DynArray<ChunkEntry> entries;
    DynArray<uint8_t> present; // per chunk of the drawn range, rebuilt every draw
} cache;

void cube_renderer_init()
{
    cubes.decl = create_vertex_declaration(CUBE_ELEMENTS);
    cubes.shader = load_shader("cube.sh", nullptr);
    cubes.instances = create_vertex_buffer(DYNAMIC_INSTANCES * sizeof(CubeInstance), 0);
    cubes.mesh = create_vertex_buffer(sizeof CUBE_MESH, BUFFER_STATIC);
    cubes.indices = create_index_buffer(CUBE_MESH_INDICES, BUFFER_STATIC);
    if (!cubes.instances || !cubes.mesh || !cubes.indices)
        fatal_error("Can't create cube VB");

    void* vp = lock_vertex_buffer(cubes.mesh, 0, sizeof CUBE_MESH);
    ASSERT(vp);
    memcpy(vp, CUBE_MESH, sizeof CUBE_MESH);
    unlock_vertex_buffer(cubes.mesh);

    uint16_t* ip = static_cast<uint16_t*>(lock_index_buffer(cubes.indices, 0, CUBE_MESH_INDICES * 2));
    ASSERT(ip);
    static const uint16_t FACE[6] = {0, 2, 1, 3, 1, 2};
    for (int f = 0; f < 6; ++f)
        for (int i = 0; i < 6; ++i)
            ip[6 * f + i] = static_cast<uint16_t>(4 * f + FACE[i]);
    unlock_index_buffer(cubes.indices);
    cubes.world = MATRIX_IDENTITY;
}

void cube_renderer_shutdown()
{
    destroy_index_buffer(cubes.indices);
    destroy_vertex_buffer(cubes.instances);
    destroy_vertex_buffer(cubes.mesh);
    free_shader(cubes.shader);
    cubes.indices = nullptr;
    cubes.instances = cubes.mesh = nullptr;
    cubes.shader = nullptr;
    cubes.vbPtr = nullptr;
}

static bool same_matrix(const Matrix& a, const Matrix& b)
{
    return memcmp(&a, &b, sizeof a) == 0;
}

// c0..c3 = world * view-projection, c5 = the light and c6 = the depth vector
// in the world matrix's object space.
static void set_world_constants(const Matrix& world)
{
    Matrix wvp;
    multiply_matrices(world, cubes.viewProjection, &wvp);
    set_vs_constants(REG_WORLD_VIEW_PROJECTION, &wvp.m[0][0], 4);
    // A singular matrix squashes every cube flat; the world-space shading
    // is as good as any for what little of them shows.
    Matrix inv;
    if (same_matrix(world, MATRIX_IDENTITY) || !invert_matrix(world, &inv)) {
        set_vs_constants(REG_LIGHT, CUBE_LIGHT_DIRECTION, 1);
        set_vs_constants(REG_DEPTH, CUBE_DEPTH_VECTOR, 1);
        return;
    }
    const float* l = CUBE_LIGHT_DIRECTION;
    Vec4 light = transform({l[0], l[1], l[2], l[3]}, inv);
    float depth[4];
    for (int c = 0; c < 3; ++c)
        depth[c] = 0.05f * inv.m[2][c];
    depth[3] = -(depth[0] * inv.m[3][0] + depth[1] * inv.m[3][1] + depth[2] * inv.m[3][2]);
    set_vs_constants(REG_LIGHT, &light.x, 1);
    set_vs_constants(REG_DEPTH, depth, 1);
}

void begin_cubes()
{
    const CubeInstance* vbPtr = cubes.vbPtr;
    ASSERT(!vbPtr);
    get_view_projection(&cubes.viewProjection);
    cubes.world = MATRIX_IDENTITY;
    set_vertex_declaration(cubes.decl);
    set_stream(0, cubes.mesh, 0, 8);
    set_indices(cubes.indices);
    set_shader(cubes.shader);
    set_cull(true);
    cubes.pending = 0;
}

void flush_cubes(bool force)
{
    if (!cubes.vbPtr || (!cubes.pending && !force))
        return;
    unlock_vertex_buffer(cubes.instances);
    cubes.vbPtr = nullptr;
    if (cubes.pending) {
        set_stream(1, cubes.instances, 0, sizeof(CubeInstance));
        set_instancing(cubes.pending);
        draw_indexed(PRIM_TRIANGLE_LIST, 0, 0, 24, 0, 12);
    }
    cubes.pending = 0;
}

void end_cubes()
{
    flush_cubes(false);
    set_instancing(0);
    if (!same_matrix(cubes.world, MATRIX_IDENTITY))
        set_world_constants(MATRIX_IDENTITY);
}

void set_cube_transform(const Matrix& world)
{
    if (same_matrix(world, cubes.world))
        return;
    flush_cubes(false);
    cubes.world = world;
    set_world_constants(world);
}

void emit_cube(int x16, int y16, int z16, uint32_t colour)
{
    if (cubes.pending == DYNAMIC_INSTANCES)
        flush_cubes(false);
    if (!cubes.vbPtr) {
        CubeInstance* vbPtr = static_cast<CubeInstance*>(lock_vertex_buffer(cubes.instances, 0, 0));
        ASSERT(vbPtr);
        cubes.vbPtr = vbPtr;
        cubes.pending = 0;
    }
    cubes.vbPtr[cubes.pending++] = make_cube_instance(x16, y16, z16, colour, false);
}

void draw_voxel_box(const uint8_t* voxels, int stride_x, int stride_y, int stride_z, int nx, int ny, int nz,
    const uint32_t* palette, int ox, int oy, int oz, int flags)
{
    const uint8_t* data = voxels;
    ASSERT(data);
    ASSERT(palette);
    VoxelBox box = {voxels, stride_x, stride_y, stride_z, nx, ny, nz, palette};
    bool mirror = (flags & VOXEL_BOX_MIRROR_X) != 0;
    for (int k = 0; k < nz; ++k)
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i) {
                // Mirrored, position i shows the voxel nx - 1 - i.
                int si = mirror ? nx - 1 - i : i;
                uint8_t v = *box.ptr(si, j, k);
                if (v && box.exposed(si, j, k))
                    emit_cube((ox + i) * 16, (oy + j) * 16, (oz + k) * 16, palette[v]);
            }
}

void voxel_cache_create(const uint8_t* grid, int stride_x, int stride_y, int stride_z, int nx, int ny, int nz,
    const uint32_t* palette)
{
    ASSERT(nx % 2 == 0 && ny % 2 == 0 && nz % 2 == 0);
    cache.box = {grid, stride_x, stride_y, stride_z, nx, ny, nz, palette};
    cache.columns = (nx + CHUNK_SIZE - 1) / CHUNK_SIZE;
    cache.rows = (ny + CHUNK_SIZE - 1) / CHUNK_SIZE;
    cache.entries.clear();
}

void voxel_cache_destroy()
{
    for (ChunkEntry& e : cache.entries)
        destroy_vertex_buffer(e.vb);
    cache.entries.free_all();
    cache.present.free_all();
    cache.box.voxels = nullptr;
}

void voxel_cache_invalidate(int x0, int y0, int x1, int y1)
{
    int c0 = clamp_int((x0 - 1) / CHUNK_SIZE, 0, cache.columns - 1);
    int c1 = clamp_int((x1 + 1) / CHUNK_SIZE, 0, cache.columns - 1);
    int r0 = clamp_int((y0 - 1) / CHUNK_SIZE, 0, cache.rows - 1);
    int r1 = clamp_int((y1 + 1) / CHUNK_SIZE, 0, cache.rows - 1);
    for (ChunkEntry& e : cache.entries)
        if (e.column >= c0 && e.column <= c1 && e.row >= r0 && e.row <= r1)
            e.count = 0;
}

void voxel_cache_invalidate_all()
{
    for (ChunkEntry& e : cache.entries)
        e.count = 0;
}

static void draw_entry(const ChunkEntry& e)
{
    set_stream(1, e.vb, 0, sizeof(CubeInstance));
    set_instancing(e.count);
    // The level never shows its back faces; fast voxels show only the front.
    if (settings().fast_voxels)
        draw_indexed(PRIM_TRIANGLE_LIST, 0, 0, 4, 0, 2);
    else
        draw_indexed(PRIM_TRIANGLE_LIST, 0, 0, 20, 0, 10);
}

// Fills cache entries with one chunk's cubes, drawing each entry as it fills
// (or only filling them, for voxel_cache_build).
class ChunkBuilder {
public:
    ChunkBuilder(int column, int row, bool draw)
        : column(column)
        , row(row)
        , draw(draw)
    {
    }
    ~ChunkBuilder() { finish(); }

    void operator()(int x, int y, int z, uint8_t v, bool doubled)
    {
        if (!out)
            open();
        out[count++] = make_cube_instance(x * 16, y * 16, z * 16, cache.box.palette[v], doubled);
        if (count == CHUNK_INSTANCES)
            finish();
    }

private:
    void open()
    {
        index = -1;
        for (int i = 0; i < cache.entries.size() && index < 0; ++i)
            if (cache.entries[i].count <= 0)
                index = i;
        if (index < 0) {
            ChunkEntry e = {create_vertex_buffer(CHUNK_INSTANCES * sizeof(CubeInstance), 0), 0, 0, 0};
            if (!e.vb)
                fatal_error("Can't create voxel cache VB");
            cache.entries.push(e);
            index = cache.entries.size() - 1;
        }
        out = static_cast<CubeInstance*>(lock_vertex_buffer(cache.entries[index].vb, 0, 0));
        ASSERT(out);
        count = 0;
    }

    void finish()
    {
        if (!out)
            return;
        ChunkEntry& e = cache.entries[index];
        unlock_vertex_buffer(e.vb);
        e.count = count;
        e.column = static_cast<int16_t>(column);
        e.row = static_cast<int16_t>(row);
        out = nullptr;
        if (count > 0 && draw)
            draw_entry(e);
    }

    int column, row;
    bool draw;
    int index = -1;
    CubeInstance* out = nullptr;
    int count = 0;
};

// The chunk range of a voxel rectangle, clamped to the grid; false when empty.
static bool chunk_range(int x0, int y0, int x1, int y1, int* c0, int* r0, int* c1, int* r1)
{
    *c0 = x0 / CHUNK_SIZE > 0 ? x0 / CHUNK_SIZE : 0;
    *r0 = y0 / CHUNK_SIZE > 0 ? y0 / CHUNK_SIZE : 0;
    *c1 = x1 / CHUNK_SIZE < cache.columns - 1 ? x1 / CHUNK_SIZE : cache.columns - 1;
    *r1 = y1 / CHUNK_SIZE < cache.rows - 1 ? y1 / CHUNK_SIZE : cache.rows - 1;
    return *c0 <= *c1 && *r0 <= *r1;
}

// Marks the chunks of the range that have entries; with draw, draws those
// entries and frees the entries of chunks outside the range.
static void find_present(int c0, int r0, int c1, int r1, bool draw)
{
    int width = c1 - c0 + 1;
    cache.present.resize(width * (r1 - r0 + 1));
    memset(cache.present.data(), 0, static_cast<size_t>(cache.present.size()));
    for (ChunkEntry& e : cache.entries) {
        if (e.count <= 0)
            continue;
        if (e.column < c0 || e.column > c1 || e.row < r0 || e.row > r1) {
            if (draw)
                e.count = 0;
            continue;
        }
        cache.present[(e.row - r0) * width + e.column - c0] = 1;
        if (draw)
            draw_entry(e);
    }
}

static void build_missing(int c0, int r0, int c1, int r1, bool draw)
{
    int width = c1 - c0 + 1;
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c)
            if (!cache.present[(r - r0) * width + c - c0])
                scan_chunk(cache.box, c, r, ChunkBuilder(c, r, draw));
}

void voxel_cache_draw(int x0, int y0, int x1, int y1)
{
    int c0, r0, c1, r1;
    if (!chunk_range(x0, y0, x1, y1, &c0, &r0, &c1, &r1))
        return;
    flush_cubes(true);
    find_present(c0, r0, c1, r1, true);
    build_missing(c0, r0, c1, r1, true);
}

void voxel_cache_build(int x0, int y0, int x1, int y1)
{
    int c0, r0, c1, r1;
    if (!chunk_range(x0, y0, x1, y1, &c0, &r0, &c1, &r1))
        return;
    find_present(c0, r0, c1, r1, false);
    build_missing(c0, r0, c1, r1, false);
}

int voxel_cache_instances()
{
    int n = 0;
    for (const ChunkEntry& e : cache.entries)
        n += e.count > 0 ? e.count : 0;
    return n;
}
