// enemies.cpp - the robots of the level.
#include "enemies.h"

#include <math.h>

#include "../core/log.h"
#include "../kiln/debugVis.h"
#include "../libs/inc/cont/zu_dynArray.h"
#include "../sound/sound.h"
#include "../voxel/dynCubeRender.h"
#include "../voxel/loadSprite.h"
#include "hero.h"
#include "runStats.h"
#include "scene.h"
#include "shots.h"
#include "updateInput.h"
#include "world.h"

// Robots stand at this depth, like the hero.
static const float ENEMY_DEPTH = 8.0f;
static const float GRAVITY = 500;
static const float WALK_SPEED = 30;
static const float ACCELERATION = 1500;
static const float MAX_FALL_SPEED = 400;
static const float STEP_HEIGHT = 4;
static const float FALL_OUT_DEPTH = -400;
static const int SPRITE_OFFSET[3] = {-8, 0, -8};
static const uint32_t BURST_COLOUR = 0xffc8c8c8;
static const uint32_t DEBUG_COLOUR = 0xffff0000;

static struct {
    DynArray<Enemy> list; // filled by generation, emptied by clear_enemies, freed by free_enemies
    VoxelSprite* sprite;  // from load_enemy_sprites to free_enemies
} robots;

void load_enemy_sprites()
{
    robots.sprite = load_voxel_sprite("robot1.png");
    if (!robots.sprite)
        fatal_error("can't load enemy voxel sprites");
}

void free_enemies()
{
    voxel_sprite_free(robots.sprite);
    robots.sprite = nullptr;
    robots.list.free_all();
    forget_robot_sightings();
}

void add_enemy(float x, float y)
{
    Enemy e = {};
    e.position = {x, y, ENEMY_DEPTH, 1};
    e.previousPosition = e.position;
    e.body = MATRIX_IDENTITY;
    e.health = 1;
    e.facingRight = false;
    e.dormant = true;
    robots.list.push(e);
}

void clear_enemies()
{
    robots.list.clear();
    forget_robot_sightings();
}

int enemy_count()
{
    return robots.list.size();
}

Enemy& enemy(int index)
{
    ASSERT(index >= 0 && index < robots.list.size());
    return robots.list[index];
}

static void half_step(Enemy& e, float dt)
{
    if (e.dormant) {
        e.body = facing_frame(e.facingRight, e.position);
        return;
    }
    e.velocityY -= GRAVITY * dt;
    if (e.facingRight && (e.lastFlags & HIT_RIGHT))
        e.facingRight = false;
    else if (!e.facingRight && (e.lastFlags & HIT_LEFT))
        e.facingRight = true;
    e.velocityX = move_towards(e.velocityX, e.facingRight ? WALK_SPEED : -WALK_SPEED, ACCELERATION * dt);
    e.velocityY = fmaxf(-MAX_FALL_SPEED, fminf(MAX_FALL_SPEED, e.velocityY));

    const Vec4 start = e.position;
    Vec4 target = {start.x + e.velocityX * dt, start.y + e.velocityY * dt, start.z, start.w};
    uint32_t flags = move_with_step(e.position, &e, target, ENEMY_BOX_LO, ENEMY_BOX_HI, STEP_HEIGHT);
    if (flags & TOUCH_HERO)
        hurt_hero();
    if (flags & (HIT_LEFT | HIT_RIGHT))
        e.velocityX = 0;
    if (flags & (ON_GROUND | HIT_CEILING))
        e.velocityY = 0;
    e.onGround = (flags & ON_GROUND) != 0;
    e.lastFlags = flags;
    if (e.position.y < FALL_OUT_DEPTH)
        e.health = 0;
    e.body = facing_frame(e.facingRight, e.position);
}

void update_enemies(float seconds)
{
    for (int i = 0; i < robots.list.size();) {
        Enemy& e = robots.list[i];
        e.previousPosition = e.position;
        half_step(e, seconds / 2);
        half_step(e, seconds / 2);
        if (e.health < 1)
            robots.list.remove_fast(i);
        else
            ++i;
    }
}

void damage_enemy(Enemy& robot, int amount)
{
    robot.dormant = false;
    if (robot.health <= 0)
        return;
    robot.health -= amount;
    float pan = screen_pan(robot.position.x);
    play_sound(SOUND_ROBOT_HIT, pan);
    if (robot.health > 0)
        return;
    emit_burst(robot.position, -ENEMY_BOX_LO.x, ENEMY_BOX_HI.y, BURST_COLOUR);
    play_sound(SOUND_ROBOT_BURST, pan);
    count_robot_destroyed();
}

bool wake_robots(const DynArray<uint16_t>& indices)
{
    for (uint16_t i : indices)
        if (i >= robots.list.size())
            return false;
    for (uint16_t i : indices)
        robots.list[i].dormant = false;
    return true;
}

// Whether a frame t seconds after the update shows the robot within the
// window (x0, y0, x1, y1); ip becomes where it is drawn.
static bool in_window(const Enemy& e, float t, const int window[4], Vec4* ip)
{
    *ip = interpolate_position(e.previousPosition, e.position, t);
    long x = lrintf(ip->x), y = lrintf(ip->y);
    return x >= window[0] && x <= window[2] && y >= window[1] && y <= window[3];
}

void sight_robots(const int window[4], float t, DynArray<uint16_t>* seen)
{
    for (int i = 0; i < robots.list.size(); ++i) {
        Vec4 ip;
        if (robots.list[i].dormant && in_window(robots.list[i], t, window, &ip))
            seen->push(static_cast<uint16_t>(i));
    }
}

void draw_enemies(float t)
{
    int window[4];
    visible_window(&window[0], &window[1], &window[2], &window[3]);
    for (int i = 0; i < robots.list.size(); ++i) {
        const Enemy& e = robots.list[i];
        Vec4 ip;
        if (!in_window(e, t, window, &ip))
            continue;
        if (e.dormant)
            note_robot_seen(i);
        Matrix frame = e.body;
        frame.m[3][0] = ip.x;
        frame.m[3][1] = ip.y;
        frame.m[3][2] = ip.z;
        set_cube_transform(frame);
        voxel_sprite_draw(robots.sprite, SPRITE_OFFSET[0], SPRITE_OFFSET[1], SPRITE_OFFSET[2], false);
    }
}

void draw_enemies_debug(float t)
{
    for (const Enemy& e : robots.list) {
        Vec4 ip = interpolate_position(e.previousPosition, e.position, t);
        debug_vis_box({ip.x + ENEMY_BOX_LO.x, ip.y + ENEMY_BOX_LO.y, ip.z + ENEMY_BOX_LO.z, 1},
            {ip.x + ENEMY_BOX_HI.x, ip.y + ENEMY_BOX_HI.y, ip.z + ENEMY_BOX_HI.z, 1}, DEBUG_COLOUR);
    }
}
