// dynCubeRender.cpp - the instanced cube renderer and the voxel cache.
#include "dynCubeRender.h"

#include <math.h>
#include <string.h>

#include "../core/display.h"
#include "../core/settings.h"
#include "../core/timer.h"
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
    FACE_SETS = 1 << CUBE_FACES,            // every choice of the cube's faces
    FACE_SET_INDICES = 6 * CUBE_FACES * 32, // each face in half of the sets
};
// The two triangles of face f: indices 4f + these.
static const uint16_t FACE_INDICES[6] = {0, 2, 1, 3, 1, 2};

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

// A chunk's cube records are grouped by the face they are drawn with, so
// that a draw shades only faces that can be seen: a cube's record once for
// each of its top, left, right and bottom faces that touches an empty voxel,
// then once for its front. The fronts come last: where a side face meets a
// deeper cube's front at an edge, pixels exactly on the edge go to the face
// drawn later, and the deeper cube's front has always been drawn after the
// side face.
//
// Fronts covered by a solid voxel are drawn only with fast voxels, which
// draw no other faces: where a side face would show, the covered fronts
// behind it show instead. A chunk keeps only the records its mode draws
// (side faces and open fronts, or every front), and a change of mode
// rebuilds the chunks. A covered front cannot show from an eye in a
// quadrant (RU: right of and above it, UL, LD, DR) when every ray from it
// towards such an eye stays within solid voxels until it meets a front
// facing an empty voxel, which is always drawn. The game's views reach at
// most one voxel sideways and half a voxel up or down per voxel of depth
// (0.89 and 0.5 at 16:9), and so do the rays to the eye of what they show
// (see ChunkBuilder::map_hidden); wider views get every covered front.
// Covered fronts are kept in six groups by the quadrants they can show to:
// none (kept for wider views only), the two on the left, below, on the
// right or above (a front that shows to one quadrant goes with those above
// or below it), and any others; each quadrant's groups make one or two
// runs, and fewer draws are worth more than the few fronts drawn in vain.
enum CacheRange {
    RANGE_TOP,
    RANGE_LEFT,
    RANGE_RIGHT,
    RANGE_BOTTOM,
    RANGE_COVERED, // 6 ranges, one per set of quadrants below
    RANGE_FRONT_OPEN = RANGE_COVERED + 6,
    CACHE_RANGES
};
static const CubeFace SIDE_RANGE_FACE[RANGE_COVERED] = {FACE_TOP, FACE_LEFT, FACE_RIGHT, FACE_BOTTOM};
static const unsigned QUADRANT_RU = 1, QUADRANT_UL = 2, QUADRANT_LD = 4, QUADRANT_DR = 8, WIDE_VIEW = 16;
// The set of quadrants of each covered range.
static const unsigned COVERED_QUADRANTS[6] = {0, QUADRANT_UL | QUADRANT_LD, QUADRANT_LD | QUADRANT_DR,
    QUADRANT_DR | QUADRANT_RU, QUADRANT_RU | QUADRANT_UL, 15};
// The covered ranges in the order a front's quadrants pick the first that holds them all.
static const int COVERED_CHOICE[6] = {0, 4, 2, 1, 3, 5};
// The cells around a chunk that the hidden-front maps of a chunk being
// built reach (a ray that would leave them is taken to escape: the level's
// rays cross at most 19 layers), and the map's width: a row of it is a
// 64-bit mask.
enum { SHADE_MARGIN = 24, SHADE_SIZE = 16 + 2 * SHADE_MARGIN, SHADE_HALF_ROWS = 2 * SHADE_SIZE };
static_assert(SHADE_SIZE == 64, "a map row is one uint64_t");

// One cached run of a chunk's records; free (and kept for reuse) while
// count <= 0. Range r holds the records start[r] .. start[r + 1] - 1 of this
// entry; a chunk whose records overflow an entry continues in the next.
struct ChunkEntry {
    VertexBuffer* vb;
    int32_t count;
    int16_t column, row;
    uint16_t start[CACHE_RANGES + 1];
};

// The renderer: created by cube_renderer_init, gone after cube_renderer_shutdown.
static struct {
    VertexDeclaration* decl;
    Shader* shader;
    VertexBuffer* instances; // the dynamic stream
    VertexBuffer* mesh;
    IndexBuffer* indices;
    // The dynamic buffer is a ring: each batch is written after the last
    // one without waiting for the GPU, and only a full ring starts again
    // from its first record with a discarding lock.
    CubeInstance* vbPtr;   // the open batch (record ringStart on), null while closed
    int pending;           // instances written since it was opened
    int ringStart;         // the open batch's first record; 0 after cube_renderer_init
    Matrix world;          // reset to identity by begin_cubes
    Matrix viewProjection; // taken by begin_cubes
    // Index lists of the cube for every set of faces, each face's triangles
    // in the mesh's order; faceSetStart: where each set's list begins.
    IndexBuffer* faceSets;
    int faceSetStart[FACE_SETS];
    // The eye in the world matrix's object space (w = 0 when there is none
    // to find, as under a parallel projection), and the open batch's
    // lowest and highest cube corners in sixteenths: which faces of the
    // batch can face the eye. Kept by begin_cubes, set_cube_transform and
    // emit_cube.
    Vec4 eye, objectEye;
    int low[3], high[3];
} cubes;

// The voxel cache over the level grid: made once the level data is loaded.
static struct {
    VoxelBox box;
    int columns, rows;
    DynArray<ChunkEntry> entries;
    DynArray<uint8_t> present;                  // per chunk of the kept range, rebuilt every draw
    DynArray<CubeInstance> built[CACHE_RANGES]; // one chunk's records while it is built
    DynArray<uint64_t> solid, hidden;           // the built chunk's maps (see ChunkBuilder::map_hidden)
    CacheView view;                             // of the running voxel_cache_draw
    bool fastVoxels;                            // the mode the kept chunks were built for
    CacheBuildCounts counts;                    // over the whole run, never reset
} cache;

void cube_renderer_init()
{
    cubes.decl = create_vertex_declaration(CUBE_ELEMENTS);
    cubes.shader = load_shader("cube.sh", nullptr);
    cubes.instances = create_vertex_buffer(DYNAMIC_INSTANCES * sizeof(CubeInstance), 0);
    cubes.mesh = create_vertex_buffer(sizeof CUBE_MESH, BUFFER_STATIC);
    cubes.indices = create_index_buffer(CUBE_MESH_INDICES, BUFFER_STATIC);
    cubes.faceSets = create_index_buffer(FACE_SET_INDICES, BUFFER_STATIC);
    if (!cubes.instances || !cubes.mesh || !cubes.indices || !cubes.faceSets)
        fatal_error("Can't create cube VB");

    void* vp = lock_vertex_buffer(cubes.mesh, 0, sizeof CUBE_MESH);
    ASSERT(vp);
    memcpy(vp, CUBE_MESH, sizeof CUBE_MESH);
    unlock_vertex_buffer(cubes.mesh);

    uint16_t* ip = static_cast<uint16_t*>(lock_index_buffer(cubes.indices, 0, CUBE_MESH_INDICES * 2));
    ASSERT(ip);
    for (int f = 0; f < 6; ++f)
        for (int i = 0; i < 6; ++i)
            ip[6 * f + i] = static_cast<uint16_t>(4 * f + FACE_INDICES[i]);
    unlock_index_buffer(cubes.indices);

    uint16_t* sp = static_cast<uint16_t*>(lock_index_buffer(cubes.faceSets, 0, FACE_SET_INDICES * 2));
    ASSERT(sp);
    int n = 0;
    for (int set = 0; set < FACE_SETS; ++set) {
        cubes.faceSetStart[set] = n;
        for (int f = 0; f < CUBE_FACES; ++f)
            for (int i = 0; i < 6 && (set & (1 << f)); ++i)
                sp[n++] = static_cast<uint16_t>(4 * f + FACE_INDICES[i]);
    }
    unlock_index_buffer(cubes.faceSets);
    cubes.world = MATRIX_IDENTITY;
    cubes.ringStart = 0;
}

void cube_renderer_shutdown()
{
    destroy_index_buffer(cubes.indices);
    destroy_index_buffer(cubes.faceSets);
    cubes.faceSets = nullptr;
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

// The eye of a view-projection as a world point: what projects to w = 0 at
// the screen's centre. w = 0 when the projection has no eye.
static Vec4 eye_of(const Matrix& viewProjection)
{
    Matrix inverse;
    if (!invert_matrix(viewProjection, &inverse))
        return {0, 0, 0, 0};
    Vec4 e = transform({0, 0, 1, 0}, inverse);
    if (fabsf(e.w) < 1e-12f)
        return {0, 0, 0, 0};
    return {e.x / e.w, e.y / e.w, e.z / e.w, 1};
}

void begin_cubes()
{
    const CubeInstance* vbPtr = cubes.vbPtr;
    ASSERT(!vbPtr);
    get_view_projection(&cubes.viewProjection);
    cubes.world = MATRIX_IDENTITY;
    cubes.eye = cubes.objectEye = eye_of(cubes.viewProjection);
    set_vertex_declaration(cubes.decl);
    set_stream(0, cubes.mesh, 0, 8);
    set_indices(cubes.indices);
    set_shader(cubes.shader);
    set_cull(true);
    cubes.pending = 0;
}

// Which faces of the open batch's cubes can face the eye, as bits by mesh
// face: a left face does when the eye is left of it, and so on (with half a
// voxel to spare). All six without an eye or under a mirroring world
// matrix, whose faces turn the other way on screen.
static unsigned batch_faces()
{
    const Vec4& e = cubes.objectEye;
    const Matrix& m = cubes.world;
    float det = m.m[0][0] * (m.m[1][1] * m.m[2][2] - m.m[1][2] * m.m[2][1])
        - m.m[0][1] * (m.m[1][0] * m.m[2][2] - m.m[1][2] * m.m[2][0])
        + m.m[0][2] * (m.m[1][0] * m.m[2][1] - m.m[1][1] * m.m[2][0]);
    if (e.w == 0 || det <= 0)
        return FACE_SETS - 1;
    static const CubeFace LOW_FACE[3] = {FACE_LEFT, FACE_BOTTOM, FACE_FRONT};
    static const CubeFace HIGH_FACE[3] = {FACE_RIGHT, FACE_TOP, FACE_BACK};
    const float at[3] = {e.x, e.y, e.z};
    unsigned faces = 0;
    for (int a = 0; a < 3; ++a) {
        if (at[a] < cubes.high[a] / 16.0f + 0.5f)
            faces |= 1u << LOW_FACE[a];
        if (at[a] > cubes.low[a] / 16.0f + 0.5f)
            faces |= 1u << HIGH_FACE[a];
    }
    return faces;
}

// Draws the open batch's cubes with the faces that can face the eye, each
// cube's in the mesh's order as when the whole cube is drawn: the faces left
// out are those the device would cull.
static void draw_batch()
{
    unsigned faces = batch_faces();
    if (faces == FACE_SETS - 1) {
        draw_indexed(PRIM_TRIANGLE_LIST, 0, 0, 24, 0, 12);
        return;
    }
    int triangles = 0;
    for (int f = 0; f < CUBE_FACES; ++f)
        triangles += faces & (1u << f) ? 2 : 0;
    if (!triangles)
        return;
    set_indices(cubes.faceSets);
    draw_indexed(PRIM_TRIANGLE_LIST, 0, 0, 24, cubes.faceSetStart[faces], triangles);
    set_indices(cubes.indices);
}

void flush_cubes(bool force)
{
    if (!cubes.vbPtr || (!cubes.pending && !force))
        return;
    unlock_vertex_buffer(cubes.instances);
    cubes.vbPtr = nullptr;
    if (cubes.pending) {
        set_stream(1, cubes.instances, cubes.ringStart * static_cast<int>(sizeof(CubeInstance)),
            sizeof(CubeInstance));
        set_instancing(cubes.pending);
        draw_batch();
    }
    cubes.ringStart += cubes.pending;
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
    Matrix inverse;
    bool invertible = invert_matrix(world, &inverse);
    cubes.objectEye = cubes.eye.w != 0 && invertible ? transform(cubes.eye, inverse) : Vec4{0, 0, 0, 0};
}

// Locks the ring from the next batch's first record to its end, after a
// full ring the whole buffer, discarded.
static CubeInstance* open_batch()
{
    if (cubes.ringStart == DYNAMIC_INSTANCES)
        cubes.ringStart = 0;
    if (cubes.ringStart == 0)
        return static_cast<CubeInstance*>(lock_vertex_buffer(cubes.instances, 0, 0));
    const int record = sizeof(CubeInstance);
    void* p = lock_vertex_buffer_no_overwrite(
        cubes.instances, cubes.ringStart * record, (DYNAMIC_INSTANCES - cubes.ringStart) * record);
    return static_cast<CubeInstance*>(p);
}

void emit_cube(int x16, int y16, int z16, uint32_t colour)
{
    if (cubes.ringStart + cubes.pending == DYNAMIC_INSTANCES)
        flush_cubes(false);
    if (!cubes.vbPtr) {
        CubeInstance* vbPtr = open_batch();
        ASSERT(vbPtr);
        cubes.vbPtr = vbPtr;
        cubes.pending = 0;
    }
    const int at[3] = {x16, y16, z16};
    for (int a = 0; a < 3; ++a) {
        cubes.low[a] = cubes.pending == 0 || at[a] < cubes.low[a] ? at[a] : cubes.low[a];
        cubes.high[a] = cubes.pending == 0 || at[a] > cubes.high[a] ? at[a] : cubes.high[a];
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
    cache.fastVoxels = settings().fast_voxels;
}

void voxel_cache_destroy()
{
    for (ChunkEntry& e : cache.entries)
        destroy_vertex_buffer(e.vb);
    cache.entries.free_all();
    cache.present.free_all();
    cache.solid.free_all();
    cache.hidden.free_all();
    for (DynArray<CubeInstance>& b : cache.built)
        b.free_all();
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

// Forgets every chunk when the kept ones were built for the other mode.
static void match_voxel_mode()
{
    if (settings().fast_voxels == cache.fastVoxels)
        return;
    voxel_cache_invalidate_all();
    cache.fastVoxels = settings().fast_voxels;
}

// Whether the view can show anything of the chunk: its columns against
// the view's reach at the grid's back, where it is widest.
static bool chunk_in_view(int column, int row)
{
    const CacheView& v = cache.view;
    float depth = cache.box.nz - v.eyeZ;
    float reachX = v.slopeX * depth + 1, reachY = v.slopeY * depth + 1;
    float x0 = static_cast<float>(column * CHUNK_SIZE), y0 = static_cast<float>(row * CHUNK_SIZE);
    return x0 < v.eyeX + reachX && x0 + CHUNK_SIZE > v.eyeX - reachX && y0 < v.eyeY + reachY
        && y0 + CHUNK_SIZE > v.eyeY - reachY;
}

// Whether a face of some cube of the chunk may face the eye: a left face
// does when the eye is left of it, and so on. Faces turned away would only
// be shaded to be culled.
static bool range_may_face_eye(const ChunkEntry& e, int range)
{
    const CacheView& v = cache.view;
    float x0 = static_cast<float>(e.column * CHUNK_SIZE), y0 = static_cast<float>(e.row * CHUNK_SIZE);
    switch (range) {
    case RANGE_TOP:
        return v.eyeY > y0;
    case RANGE_LEFT:
        return v.eyeX < x0 + CHUNK_SIZE;
    case RANGE_RIGHT:
        return v.eyeX > x0;
    case RANGE_BOTTOM:
        return v.eyeY < y0 + CHUNK_SIZE;
    default:
        return true;
    }
}

// Draws records first .. first + count - 1 of the entry with one face of the mesh.
static void draw_records(const ChunkEntry& e, int first, int count, CubeFace face)
{
    if (count <= 0)
        return;
    set_stream(1, e.vb, first * static_cast<int>(sizeof(CubeInstance)), sizeof(CubeInstance));
    set_instancing(count);
    draw_indexed(PRIM_TRIANGLE_LIST, 0, 4 * face, 4, 6 * face, 2);
}

// The quadrants of the eye seen from the chunk's cubes; with WIDE_VIEW when
// the view is too wide for covered fronts to be left out.
static unsigned chunk_eye_quadrants(const ChunkEntry& e)
{
    const CacheView& v = cache.view;
    if (v.slopeX > 1 || v.slopeY > 0.5f)
        return 15 | WIDE_VIEW;
    float x0 = static_cast<float>(e.column * CHUNK_SIZE), y0 = static_cast<float>(e.row * CHUNK_SIZE);
    bool right = v.eyeX > x0, left = v.eyeX<x0 + CHUNK_SIZE, up = v.eyeY> y0, down = v.eyeY < y0 + CHUNK_SIZE;
    return (right && up ? QUADRANT_RU : 0) | (up && left ? QUADRANT_UL : 0) | (left && down ? QUADRANT_LD : 0)
        | (down && right ? QUADRANT_DR : 0);
}

// Fast voxels: the fronts that can show, consecutive ranges in one draw.
static void draw_fast_entry(const ChunkEntry& e)
{
    const unsigned eye = chunk_eye_quadrants(e);
    int first = -1;
    for (int r = RANGE_COVERED; r <= RANGE_FRONT_OPEN; ++r) {
        unsigned quadrants = r < RANGE_FRONT_OPEN ? COVERED_QUADRANTS[r - RANGE_COVERED] : 15;
        bool shown = quadrants ? (quadrants & eye) != 0 : (eye & WIDE_VIEW) != 0;
        if (shown && first < 0)
            first = r;
        if (!shown && first >= 0) {
            draw_records(e, e.start[first], e.start[r] - e.start[first], FACE_FRONT);
            first = -1;
        }
    }
    draw_records(e, e.start[first], e.start[CACHE_RANGES] - e.start[first], FACE_FRONT);
}

// The level never shows its back faces; fast voxels show only fronts.
static void draw_entry(const ChunkEntry& e)
{
    if (!chunk_in_view(e.column, e.row))
        return;
    if (settings().fast_voxels) {
        draw_fast_entry(e);
        return;
    }
    for (int r = 0; r < RANGE_COVERED; ++r)
        if (range_may_face_eye(e, r))
            draw_records(e, e.start[r], e.start[r + 1] - e.start[r], SIDE_RANGE_FACE[r]);
    draw_records(e, e.start[RANGE_FRONT_OPEN], e.start[CACHE_RANGES] - e.start[RANGE_FRONT_OPEN], FACE_FRONT);
}

// Collects one chunk's records by range, then writes them into cache
// entries, drawing each entry as it is written (or only writing them, for
// voxel_cache_build).
class ChunkBuilder {
public:
    ChunkBuilder(int column, int row, bool draw)
        : column(column)
        , row(row)
        , draw(draw)
    {
        for (DynArray<CubeInstance>& b : cache.built)
            b.clear();
    }
    ~ChunkBuilder() { write_entries(); }

    void operator()(int x, int y, int z, uint8_t v, bool doubled)
    {
        const VoxelBox& box = cache.box;
        int size = doubled ? 2 : 1;
        CubeInstance c = make_cube_instance(x * 16, y * 16, z * 16, box.palette[v], doubled);
        const unsigned open = box.open_faces(x, y, z, size);
        for (int r = RANGE_TOP; r < RANGE_COVERED && !cache.fastVoxels; ++r)
            if (open & (1u << SIDE_RANGE_FACE[r]))
                push_record(r, c, size);
        if (open & (1u << FACE_FRONT)) {
            push_record(RANGE_FRONT_OPEN, c, size);
            return;
        }
        if (!cache.fastVoxels)
            return;
        unsigned quadrants = shown_quadrants(x, y, z, size);
        int k = 0;
        while (quadrants & ~COVERED_QUADRANTS[COVERED_CHOICE[k]])
            ++k;
        push_record(RANGE_COVERED + COVERED_CHOICE[k], c, size);
    }

private:
    // Appends c to a range, or stretches the range's last record over it:
    // under a light and a depth fade that do not change along x (the
    // level's), fronts, tops and bottoms shade alike all along a row, so a
    // row of equal cubes is drawn as one long cube. Left and right faces
    // never make a row: the cube before another covers its left face, and
    // the cube after it its right face.
    static void push_record(int range, const CubeInstance& c, int size)
    {
        DynArray<CubeInstance>& b = cache.built[range];
        if (b.size() && extend_cube_run(&b[b.size() - 1], c, 16 * size))
            return;
        b.push(c);
    }

    // The solid cells of row y of layer z from cell x on, as bits; cells
    // outside the grid are empty. Sixteen voxels at a time where the row is
    // whole and its voxels adjacent.
    static uint64_t solid_row(int x, int y, int z)
    {
        const VoxelBox& box = cache.box;
        uint64_t bits = 0;
        if (y < 0 || y >= box.ny)
            return 0;
        if (box.strideX == 1 && x >= 0 && x + SHADE_SIZE <= box.nx) {
            const uint8_t* p = box.ptr(x, y, z);
            for (int i = 0; i < SHADE_SIZE; i += 16)
                bits |= static_cast<uint64_t>(solid_bytes16(p + i)) << i;
            return bits;
        }
        for (int i = 0; i < SHADE_SIZE; ++i)
            if (x + i >= 0 && x + i < box.nx && *box.ptr(x + i, y, z))
                bits |= 1ULL << i;
        return bits;
    }

    // Which cells of a voxel layer are solid, and from which cells of a
    // front plane no ray towards an eye in each quadrant escapes, by rows
    // of SHADE_SIZE cells from (x0 - SHADE_MARGIN, y0 - SHADE_MARGIN),
    // where (x0, y0) is the chunk's first voxel; bit i of a row is cell x0 -
    // SHADE_MARGIN + i. solid[z * SHADE_SIZE + j] is layer z's row j.
    // hidden[(q * nz + z) * SHADE_HALF_ROWS + h] is for plane z (the front
    // of layer z) and half row h, the lower or upper half of row h / 2: a
    // ray from there moves at most a cell sideways and half a cell up or
    // down through layer z - 1, so it stays in the two cells and two half
    // rows the quadrant points to, which must be solid, and reaches plane
    // z - 1 in one of them, each either a front facing an empty voxel
    // (drawn) or a place whence no ray escapes in turn. Cells outside the
    // map count as open.
    void map_hidden()
    {
        const VoxelBox& box = cache.box;
        const int nz = box.nz, xs = column * CHUNK_SIZE - SHADE_MARGIN, ys = row * CHUNK_SIZE - SHADE_MARGIN;
        cache.solid.resize(nz * SHADE_SIZE);
        cache.hidden.resize(4 * nz * SHADE_HALF_ROWS);
        // A ray moves half a row per layer, so plane z is needed only
        // within nz - 1 - z half rows of the chunk's own; the solid rows
        // likewise.
        const int jlo = clamp_int((2 * SHADE_MARGIN - nz) / 2, 0, SHADE_SIZE);
        const int jhi = clamp_int((2 * (SHADE_MARGIN + CHUNK_SIZE) + nz) / 2 + 1, 0, SHADE_SIZE);
        for (int z = 0; z < nz; ++z)
            for (int j = jlo; j < jhi; ++j)
                cache.solid[z * SHADE_SIZE + j] = solid_row(xs, ys + j, z);
        // The quadrants in pairs whose rays step the same way in y: RU and
        // UL step up, LD and DR down.
        for (int q = 0; q < 4; q += 2)
            map_quadrant_pair(q, q < 2 ? 1 : -1);
        mapped = true;
    }

    // The hidden maps of quadrants q and q + 1, whose rays step half a row
    // `step` per plane in y, and a cell in x: the same way as in y for q,
    // the other way for q + 1. Plane 0 hides nothing.
    static void map_quadrant_pair(int q, int step)
    {
        static const uint64_t NOTHING[SHADE_SIZE] = {};
        const int nz = cache.box.nz;
        uint64_t* same = cache.hidden.data() + q * nz * SHADE_HALF_ROWS;
        uint64_t* other = same + nz * SHADE_HALF_ROWS;
        memset(same, 0, SHADE_HALF_ROWS * sizeof(uint64_t));
        memset(other, 0, SHADE_HALF_ROWS * sizeof(uint64_t));
        for (int z = 1; z < nz; ++z) {
            // Cells of plane z - 1 that stop a ray: solid, and a drawn
            // front (nothing solid in front of it) or hidden themselves.
            const uint64_t* solid = cache.solid.data() + (z - 1) * SHADE_SIZE;
            const uint64_t* front = z >= 2 ? solid - SHADE_SIZE : NOTHING;
            const uint64_t *a = same + (z - 1) * SHADE_HALF_ROWS, *b = other + (z - 1) * SHADE_HALF_ROWS;
            int lo, hi;
            plane_rows(z, step, &lo, &hi);
            for (int h = lo; h < hi; ++h) {
                const int k = h + step;
                const bool inside = k >= 0 && k < SHADE_HALF_ROWS;
                const uint64_t sh = solid[h / 2], sk = inside ? solid[k / 2] : 0;
                const uint64_t oh = sh & ~front[h / 2], ok = inside ? sk & ~front[k / 2] : 0;
                const uint64_t ba = (oh | (sh & a[h])) & (ok | (sk & (inside ? a[k] : 0)));
                const uint64_t bb = (oh | (sh & b[h])) & (ok | (sk & (inside ? b[k] : 0)));
                same[z * SHADE_HALF_ROWS + h] = ba & (step > 0 ? ba >> 1 : ba << 1);
                other[z * SHADE_HALF_ROWS + h] = bb & (step > 0 ? bb << 1 : bb >> 1);
            }
        }
    }

    // The half rows of plane z that the chunk's fronts depend on for a
    // quadrant whose rays step half a row `step` (+1 or -1) per plane: its
    // own, widened on that side by one for each plane in front of the last.
    static void plane_rows(int z, int step, int* lo, int* hi)
    {
        const int spread = cache.box.nz - 1 - z;
        *lo = clamp_int(2 * SHADE_MARGIN - (step < 0 ? spread : 0), 0, SHADE_HALF_ROWS);
        *hi = clamp_int(2 * (SHADE_MARGIN + CHUNK_SIZE) + (step > 0 ? spread : 0), 0, SHADE_HALF_ROWS);
    }

    // The quadrants of eyes that the front of the cube of `size` at (x, y, z) may show to.
    unsigned shown_quadrants(int x, int y, int z, int size)
    {
        if (!mapped)
            map_hidden();
        const int i = x - column * CHUNK_SIZE + SHADE_MARGIN, j = y - row * CHUNK_SIZE + SHADE_MARGIN;
        const uint64_t cells = (size == 2 ? 3ULL : 1ULL) << i;
        unsigned shown = 0;
        for (int q = 0; q < 4; ++q)
            for (int h = 2 * j; h < 2 * (j + size); ++h)
                if ((cache.hidden[(q * cache.box.nz + z) * SHADE_HALF_ROWS + h] & cells) != cells)
                    shown |= 1u << q;
        return shown;
    }

    // The first free entry, else a new one; fatal when no buffer can be made.
    static int take_entry()
    {
        for (int i = 0; i < cache.entries.size(); ++i)
            if (cache.entries[i].count <= 0)
                return i;
        ChunkEntry e = {create_vertex_buffer(CHUNK_INSTANCES * sizeof(CubeInstance), 0), 0, 0, 0, {}};
        if (!e.vb)
            fatal_error("Can't create voxel cache VB");
        cache.entries.push(e);
        return cache.entries.size() - 1;
    }

    // The ranges one after another, CHUNK_INSTANCES records an entry.
    void write_entries()
    {
        int total = 0;
        for (const DynArray<CubeInstance>& b : cache.built)
            total += b.size();
        int range = 0, taken = 0; // records of `range` already written
        for (int done = 0; done < total;) {
            int index = take_entry();
            CubeInstance* out = static_cast<CubeInstance*>(lock_vertex_buffer(cache.entries[index].vb, 0, 0));
            ASSERT(out);
            ChunkEntry& e = cache.entries[index];
            int n = 0;
            for (int r = 0; r < CACHE_RANGES; ++r) {
                e.start[r] = static_cast<uint16_t>(n);
                if (r != range)
                    continue;
                int k = cache.built[r].size() - taken;
                if (k > CHUNK_INSTANCES - n)
                    k = CHUNK_INSTANCES - n;
                if (k > 0)
                    memcpy(out + n, cache.built[r].data() + taken, k * sizeof(CubeInstance));
                n += k;
                taken += k;
                if (taken == cache.built[r].size()) {
                    ++range;
                    taken = 0;
                }
            }
            e.start[CACHE_RANGES] = static_cast<uint16_t>(n);
            unlock_vertex_buffer(e.vb);
            e.count = n;
            e.column = static_cast<int16_t>(column);
            e.row = static_cast<int16_t>(row);
            done += n;
            if (draw)
                draw_entry(e);
        }
    }

    int column, row;
    bool draw;
    bool mapped = false; // map_hidden runs for the chunk's first covered front
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

// Builds the chunks of the range that find_present did not mark, counting them.
static void build_missing(int c0, int r0, int c1, int r1, bool draw)
{
    int width = c1 - c0 + 1;
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c)
            if (!cache.present[(r - r0) * width + c - c0]) {
                int64_t start = timer_now();
                scan_chunk(cache.box, c, r, ChunkBuilder(c, r, draw));
                cache.counts.ticks += timer_now() - start;
                ++cache.counts.chunks;
            }
}

void voxel_cache_draw(int x0, int y0, int x1, int y1, const CacheView& view)
{
    int c0, r0, c1, r1;
    if (!chunk_range(x0, y0, x1, y1, &c0, &r0, &c1, &r1))
        return;
    cache.view = view;
    flush_cubes(true);
    match_voxel_mode();
    find_present(c0, r0, c1, r1, true);
    build_missing(c0, r0, c1, r1, true);
}

void voxel_cache_build(int x0, int y0, int x1, int y1)
{
    int c0, r0, c1, r1;
    if (!chunk_range(x0, y0, x1, y1, &c0, &r0, &c1, &r1))
        return;
    match_voxel_mode();
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

const CacheBuildCounts& voxel_cache_build_counts()
{
    return cache.counts;
}
