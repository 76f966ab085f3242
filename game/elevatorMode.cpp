// elevatorMode.cpp - ElevatorGameMode: the exit blocks rise as a cab and carry
// the hero up through the ceiling; at the top of the world the level counts
// as finished and the upgrade screen follows.
//
// On entry the cab (every exit voxel near the exit, through the whole depth)
// is cut out of the level as a sprite and the shaft above it is cleared. The
// cut-out cab stays where it stood in the grid; copies of the sprite fill the
// shaft between it and the rising top, on which the hero stands.
#include <algorithm>
#include <math.h>
#include <string.h>

#include "../sound/sound.h"
#include "../voxel/dynCubeRender.h"
#include "../voxel/levelGrid.h"
#include "../voxel/loadSprite.h"
#include "enemies.h"
#include "gameMode.h"
#include "hero.h"
#include "scene.h"
#include "shots.h"
#include "world.h"

enum {
    EXIT_DEPTH = 10,        // the depth searched for the exit
    EXIT_REACH = 32,        // how far around the found exit voxel the cab may extend
    CAB_FRONT = 1,          // the depths cut out as the cab
    CAB_BACK = 19,          //
    SHAFT_BACK = 15,        // the depths cleared above the cab
    SHAFT_REPORT_BACK = 17, // the depths reported as changed
    TOP = LEVEL_SIZE_Y - 1,
    TOP_SPEED = 10, // voxels per update
};

static struct {
    int minX, minY, maxX, maxY; // the cab's box, set by enter; maxY then rises as the cab's top
    int speed;                  // voxels risen in the next update: 1 after enter, up to TOP_SPEED
    VoxelSprite* cabSprite;     // cut out by enter, freed by leave (or the next enter)
} elevator;

// The exit voxel at EXIT_DEPTH farthest right, lowest in its column; x is -1
// when the level has none.
static void find_exit(int* x, int* y)
{
    const uint8_t* grid = level_grid();
    for (int ex = LEVEL_SIZE_X - 1; ex >= 0; --ex)
        for (int ey = 0; ey < LEVEL_SIZE_Y; ++ey)
            if (grid[level_voxel_index(ex, ey, EXIT_DEPTH)] >= VOXEL_EXIT) {
                *x = ex;
                *y = ey;
                return;
            }
    *x = *y = -1;
}

// The box of every exit voxel (any depth) within EXIT_REACH of (xe, ye).
static void bound_exit(int xe, int ye)
{
    int x0 = std::max(xe - EXIT_REACH, 0), x1 = std::min(xe + EXIT_REACH, LEVEL_SIZE_X - 1);
    int y0 = std::max(ye - EXIT_REACH, 0), y1 = std::min<int>(ye + EXIT_REACH, TOP);
    elevator.minX = x1;
    elevator.maxX = x0;
    elevator.minY = y1;
    elevator.maxY = y0;
    const uint8_t* grid = level_grid();
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            for (int z = 0; z < LEVEL_SIZE_Z; ++z) {
                if (grid[level_voxel_index(x, y, z)] < VOXEL_EXIT)
                    continue;
                elevator.minX = std::min(elevator.minX, x);
                elevator.maxX = std::max(elevator.maxX, x);
                elevator.minY = std::min(elevator.minY, y);
                elevator.maxY = std::max(elevator.maxY, y);
            }
}

// Everything above the cab, in front of the level's back wall, becomes empty.
static void clear_shaft()
{
    uint8_t* grid = level_grid();
    int width = elevator.maxX - elevator.minX + 1;
    for (int z = 0; z <= SHAFT_BACK; ++z)
        for (int y = elevator.maxY + 1; y <= TOP; ++y)
            memset(grid + level_voxel_index(elevator.minX, y, z), 0, static_cast<size_t>(width));
    world_changed(elevator.minX, elevator.maxY, 0, elevator.maxX, TOP, SHAFT_REPORT_BACK);
}

class ElevatorGameMode final : public GameMode {
public:
    void enter(GameMode*) override
    {
        clear_enemies();
        clear_shots();
        clear_debris();
        int xp, yp;
        find_exit(&xp, &yp);
        ASSERT(xp >= 0);
        bound_exit(xp, yp);
        voxel_sprite_free(elevator.cabSprite);
        elevator.cabSprite = voxel_sprite_from_grid(
            elevator.minX, elevator.minY, CAB_FRONT, elevator.maxX, elevator.maxY, CAB_BACK);
        clear_shaft();
        elevator.speed = 1;
        play_sound(SOUND_ELEVATOR);
    }

    void leave(GameMode*) override
    {
        stop_sound(SOUND_ELEVATOR);
        voxel_sprite_free(elevator.cabSprite);
        elevator.cabSprite = nullptr;
    }

    // The hero is put on the cab's top directly, without collision.
    void update(float seconds) override
    {
        if (elevator.maxY >= TOP) {
            advance_level();
            switch_mode(upgrade_mode());
            return;
        }
        elevator.maxY = std::min<int>(elevator.maxY + elevator.speed, TOP);
        Vec4 at = {(static_cast<float>(elevator.minX) + static_cast<float>(elevator.maxX)) * 0.5f,
            static_cast<float>(elevator.maxY), hero_position().z, 1};
        set_hero_position(at, seconds);
        if (elevator.speed < TOP_SPEED)
            ++elevator.speed;
    }

    // Copies of the cab stacked downwards from the hero's feet, as many as fit
    // above the cut-out cab.
    void render(float seconds) override
    {
        draw_world(seconds);
        begin_cubes();
        float heroY = hero_draw_position(seconds).y;
        Matrix frame = MATRIX_IDENTITY;
        frame.m[3][0] = static_cast<float>(elevator.minX);
        frame.m[3][1] = heroY;
        set_cube_transform(frame);
        const VoxelSprite* cab = elevator.cabSprite;
        int h = cab->ny;
        int d = static_cast<int>(lrintf(heroY - 0.49999988f - static_cast<float>(elevator.minY)));
        for (int k = 1; d >= h; ++k, d -= h)
            voxel_sprite_draw(cab, 0, -k * h, CAB_FRONT, false);
        end_cubes();
    }

    void render_overlay(float) override { }
    void resize() override { }
};

// The cab's sprite is cut from the grid, which the state hash covers.
uint64_t hash_elevator_state(uint64_t h)
{
    const int32_t cab[] = {elevator.minX, elevator.minY, elevator.maxX, elevator.maxY, elevator.speed};
    return hash_value(h, cab);
}

GameMode* elevator_mode()
{
    static ElevatorGameMode mode;
    return &mode;
}
