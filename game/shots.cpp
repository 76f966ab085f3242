// shots.cpp - shots and debris particles.
#include "shots.h"

#include <math.h>

#include "../core/random.h"
#include "../libs/inc/cont/zu_dynArray.h"
#include "../voxel/dynCubeRender.h"
#include "../voxel/levelGrid.h"
#include "enemies.h"
#include "runStats.h"
#include "world.h"

// How far a shot reaches around its centre in x and y when it meets robots.
static const float SHOT_REACH = 2;
static const int SHOT_DAMAGE = 1;
static const int SHOT_WALL_RADIUS = 2;
// Shots leaving this box are dropped.
static const Vec4 SHOT_BOUNDS_LO = {-300, -300, -40, 1};
static const Vec4 SHOT_BOUNDS_HI = {4396, 556, 60, 1};
static const float DEBRIS_GRAVITY = 500;
static const float HOLE_DEBRIS_DRAG = -0.3f; // share of the shot's velocity the debris keeps
enum { VOXELS_PER_HOLE_TRY = 8, SIXTEENTHS = 16, BURST_PIECES = 200 };
static const float BURST_HALF_DEPTH = 6;

static struct {
    DynArray<Shot> shots;    // emptied by clear_shots at every level start
    DynArray<Debris> debris; // emptied by clear_debris at every level start
} flying;

void fire_shot(uint32_t flags, const void* owner, const Vec4& position, const Vec4& velocity, uint32_t colour)
{
    Shot s = {position, velocity, colour, flags, owner};
    flying.shots.push(s);
}

// One step of a shot; false when the shot ends.
static bool step_shot(Shot& s, float dt)
{
    Vec4 to = {s.position.x + s.velocity.x * dt, s.position.y + s.velocity.y * dt,
        s.position.z + s.velocity.z * dt, s.position.w};
    if (s.flags & SHOT_HITS_ENEMIES) {
        // Robots come first: one behind the near side of a wall is still hit.
        if (Enemy* hit = sweep_vs_enemies(s.owner, s.position, to, SHOT_REACH)) {
            damage_enemy(*hit, SHOT_DAMAGE);
            count_hit();
            return false;
        }
    }
    Vec4 point;
    int cell[3];
    if (segment_vs_world(SHOT_WALL_RADIUS, s.position, to, &point, cell)) {
        punch_hole(cell[0], cell[1], s);
        return false;
    }
    s.position = to;
    const Vec4 &p = s.position, &lo = SHOT_BOUNDS_LO, &hi = SHOT_BOUNDS_HI;
    return p.x >= lo.x && p.x <= hi.x && p.y >= lo.y && p.y <= hi.y && p.z >= lo.z && p.z <= hi.z;
}

void update_shots(float seconds)
{
    for (int i = 0; i < flying.shots.size();) {
        if (step_shot(flying.shots[i], seconds))
            ++i;
        else
            flying.shots.remove_fast(i);
    }
}

static int sixteenths(float v)
{
    return static_cast<int>(lrintf(v * SIXTEENTHS));
}

void draw_shots(float t)
{
    set_cube_transform(MATRIX_IDENTITY);
    // Two crosses, four voxels in front of and behind the shot, each with a
    // fifth cube one voxel further towards the front.
    static const int CROSS[10][3] = {{16, 0, -64}, {-16, 0, -64}, {0, 16, -64}, {0, -16, -64}, {0, 0, -80},
        {16, 0, 64}, {-16, 0, 64}, {0, 16, 64}, {0, -16, 64}, {0, 0, 48}};
    for (const Shot& s : flying.shots) {
        int x = sixteenths(s.position.x + s.velocity.x * t), y = sixteenths(s.position.y + s.velocity.y * t),
            z = sixteenths(s.position.z + s.velocity.z * t);
        for (const auto& c : CROSS)
            emit_cube(x + c[0], y + c[1], z + c[2], s.colour);
    }
}

void emit_debris(const Vec4& position, const Vec4& velocity, uint32_t colour, float lifetime)
{
    Debris d = {position, velocity, colour, lifetime};
    flying.debris.push(d);
}

void emit_burst(const Vec4& position, float half_width, float height, uint32_t colour)
{
    const Vec4& p = position;
    for (int i = 0; i < BURST_PIECES; ++i) {
        float r[7];
        for (float& v : r)
            v = rng_float();
        emit_debris({p.x + (r[5] * 2 - 1) * half_width, p.y + r[4] * height,
                        p.z + (r[3] * 2 - 1) * BURST_HALF_DEPTH, p.w},
            {(r[2] * 2 - 1) * 70, r[1] * 150, (r[0] * 2 - 1) * 70, 0}, colour, 0.8f + r[6] * 0.4f);
    }
}

// One random cell of [lo, hi] (inclusive) on one axis.
static int random_in(int lo, int hi)
{
    return lo + static_cast<int>(rng_next() % static_cast<uint32_t>(hi - lo + 1));
}

void emit_hole_debris(int x0, int y0, int z0, int x1, int y1, int z1, const Shot& shot)
{
    // The number of tries comes from the box as asked for, also where it
    // reaches out of the grid.
    int tries = (x1 - x0 + 1) * (y1 - y0 + 1) * (z1 - z0 + 1) / VOXELS_PER_HOLE_TRY;
    if (!clamp_to_grid(x0, y0, z0, x1, y1, z1))
        return;
    const uint8_t* grid = level_grid();
    const uint32_t* palette = palette_colors();
    for (int i = 0; i < tries; ++i) {
        int x = random_in(x0, x1);
        int y = random_in(y0, y1);
        int z = random_in(z0, z1);
        uint8_t v = grid[level_voxel_index(x, y, z)];
        if (v == 0 || v >= VOXEL_INDESTRUCTIBLE)
            continue;
        float r1 = rng_float(), r2 = rng_float(), r3 = rng_float(), r4 = rng_float();
        const Vec4& sv = shot.velocity;
        Vec4 velocity = {HOLE_DEBRIS_DRAG * sv.x + (r3 * 2 - 1) * 30, HOLE_DEBRIS_DRAG * sv.y + r2 * 100,
            HOLE_DEBRIS_DRAG * sv.z + (r1 * 2 - 1) * 30, 0};
        emit_debris({static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), 1}, velocity,
            palette[v], 0.4f + 0.2f * r4);
    }
}

void update_debris(float seconds)
{
    for (int i = 0; i < flying.debris.size();) {
        Debris& d = flying.debris[i];
        d.position.x += d.velocity.x * seconds;
        d.position.y += d.velocity.y * seconds;
        d.position.z += d.velocity.z * seconds;
        d.velocity.y -= DEBRIS_GRAVITY * seconds;
        d.lifetime -= seconds;
        if (d.lifetime > 0)
            ++i;
        else
            flying.debris.remove_fast(i);
    }
}

void draw_debris(float t)
{
    set_cube_transform(MATRIX_IDENTITY);
    for (const Debris& d : flying.debris) {
        if (d.lifetime - t <= 0)
            continue;
        emit_cube(sixteenths(d.position.x + d.velocity.x * t), sixteenths(d.position.y + d.velocity.y * t),
            sixteenths(d.position.z + d.velocity.z * t), d.colour);
    }
}

void clear_shots()
{
    flying.shots.clear();
}

void clear_debris()
{
    flying.debris.clear();
}

void free_shots_and_debris()
{
    flying.shots.free_all();
    flying.debris.free_all();
}

int shot_count()
{
    return flying.shots.size();
}

const Shot& shot(int index)
{
    ASSERT(index >= 0 && index < flying.shots.size());
    return flying.shots[index];
}

int debris_count()
{
    return flying.debris.size();
}

const Debris& debris(int index)
{
    ASSERT(index >= 0 && index < flying.debris.size());
    return flying.debris[index];
}
