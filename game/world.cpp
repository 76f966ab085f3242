// world.cpp - the level world: collision queries and wall destruction.
//
// The queries run several times per creature and half-step, so they are plain
// loops over the few voxels under a box and over the robot list; nothing here
// allocates.
#include "world.h"

#include <math.h>
#include <string.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "../core/random.h"
#include "../sound/sound.h"
#include "../voxel/dynCubeRender.h"
#include "../voxel/levelGrid.h"
#include "enemies.h"
#include "hero.h"
#include "runStats.h"
#include "scene.h"
#include "shots.h"

// Holes reach at least this deep from the front, and up to three more.
enum { HOLE_MIN_DEPTH = 14 };

static int destruction_radius; // reset by new_game through the wall upgrade

int wall_radius()
{
    return destruction_radius;
}

void set_wall_radius(int radius)
{
    destruction_radius = radius;
}

static float larger(float a, float b)
{
    return a > b ? a : b;
}

static Vec4 vec_max(const Vec4& a, const Vec4& b)
{
    return {larger(a.x, b.x), larger(a.y, b.y), larger(a.z, b.z), larger(a.w, b.w)};
}

static bool any_positive(const Vec4& v)
{
    return v.x > 0 || v.y > 0 || v.z > 0 || v.w > 0;
}

// Drops the components that exceed the half extents of the box [lo, hi].
static Vec4 filter_push(Vec4 v, const Vec4& lo, const Vec4& hi)
{
    float hx = (hi.x - lo.x) * 0.5f, hy = (hi.y - lo.y) * 0.5f;
    if (v.x > hx)
        v.x = 0;
    if (v.z > hx)
        v.z = 0;
    if (v.y > hy)
        v.y = 0;
    if (v.w > hy)
        v.w = 0;
    return v;
}

// The solid voxels of a window of the grid merged over a range of depths:
// bit x - base of solid[y] is set when column x of row y holds a solid voxel
// at some depth in [z0, z1), exits[y] likewise for exit voxels. Rows y0 ..
// y1 - 1 are filled. A move asks several boxes of one patch.
struct GridPatch {
    int base, x0, x1, y0, y1, z0, z1; // columns [x0, x1), base <= x0 < x1 <= base + 64
    uint64_t solid[LEVEL_SIZE_Y], exits[LEVEL_SIZE_Y];
};

static_assert(VOXEL_EXIT == 0xC0, "exit voxels are the bytes with both top bits set");

// Bits [from, to) of a word, 0 <= from <= to <= 64.
static uint64_t bit_span(int from, int to)
{
    uint64_t below_to = to >= 64 ? ~0ULL : (1ULL << to) - 1;
    return below_to & ~((1ULL << from) - 1);
}

#ifdef __SSE2__
// Fills rows [y0, y1) of the patch from WORDS words of eight columns from
// its base on. Sixteen voxels of a row are read at once, the last eight alone
// when WORDS is odd: the reads start at multiples of 8 and never cross the
// end of a row. WORDS is fixed so the running masks stay in registers: kept in
// memory they made every read wait for the previous depth's store.
template <int WORDS> static void fill_patch_rows_sse2(GridPatch& p)
{
    constexpr int BLOCKS = (WORDS + 1) / 2;
    const uint8_t* grid = level_grid();
    const __m128i zero = _mm_setzero_si128();
    for (int y = p.y0; y < p.y1; ++y) {
        __m128i any[BLOCKS], exits[BLOCKS];
        for (int k = 0; k < BLOCKS; ++k)
            any[k] = exits[k] = zero;
        for (int z = p.z0; z < p.z1; ++z) {
            const uint8_t* row = grid + level_voxel_index(p.base, y, z);
            for (int k = 0; k < BLOCKS; ++k) {
                const __m128i* at = reinterpret_cast<const __m128i*>(row + 16 * k);
                __m128i w = 2 * k + 1 < WORDS ? _mm_loadu_si128(at) : _mm_loadl_epi64(at);
                any[k] = _mm_or_si128(any[k], w);
                // Both top bits: the byte and the byte doubled have bit 7 set.
                exits[k] = _mm_or_si128(exits[k], _mm_and_si128(w, _mm_add_epi8(w, w)));
            }
        }
        uint64_t solid = 0, exit = 0;
        for (int k = 0; k < BLOCKS; ++k) {
            uint64_t empty = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(any[k], zero)));
            solid |= (~empty & 0xFFFF) << (16 * k);
            exit |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(exits[k]))) << (16 * k);
        }
        p.solid[y] = solid;
        p.exits[y] = exit;
    }
}
#endif

// Eight voxels of a row as one word, the first in the lowest byte whatever
// the machine's byte order.
static uint64_t load_word(const uint8_t* at)
{
    uint64_t w;
    memcpy(&w, at, sizeof w);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    w = __builtin_bswap64(w);
#endif
    return w;
}

static const uint64_t BYTE_LOW_BITS = 0x7F7F7F7F7F7F7F7FULL, BYTE_TOP_BITS = 0x8080808080808080ULL;

// The top bits of the eight bytes of w as eight bits, byte i's in bit i: the
// multiplication moves each to its place in the top byte without carries.
static uint64_t gather_top_bits(uint64_t w)
{
    return ((w & BYTE_TOP_BITS) >> 7) * 0x0102040810204080ULL >> 56;
}

// fill_patch_rows_sse2 in plain 64-bit words for any target: the same bits
// from `words` words, one word through all depths before the next so that
// its two running masks stay in registers.
static void fill_patch_rows_portable(GridPatch& p, int words)
{
    const uint8_t* grid = level_grid();
    for (int y = p.y0; y < p.y1; ++y) {
        const uint8_t* column = grid + level_voxel_index(p.base, y, p.z0);
        uint64_t solid = 0, exit = 0;
        for (int k = 0; k < words; ++k, column += 8) {
            uint64_t any = 0, exits = 0;
            const uint8_t* at = column;
            for (int z = p.z0; z < p.z1; ++z, at += LEVEL_STRIDE_Z) {
                uint64_t w = load_word(at);
                any |= w;
                // Both top bits: bit 6 shifted onto bit 7 of the same byte.
                exits |= w & (w << 1);
            }
            // A byte is not zero when its top bit is set or its low bits
            // carry into it when 0x7F is added.
            solid |= gather_top_bits(any | ((any & BYTE_LOW_BITS) + BYTE_LOW_BITS)) << (8 * k);
            exit |= gather_top_bits(exits) << (8 * k);
        }
        p.solid[y] = solid;
        p.exits[y] = exit;
    }
}

#ifdef __SSE2__
// The SSE2 row fillers by the number of words, 1 to 8.
static void (*const FILL_SSE2[8])(GridPatch&)
    = {fill_patch_rows_sse2<1>, fill_patch_rows_sse2<2>, fill_patch_rows_sse2<3>, fill_patch_rows_sse2<4>,
        fill_patch_rows_sse2<5>, fill_patch_rows_sse2<6>, fill_patch_rows_sse2<7>, fill_patch_rows_sse2<8>};
static const GridReader GAME_READER = GRID_READER_SSE2;
#else
static const GridReader GAME_READER = GRID_READER_PORTABLE;
#endif

bool has_grid_reader(GridReader reader)
{
#ifdef __SSE2__
    if (reader == GRID_READER_SSE2)
        return true;
#endif
    return reader == GRID_READER_PORTABLE;
}

// Fills the patch of columns [x0, x1) (at most 57 of them), rows [y0, y1)
// and depths [z0, z1), all inside the grid and not empty, through `reader`.
static void fill_patch(GridPatch& p, int x0, int x1, int y0, int y1, int z0, int z1, GridReader reader)
{
    p.base = x0 & ~7;
    p.x0 = x0;
    p.x1 = x1;
    p.y0 = y0;
    p.y1 = y1;
    p.z0 = z0;
    p.z1 = z1;
    const int words = (x1 - p.base + 7) / 8;
    ASSERT(words >= 1 && words <= 8);
    ASSERT(has_grid_reader(reader));
#ifdef __SSE2__
    if (reader == GRID_READER_SSE2) {
        FILL_SSE2[words - 1](p);
        return;
    }
#endif
    fill_patch_rows_portable(p, words);
}

// The cells [*first, *end) that a box side range [lo, hi] covers in an axis of
// `size` cells; halves round to even (the default rounding mode).
static void cell_range(float lo, float hi, int size, int* first, int* end)
{
    *first = static_cast<int>(nearbyintf(lo - 0.49f));
    *end = static_cast<int>(nearbyintf(hi + 0.49f));
    if (*first < 0)
        *first = 0;
    if (*end > size)
        *end = size;
}

// The cells of the box [lo, hi]; false when it holds none.
static bool box_cells(const Vec4& lo, const Vec4& hi, int cells[6])
{
    cell_range(lo.x, hi.x, LEVEL_SIZE_X, &cells[0], &cells[1]);
    cell_range(lo.y, hi.y, LEVEL_SIZE_Y, &cells[2], &cells[3]);
    cell_range(lo.z, hi.z, LEVEL_SIZE_Z, &cells[4], &cells[5]);
    return cells[0] < cells[1] && cells[2] < cells[3] && cells[4] < cells[5];
}

// Whether the patch holds every cell of a box.
static bool patch_holds(const GridPatch& p, const int cells[6])
{
    return cells[0] >= p.x0 && cells[1] <= p.x1 && cells[2] >= p.y0 && cells[3] <= p.y1 && cells[4] == p.z0
        && cells[5] == p.z1;
}

// Adds to *push the voxels' push on the box [lo, hi] whose cells the patch
// holds: ((x + 1) - lo.x, (y + 1) - lo.y, hi.x - x, hi.y - y) of each solid
// voxel with the components beyond the half extents dropped. The x pushes
// depend only on the column and the y pushes only on the row.
static void patch_push(
    const GridPatch& p, const Vec4& lo, const Vec4& hi, const int cells[6], Vec4* push, uint32_t& flags)
{
    const float hx = (hi.x - lo.x) * 0.5f, hy = (hi.y - lo.y) * 0.5f;
    const uint64_t inside = bit_span(cells[0] - p.base, cells[1] - p.base);
    uint64_t columns = 0, exits = 0;
    for (int y = cells[2]; y < cells[3]; ++y) {
        uint64_t row = p.solid[y] & inside;
        exits |= p.exits[y] & inside;
        if (!row)
            continue;
        columns |= row;
        float up = (y + 1) - lo.y, down = hi.y - y;
        if (up <= hy && up > push->y)
            push->y = up;
        if (down <= hy && down > push->w)
            push->w = down;
    }
    if (exits)
        flags |= TOUCH_EXIT;
    for (; columns; columns &= columns - 1) {
        int x = p.base + __builtin_ctzll(columns);
        float right = (x + 1) - lo.x, left = hi.x - x;
        if (right <= hx && right > push->x)
            push->x = right;
        if (left <= hx && left > push->z)
            push->z = left;
    }
}

enum { PATCH_COLUMNS = 57 }; // the widest column range that every patch can hold

Vec4 box_vs_world(const Vec4& lo, const Vec4& hi, uint32_t& flags)
{
    return box_vs_world_by(GAME_READER, lo, hi, flags);
}

Vec4 box_vs_world_by(GridReader reader, const Vec4& lo, const Vec4& hi, uint32_t& flags)
{
    Vec4 result = {0, 0, 0, 0};
    int cells[6];
    if (!box_cells(lo, hi, cells))
        return result;
    GridPatch patch;
    const int x0 = cells[0], x1 = cells[1];
    for (int x = x0; x < x1; x += PATCH_COLUMNS) {
        cells[0] = x;
        cells[1] = x + PATCH_COLUMNS < x1 ? x + PATCH_COLUMNS : x1;
        fill_patch(patch, cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], reader);
        patch_push(patch, lo, hi, cells, &result, flags);
    }
    return result;
}

// The push of one creature box [c_lo, c_hi] (x and y) on the query box.
static Vec4 creature_push(float cx0, float cy0, float cx1, float cy1, const Vec4& lo, const Vec4& hi)
{
    Vec4 v = {cx1 - lo.x, cy1 - lo.y, hi.x - cx0, hi.y - cy0};
    if (v.x < 0 || v.y < 0 || v.z < 0 || v.w < 0)
        return {0, 0, 0, 0};
    return filter_push(v, lo, hi);
}

Vec4 box_vs_enemies(const void* self, const Vec4& lo, const Vec4& hi)
{
    Vec4 result = {0, 0, 0, 0};
    const int n = enemy_count();
    Enemy* robots = n > 0 ? &enemy(0) : nullptr; // the list is one array
    for (int i = 0; i < n; ++i) {
        Enemy& e = robots[i];
        if (&e == self)
            continue;
        const Vec4& p = e.position;
        Vec4 v = creature_push(
            p.x + ENEMY_BOX_LO.x, p.y + ENEMY_BOX_LO.y, p.x + ENEMY_BOX_HI.x, p.y + ENEMY_BOX_HI.y, lo, hi);
        if (!any_positive(v))
            continue;
        result = vec_max(result, v);
    }
    return result;
}

// Narrows [*enter, *leave] to the parameters t at which a + t d lies inside
// (lo, hi) on one axis; false when no t of it does. Open bounds: a box that
// only touches another is not inside it.
static bool clip_to_slab(float a, float d, float lo, float hi, float* enter, float* leave)
{
    if (d == 0)
        return a > lo && a < hi;
    float t0 = (lo - a) / d, t1 = (hi - a) / d;
    if (t0 > t1) {
        float t = t0;
        t0 = t1;
        t1 = t;
    }
    *enter = larger(*enter, t0);
    *leave = t1 < *leave ? t1 : *leave;
    return *enter < *leave;
}

Enemy* sweep_vs_enemies(const void* self, const Vec4& from, const Vec4& to, float reach)
{
    const float dx = to.x - from.x, dy = to.y - from.y;
    Enemy* first = nullptr;
    float first_enter = 0;
    const int n = enemy_count();
    Enemy* robots = n > 0 ? &enemy(0) : nullptr;
    for (int i = 0; i < n; ++i) {
        Enemy& e = robots[i];
        if (&e == self)
            continue;
        // The moving box meets the robot's box where its centre is inside the
        // robot's box grown by the reach.
        const Vec4& p = e.position;
        float enter = 0, leave = 1;
        if (!clip_to_slab(
                from.x, dx, p.x + ENEMY_BOX_LO.x - reach, p.x + ENEMY_BOX_HI.x + reach, &enter, &leave)
            || !clip_to_slab(
                from.y, dy, p.y + ENEMY_BOX_LO.y - reach, p.y + ENEMY_BOX_HI.y + reach, &enter, &leave))
            continue;
        if (!first || enter < first_enter) {
            first = &e;
            first_enter = enter;
        }
    }
    return first;
}

Vec4 box_vs_hero(const void* self, const Vec4& lo, const Vec4& hi)
{
    const Hero& h = hero();
    if (self == &h || h.health <= 0)
        return {0, 0, 0, 0};
    const Vec4& p = h.position;
    return creature_push(
        p.x + HERO_BOX_LO.x, p.y + HERO_BOX_LO.y, p.x + HERO_BOX_HI.x, p.y + HERO_BOX_HI.y, lo, hi);
}

static Vec4 add(const Vec4& a, const Vec4& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}

static float clampf(float v, float lo, float hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

// Every component of v into [min(a, b), max(a', b)], a' = a lifted by `lift` in y.
static Vec4 clamp_between(const Vec4& v, const Vec4& a, const Vec4& b, float lift)
{
    return {clampf(v.x, fminf(a.x, b.x), fmaxf(a.x, b.x)),
        clampf(v.y, fminf(a.y, b.y), fmaxf(a.y + lift, b.y)), clampf(v.z, fminf(a.z, b.z), fmaxf(a.z, b.z)),
        clampf(v.w, fminf(a.w, b.w), fmaxf(a.w, b.w))};
}

// The three queries on one box with their touch flags: the voxels' push in
// *world (from the move's patch when it holds the box), the larger of the
// creatures' pushes in *creatures.
static void test_box(const void* self, const GridPatch* patch, const Vec4& lo, const Vec4& hi,
    uint32_t& flags, Vec4* world, Vec4* creatures)
{
    int cells[6];
    if (patch && box_cells(lo, hi, cells) && patch_holds(*patch, cells)) {
        *world = {0, 0, 0, 0};
        patch_push(*patch, lo, hi, cells, world, flags);
    } else {
        *world = box_vs_world(lo, hi, flags);
    }
    Vec4 e = box_vs_enemies(self, lo, hi);
    Vec4 h = box_vs_hero(self, lo, hi);
    if (any_positive(e))
        flags |= TOUCH_ENEMY;
    if (any_positive(h))
        flags |= TOUCH_HERO;
    *creatures = vec_max(e, h);
}

// Fills the patch of every box a move from start towards target can test
// (with this step or none) and returns it; null when that is too wide for
// one patch or holds no cell.
static const GridPatch* fill_move_patch(GridPatch& patch, const Vec4& start, const Vec4& target,
    const Vec4& lo_offset, const Vec4& hi_offset, float step)
{
    Vec4 lo = {fminf(start.x, target.x) + lo_offset.x, fminf(start.y, target.y) + lo_offset.y,
        start.z + lo_offset.z, 1};
    Vec4 hi = {fmaxf(start.x, target.x) + hi_offset.x, fmaxf(start.y + step, target.y) + hi_offset.y,
        start.z + hi_offset.z, 1};
    int cells[6];
    if (!box_cells(lo, hi, cells) || cells[1] - cells[0] > PATCH_COLUMNS)
        return nullptr;
    fill_patch(patch, cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], GAME_READER);
    return &patch;
}

// move_and_collide with the voxels of the move's patch (or the grid's when null).
static uint32_t move_in(Vec4& position, const void* self, const Vec4& target, const Vec4& lo_offset,
    const Vec4& hi_offset, float step, const GridPatch* voxels)
{
    uint32_t flags = 0;
    Vec4 world, creatures;

    const Vec4 start = position;
    Vec4 q = {target.x, start.y, start.z, start.w};
    Vec4 lo = add(q, lo_offset), hi = add(q, hi_offset);
    lo.y += step;
    test_box(self, voxels, lo, hi, flags, &world, &creatures);
    Vec4 p = world.x > 0 || world.z > 0 ? world : creatures;
    q.x += p.x - p.z;
    q = clamp_between(q, start, target, 0);
    if (p.x > 0)
        flags |= HIT_LEFT;
    if (p.z > 0)
        flags |= HIT_RIGHT;
    position = q;

    const Vec4 mid = position;
    Vec4 r = {mid.x, target.y, mid.z, mid.w};
    test_box(self, voxels, add(r, lo_offset), add(r, hi_offset), flags, &world, &creatures);
    p = world.y > 0 || world.w > 0 ? world : creatures;
    r.y += p.y - p.w;
    r = clamp_between(r, mid, target, step);
    if (p.y > 0)
        flags |= ON_GROUND;
    if (p.w > 0)
        flags |= HIT_CEILING;
    position = r;

    if (step > 0) {
        test_box(self, voxels, add(position, lo_offset), add(position, hi_offset), flags, &world, &creatures);
        if (any_positive(vec_max(world, creatures)))
            flags |= HIT_CEILING;
    }
    return flags;
}

uint32_t move_and_collide(Vec4& position, const void* self, const Vec4& target, const Vec4& lo_offset,
    const Vec4& hi_offset, float step)
{
    GridPatch patch;
    const GridPatch* voxels = fill_move_patch(patch, position, target, lo_offset, hi_offset, step);
    return move_in(position, self, target, lo_offset, hi_offset, step, voxels);
}

uint32_t move_with_step(Vec4& position, const void* self, const Vec4& target, const Vec4& lo_offset,
    const Vec4& hi_offset, float step)
{
    const Vec4 start = position;
    GridPatch patch;
    const GridPatch* voxels = fill_move_patch(patch, start, target, lo_offset, hi_offset, step);
    uint32_t flags = move_in(position, self, target, lo_offset, hi_offset, step, voxels);
    if (!(flags & HIT_CEILING))
        return flags;
    position = start;
    return move_in(position, self, target, lo_offset, hi_offset, 0, voxels);
}

// Per-axis state of the segment walk.
struct SegmentAxis {
    int cell, end, step; // current cell, the cell that ends the walk, +1 or -1
    float next, delta;   // parameter of the next crossing, parameter per cell
};

static const float TINY_DIRECTION = 0x1p-23f;
static const float NO_CROSSING = 1.0e30f;

// The parameter at which the segment a + t d enters [0, size) on one axis;
// false when it never does.
static bool entry_parameter(float a, float d, int size, float* t)
{
    if (fabsf(d) <= TINY_DIRECTION) {
        *t = 0;
        return a >= 0 && a < size;
    }
    *t = d > 0 ? (0 - a) / d : (size - a) / d;
    return true;
}

static void start_axis(float a, float b, float d, float t0, int size, SegmentAxis* axis)
{
    float at = a + t0 * d;
    axis->cell = static_cast<int>(floorf(at));
    bool tiny = fabsf(d) <= TINY_DIRECTION;
    axis->delta = tiny ? NO_CROSSING : 1.0f / fabsf(d);
    if (d >= 0 || tiny) {
        axis->step = 1;
        axis->end = static_cast<int>(fminf(b + 1, static_cast<float>(size)));
        axis->next = tiny ? NO_CROSSING : t0 + ((axis->cell + 1) - at) * axis->delta;
    } else {
        axis->step = -1;
        axis->end = static_cast<int>(fmaxf(b - 1, -1.0f));
        axis->next = t0 + (at - axis->cell) * axis->delta;
    }
}

static bool solid_near(int cx, int cy, int cz, int rx, int ry, int rz)
{
    const uint8_t* grid = level_grid();
    for (int z = cz - rz; z <= cz + rz; ++z) {
        if (z < 0 || z >= LEVEL_SIZE_Z)
            continue;
        for (int y = cy - ry; y <= cy + ry; ++y) {
            if (y < 0 || y >= LEVEL_SIZE_Y)
                continue;
            for (int x = cx - rx; x <= cx + rx; ++x)
                if (x >= 0 && x < LEVEL_SIZE_X && grid[level_voxel_index(x, y, z)])
                    return true;
        }
    }
    return false;
}

// Whether the walk has passed the end of an axis (a start beyond the grid
// in the walking direction never comes back to it).
static bool past_end(const SegmentAxis& a)
{
    return a.step > 0 ? a.cell >= a.end : a.cell <= a.end;
}

bool segment_vs_world(int radius, const Vec4& a, const Vec4& b, Vec4* hit_point, int hit_cell[3])
{
    const float d[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
    const float pa[3] = {a.x, a.y, a.z}, pb[3] = {b.x, b.y, b.z};
    const int sizes[3] = {LEVEL_SIZE_X, LEVEL_SIZE_Y, LEVEL_SIZE_Z};
    bool sideways = fabsf(d[1]) < fabsf(d[0]);
    int rx = sideways ? 0 : radius, ry = sideways ? radius : 0, rz = radius;

    float t0 = 0;
    for (int i = 0; i < 3; ++i) {
        float t;
        if (!entry_parameter(pa[i], d[i], sizes[i], &t))
            return false;
        t0 = fmaxf(t0, t);
    }
    if (t0 >= 1)
        return false;

    SegmentAxis axes[3];
    for (int i = 0; i < 3; ++i) {
        start_axis(pa[i], pb[i], d[i], t0, sizes[i], &axes[i]);
        if (past_end(axes[i]))
            return false;
    }
    float t = t0;
    for (;;) {
        if (solid_near(axes[0].cell, axes[1].cell, axes[2].cell, rx, ry, rz)) {
            *hit_point = {a.x + t * d[0], a.y + t * d[1], a.z + t * d[2], 1};
            for (int i = 0; i < 3; ++i)
                hit_cell[i] = axes[i].cell;
            return true;
        }
        int i = axes[1].next <= axes[0].next ? 1 : 0;
        if (axes[2].next <= fminf(axes[0].next, axes[1].next))
            i = 2;
        SegmentAxis& axis = axes[i];
        t = axis.next;
        axis.next += axis.delta;
        axis.cell += axis.step;
        if (axis.cell == axis.end)
            return false;
    }
}

bool clamp_to_grid(int& x0, int& y0, int& z0, int& x1, int& y1, int& z1)
{
    x0 = x0 > 0 ? x0 : 0;
    y0 = y0 > 0 ? y0 : 0;
    z0 = z0 > 0 ? z0 : 0;
    x1 = x1 < LEVEL_SIZE_X - 1 ? x1 : LEVEL_SIZE_X - 1;
    y1 = y1 < LEVEL_SIZE_Y - 1 ? y1 : LEVEL_SIZE_Y - 1;
    z1 = z1 < LEVEL_SIZE_Z - 1 ? z1 : LEVEL_SIZE_Z - 1;
    return x0 <= x1 && y0 <= y1 && z0 <= z1;
}

void fill_box(int x0, int y0, int z0, int x1, int y1, int z1, uint8_t value)
{
    if (!clamp_to_grid(x0, y0, z0, x1, y1, z1))
        return;
    uint8_t* grid = level_grid();
    for (int z = z0; z <= z1; ++z)
        for (int y = y0; y <= y1; ++y) {
            uint8_t* row = grid + level_voxel_index(0, y, z);
            for (int x = x0; x <= x1; ++x)
                if (row[x] < VOXEL_INDESTRUCTIBLE)
                    row[x] = value;
        }
}

void world_changed(int x0, int y0, int, int x1, int y1, int)
{
    voxel_cache_invalidate(x0, y0, x1, y1);
}

void punch_hole(int cell_x, int cell_y, const Shot& shot)
{
    int r = wall_radius();
    int z1 = HOLE_MIN_DEPTH + static_cast<int>(rng_next() & 3);
    emit_hole_debris(cell_x - r, cell_y - r, 0, cell_x + r, cell_y + r, z1, shot);
    fill_box(cell_x - r, cell_y - r + 1, 0, cell_x + r, cell_y + r - 1, z1, 0);
    fill_box(cell_x - r + 1, cell_y - r, 0, cell_x + r - 1, cell_y + r, z1, 0);
    world_changed(cell_x - r, cell_y - r, 0, cell_x + r, cell_y + r, z1);
    play_sound(SOUND_HOLE, screen_pan(static_cast<float>(cell_x)));
    count_hole();
}

Matrix facing_frame(bool facing_right, const Vec4& position)
{
    // Rows (cos a, 0, sin a), (0, 1, 0), (-sin a, 0, cos a) for a = +-90 degrees.
    float s = facing_right ? 1.0f : -1.0f;
    return {{{0, 0, s, 0}, {0, 1, 0, 0}, {-s, 0, 0, 0}, {position.x, position.y, position.z, 1}}};
}

float move_towards(float v, float goal, float max_change)
{
    if (v < goal)
        return v + max_change < goal ? v + max_change : goal;
    return v - max_change > goal ? v - max_change : goal;
}

Vec4 interpolate_position(const Vec4& previous, const Vec4& current, float t)
{
    float f = t * 20;
    const Vec4 &a = previous, &b = current;
    return {a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f, a.w + (b.w - a.w) * f};
}
