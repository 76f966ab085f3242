// cubeInstance.h - the per-cube record of the instanced cube renderer and the
// scan that turns a box of voxels into the cubes that can be seen.
//
// Shared by the renderer (voxel/dynCubeRender.cpp), its tests and benchmarks.
#pragma once

#include <stdint.h>
#include <string.h>

#include "../libs/inc/misc/zu_utils.h"

// One cube on vertex stream 1. Positions are sixteenths of a voxel; x is split
// so that the level's 4096 voxels and small negative sprite offsets both fit:
// x16 = (s0 & 0x7FFF) + 32768 * s3. Bit 15 of s0 marks a 2 x 2 x 2 cube.
struct CubeInstance {
    int16_t s0, s1, s2, s3;
    uint32_t colour; // 0xAARRGGBB
};
static_assert(sizeof(CubeInstance) == 12, "the instance stream's stride is 12 bytes");

enum { CUBE_DOUBLE_SIZE = 0x8000 };

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
    // Whether a face of the cube of size x size x size voxels whose low corner
    // is (x, y, z) can be seen: it lies on the box's edge or touches an empty
    // voxel. Otherwise solid voxels cover all of it.
    bool face_open(int x, int y, int z, int size, CubeFace face) const
    {
        static const int AXIS[CUBE_FACES] = {2, 1, 0, 0, 1, 2};
        static const bool OUTWARD[CUBE_FACES] = {false, true, false, true, false, true};
        int at[3] = {x, y, z};
        const int sizes[3] = {nx, ny, nz};
        const int a = AXIS[face], u = a == 0 ? 1 : 0, v = a == 2 ? 1 : 2;
        at[a] = OUTWARD[face] ? at[a] + size : at[a] - 1;
        if (at[a] < 0 || at[a] >= sizes[a])
            return true;
        const int strides[3] = {strideX, strideY, strideZ};
        const uint8_t* layer = ptr(at[0], at[1], at[2]);
        for (int i = 0; i < size; ++i)
            for (int j = 0; j < size; ++j)
                if (!layer[i * strides[u] + j * strides[v]])
                    return true;
        return false;
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

// Whether the eight blocks of 2 x 2 x 2 voxels from (x, y, z) on in x are all
// empty: sixteen voxels of each of their four rows read eight at a time
// where the rows are contiguous.
inline bool blocks_empty16(const VoxelBox& box, int x, int y, int z)
{
    if (box.strideX != 1)
        return false;
    const uint8_t* p = box.ptr(x, y, z);
    const uint8_t* rows[4] = {p, p + box.strideY, p + box.strideZ, p + box.strideY + box.strideZ};
    uint64_t any = 0;
    for (const uint8_t* r : rows) {
        uint64_t a, b;
        memcpy(&a, r, 8);
        memcpy(&b, r + 8, 8);
        any |= a | b;
    }
    return any == 0;
}

// Emits the visible cubes of one 16 x 16 chunk column (all depths) of a box
// whose sizes are even (the voxel cache asserts it), in 2 x 2 x 2 blocks: z
// outermost, then y, then x. A doubled block becomes one double-size cube,
// a block drawn voxel by voxel emits its exposed voxels one by one.
// sink(x, y, z, index, doubled) receives voxel coordinates.
template <typename Sink> void scan_chunk(const VoxelBox& box, int column, int row, Sink&& sink)
{
    const int x0 = column * 16, y0 = row * 16;
    const int x1 = x0 + 16 < box.nx ? x0 + 16 : box.nx;
    const int y1 = y0 + 16 < box.ny ? y0 + 16 : box.ny;
    for (int z = 0; z < box.nz; z += 2)
        for (int y = y0; y < y1; y += 2) {
            if (x1 - x0 == 16 && blocks_empty16(box, x0, y, z))
                continue;
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
}
