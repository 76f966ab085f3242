// cubeInstance.h - the per-cube record of the instanced cube renderer and the
// scan that turns a box of voxels into the cubes that can be seen.
//
// Shared by the renderer (voxel/dynCubeRender.cpp), its tests and benchmarks.
#pragma once

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <stdint.h>
#include <string.h>

#include "../libs/inc/misc/zu_utils.h"

// One cube on vertex stream 1. Positions are sixteenths of a voxel; x is split
// so that the level's 4096 voxels and small negative sprite offsets both fit:
// x16 = (s0 & 0x7FFF) + 32768 * h, where h is s3's low byte as a signed
// number. Bit 15 of s0 marks a 2 x 2 x 2 cube. The rest of s3 (s3 - h) / 256
// stretches the cube in x to that many cubes more: a row of equal cubes
// drawn with only faces that shade alike along x (front, top, bottom) is
// one record.
struct CubeInstance {
    int16_t s0, s1, s2, s3;
    uint32_t colour; // 0xAARRGGBB
};
static_assert(sizeof(CubeInstance) == 12, "the instance stream's stride is 12 bytes");

enum { CUBE_DOUBLE_SIZE = 0x8000, CUBE_MAX_RUN = 127 };

inline CubeInstance make_cube_instance(int x16, int y16, int z16, uint32_t colour, bool doubled)
{
    CubeInstance c;
    c.s0 = static_cast<int16_t>((x16 & 0x7FFF) | (doubled ? CUBE_DOUBLE_SIZE : 0));
    c.s1 = static_cast<int16_t>(y16);
    c.s2 = static_cast<int16_t>(z16);
    c.s3 = static_cast<int16_t>((2 * x16) >> 16); // floor(x16 / 32768)
    c.colour = colour;
    return c;
}

// How many cubes in a row the record stands for.
inline int cube_run(const CubeInstance& c)
{
    return ((c.s3 - static_cast<int8_t>(c.s3 & 0xFF)) >> 8) + 1;
}

// x of the record's first cube, in sixteenths.
inline int cube_x16(const CubeInstance& c)
{
    return (c.s0 & 0x7FFF) + 32768 * static_cast<int8_t>(c.s3 & 0xFF);
}

// Stretches `last` over c when c is the next equal cube of its row; false otherwise.
inline bool extend_cube_run(CubeInstance* last, const CubeInstance& c, int size16)
{
    const int run = cube_run(*last);
    if (last->s1 != c.s1 || last->s2 != c.s2 || last->colour != c.colour
        || ((last->s0 ^ c.s0) & CUBE_DOUBLE_SIZE) || run == CUBE_MAX_RUN
        || cube_x16(*last) + run * size16 != cube_x16(c))
        return false;
    last->s3 = static_cast<int16_t>(last->s3 + 256);
    return true;
}

// The faces of the cube mesh, in its order: the first face is the front.
enum CubeFace { FACE_FRONT, FACE_TOP, FACE_LEFT, FACE_RIGHT, FACE_BOTTOM, FACE_BACK, CUBE_FACES };

// A box of palette indices with its byte strides (the level grid, a sprite).
struct VoxelBox {
    const uint8_t* voxels;
    int strideX, strideY, strideZ;
    int nx, ny, nz;
    const uint32_t* palette;

    const uint8_t* ptr(int x, int y, int z) const { return voxels + x * strideX + y * strideY + z * strideZ; }
    bool on_edge(int x, int y, int z) const
    {
        return x == 0 || y == 0 || z == 0 || x == nx - 1 || y == ny - 1 || z == nz - 1;
    }
    // A solid voxel is seen when it lies on the box's edge or has an empty face neighbour.
    bool exposed(int x, int y, int z) const
    {
        if (on_edge(x, y, z))
            return true;
        const uint8_t* p = ptr(x, y, z);
        return !p[-strideX] || !p[strideX] || !p[-strideY] || !p[strideY] || !p[-strideZ] || !p[strideZ];
    }
    // The faces of the cube of size x size x size voxels (1 or 2) whose low
    // corner is (x, y, z) that can be seen, as bits by CubeFace, the back
    // left out: those on the box's edge or touching an empty voxel. Solid
    // voxels cover the others whole.
    unsigned open_faces(int x, int y, int z, int size) const
    {
        const uint8_t* p = ptr(x, y, z);
        const int sx = strideX, sy = strideY, sz = strideZ;
        // Whether the square of voxels from q on along strides u and v is solid.
        auto solid = [size](const uint8_t* q, int u, int v) {
            return size == 1 ? q[0] != 0 : q[0] && q[u] && q[v] && q[u + v];
        };
        unsigned open = 0;
        if (z == 0 || !solid(p - sz, sx, sy))
            open |= 1u << FACE_FRONT;
        if (y + size >= ny || !solid(p + size * sy, sx, sz))
            open |= 1u << FACE_TOP;
        if (x == 0 || !solid(p - sx, sy, sz))
            open |= 1u << FACE_LEFT;
        if (x + size >= nx || !solid(p + size * sx, sy, sz))
            open |= 1u << FACE_RIGHT;
        if (y == 0 || !solid(p - sy, sx, sz))
            open |= 1u << FACE_BOTTOM;
        return open;
    }
};

// How a block of 2 x 2 x 2 voxels at even coordinates is drawn: not at all
// (empty, or buried: eight equal voxels off the box's edge whose 24 face
// neighbours are all solid), as one double-size cube (eight equal solid
// voxels otherwise), or voxel by voxel (the rest).
enum BlockKind { BLOCK_EMPTY, BLOCK_SINGLES, BLOCK_DOUBLED, BLOCK_BURIED };

inline BlockKind block_kind(const VoxelBox& box, int x, int y, int z)
{
    const int sx = box.strideX, sy = box.strideY, sz = box.strideZ;
    const uint8_t* p = box.ptr(x, y, z);
    const uint8_t v = p[0];
    bool uniform = p[sx] == v && p[sy] == v && p[sx + sy] == v && p[sz] == v && p[sx + sz] == v
        && p[sy + sz] == v && p[sx + sy + sz] == v;
    if (!uniform)
        return BLOCK_SINGLES;
    if (v == 0)
        return BLOCK_EMPTY;
    bool edge = x == 0 || y == 0 || z == 0 || x == box.nx - 2 || y == box.ny - 2 || z == box.nz - 2;
    bool buried = !edge && p[-sx] && p[-sx + sy] && p[-sx + sz] && p[-sx + sy + sz] && p[2 * sx]
        && p[2 * sx + sy] && p[2 * sx + sz] && p[2 * sx + sy + sz] && p[-sy] && p[sx - sy] && p[-sy + sz]
        && p[sx - sy + sz] && p[2 * sy] && p[sx + 2 * sy] && p[2 * sy + sz] && p[sx + 2 * sy + sz] && p[-sz]
        && p[sx - sz] && p[sy - sz] && p[sx + sy - sz] && p[2 * sz] && p[sx + 2 * sz] && p[sy + 2 * sz]
        && p[sx + sy + 2 * sz];
    return buried ? BLOCK_BURIED : BLOCK_DOUBLED;
}

// The corners of a block, in the order its single voxels are emitted.
static const int BLOCK_CORNERS[8][3]
    = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};

// Bit i set where byte i of the 16 at a equals byte i of the 16 at b.
inline unsigned equal_bytes16(const uint8_t* a, const uint8_t* b)
{
#ifdef __SSE2__
    __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
    __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(va, vb)));
#else
    unsigned bits = 0;
    for (int i = 0; i < 16; ++i)
        bits |= static_cast<unsigned>(a[i] == b[i]) << i;
    return bits;
#endif
}

// Bit i set where byte i of the 16 at p is not zero.
inline unsigned solid_bytes16(const uint8_t* p)
{
    static const uint8_t ZEROS[16] = {};
    return ~equal_bytes16(p, ZEROS) & 0xFFFF;
}

// The solid voxels around one 16 x 16 chunk column of a box whose rows are
// contiguous, as bit rows: bit i of row (y, z) is voxel (x0 - 1 + i, y, z),
// for y0 - 1 <= y <= y0 + 16 and -1 <= z <= nz. Voxels outside the box are
// empty, so the box's edge needs no test of its own.
struct ChunkSolids {
    enum { ROWS = 18, MAX_DEPTH = 64 };
    int y0;
    uint32_t rows[(MAX_DEPTH + 2) * ROWS];

    uint32_t at(int y, int z) const { return rows[(z + 1) * ROWS + y - y0 + 1]; }
    void fill(const VoxelBox& box, int x0, int y0)
    {
        this->y0 = y0;
        memset(rows, 0, sizeof(uint32_t) * (box.nz + 2) * ROWS);
        const int ylo = y0 > 0 ? y0 - 1 : 0, yhi = y0 + 16 < box.ny ? y0 + 16 : box.ny - 1;
        for (int z = 0; z < box.nz; ++z)
            for (int y = ylo; y <= yhi; ++y) {
                const uint8_t* p = box.ptr(x0, y, z);
                uint32_t bits = solid_bytes16(p) << 1;
                if (x0 > 0 && p[-1])
                    bits |= 1;
                if (x0 + 16 < box.nx && p[16])
                    bits |= 1u << 17;
                rows[(z + 1) * ROWS + y - y0 + 1] = bits;
            }
    }
    // Whether voxel (x0 - 1 + i, y, z) has an empty face neighbour.
    bool exposed(int i, int y, int z) const
    {
        const uint32_t r = at(y, z);
        return !((r >> (i - 1)) & (r >> (i + 1)) & (at(y - 1, z) >> i) & (at(y + 1, z) >> i)
            & (at(y, z - 1) >> i) & (at(y, z + 1) >> i) & 1);
    }
};

// scan_chunk over a whole chunk of a box with contiguous rows, eight blocks
// at a time: their kinds come from comparing rows sixteen bytes at once and
// from the solid bit rows, which also tell the exposed voxels.
template <typename Sink> void scan_whole_chunk(const VoxelBox& box, int x0, int y0, Sink&& sink)
{
    ChunkSolids s;
    s.fill(box, x0, y0);
    const int sy = box.strideY, sz = box.strideZ;
    for (int z = 0; z < box.nz; z += 2)
        for (int y = y0; y < y0 + 16; y += 2) {
            // Row bits of the blocks' own voxels; bit 2k + 1 is block k's first column.
            const uint32_t a00 = s.at(y, z), a10 = s.at(y + 1, z), a01 = s.at(y, z + 1),
                           a11 = s.at(y + 1, z + 1);
            if (!((a00 | a10 | a01 | a11) & 0x1FFFE))
                continue;
            const uint8_t* p = box.ptr(x0, y, z);
            // Block k is uniform when its four rows agree on columns 2k and
            // 2k + 1 and those two agree with each other.
            const unsigned same
                = equal_bytes16(p, p + sy) & equal_bytes16(p, p + sz) & equal_bytes16(p, p + sy + sz);
            unsigned pairs = 0;
            for (int k = 0; k < 16; k += 2)
                pairs |= static_cast<unsigned>(p[k] == p[k + 1]) << k;
            const unsigned uniform = same & (same >> 1) & pairs & 0x5555;
            // Buried: solid on both sides in x (columns 2k - 1 and 2k + 2 of
            // all four rows) and in the two rows above, below, before and
            // behind over both its columns.
            const uint32_t own = a00 & a10 & a01 & a11;
            const uint32_t yz = s.at(y - 1, z) & s.at(y - 1, z + 1) & s.at(y + 2, z) & s.at(y + 2, z + 1)
                & s.at(y, z - 1) & s.at(y + 1, z - 1) & s.at(y, z + 2) & s.at(y + 1, z + 2);
            const uint32_t buried = (own << 1) & (own >> 2) & yz & (yz >> 1); // at bit 2k + 1
            const unsigned doubled = uniform & (a00 >> 1) & ~(buried >> 1);
            for (unsigned todo = (doubled | ~uniform) & 0x5555; todo; todo &= todo - 1) {
                const int c = __builtin_ctz(todo), x = x0 + c;
                if (doubled & (1u << c)) {
                    sink(x, y, z, p[c], true);
                    continue;
                }
                for (const auto& d : BLOCK_CORNERS) {
                    uint8_t u = p[c + d[0] + d[1] * sy + d[2] * sz];
                    if (u && s.exposed(c + d[0] + 1, y + d[1], z + d[2]))
                        sink(x + d[0], y + d[1], z + d[2], u, false);
                }
            }
        }
}

// scan_chunk voxel by voxel, for any box: what the block-wise scan must match.
template <typename Sink> void scan_chunk_by_voxel(const VoxelBox& box, int column, int row, Sink&& sink)
{
    const int x0 = column * 16, y0 = row * 16;
    const int x1 = x0 + 16 < box.nx ? x0 + 16 : box.nx;
    const int y1 = y0 + 16 < box.ny ? y0 + 16 : box.ny;
    for (int z = 0; z < box.nz; z += 2)
        for (int y = y0; y < y1; y += 2)
            for (int x = x0; x < x1; x += 2) {
                BlockKind kind = block_kind(box, x, y, z);
                if (kind == BLOCK_DOUBLED)
                    sink(x, y, z, *box.ptr(x, y, z), true);
                if (kind != BLOCK_SINGLES)
                    continue;
                for (const auto& c : BLOCK_CORNERS) {
                    uint8_t u = *box.ptr(x + c[0], y + c[1], z + c[2]);
                    if (u && box.exposed(x + c[0], y + c[1], z + c[2]))
                        sink(x + c[0], y + c[1], z + c[2], u, false);
                }
            }
}

// Emits the visible cubes of one 16 x 16 chunk column (all depths) of a box
// whose sizes are even (the voxel cache asserts it), in 2 x 2 x 2 blocks: z
// outermost, then y, then x. A doubled block becomes one double-size cube,
// a block drawn voxel by voxel emits its exposed voxels one by one.
// sink(x, y, z, index, doubled) receives voxel coordinates.
template <typename Sink> void scan_chunk(const VoxelBox& box, int column, int row, Sink&& sink)
{
    const int x0 = column * 16, y0 = row * 16;
    if (box.strideX == 1 && x0 + 16 <= box.nx && y0 + 16 <= box.ny && box.nz <= ChunkSolids::MAX_DEPTH)
        scan_whole_chunk(box, x0, y0, sink);
    else
        scan_chunk_by_voxel(box, column, row, sink);
}
