// hero.cpp - the player's hero, the camera that follows it and the row of hearts.
#include "hero.h"

#include <math.h>

#include "../core/display.h"
#include "../core/input.h"
#include "../core/log.h"
#include "../kiln/debugVis.h"
#include "../sound/sound.h"
#include "../voxel/dynCubeRender.h"
#include "../voxel/loadSprite.h"
#include "gameMode.h"
#include "runStats.h"
#include "scene.h"
#include "shots.h"
#include "updateInput.h"
#include "world.h"

// Height of the camera centre above the hero's feet.
static const float CAMERA_HEIGHT = 9.0f;
// The hero walks at this depth, in the middle of the colliding layers.
static const float HERO_DEPTH = 8.0f;
static const float GRAVITY = 500;
static const float RUN_SPEED = 100;
static const float ACCELERATION = 1500;
static const float JUMP_IMPULSE = 195;
static const float MAX_VERTICAL_SPEED = 300;
static const float STEP_HEIGHT = 4;
static const float FALL_OUT_DEPTH = -400;
static const float INVULNERABILITY = 1;
static const float EXIT_TIME = 0.5f;
static const float LANDING_SPEED = 120; // landing faster than this is heard: a jump, not a step down
static const float SHOT_SPEED = 200;
static const float SHOT_START = 4; // voxels along the aim from the shoulder
static const uint32_t SHOT_COLOUR = 0xff14ff14;
static const uint32_t BURST_COLOUR = 0xff422b9f;
static const float LEG_PHASE_PER_VOXEL = 0.35f;
static const float MIN_AIM_DISTANCE = 0.5f;
static const float CAMERA_HERO_WEIGHT = 0.7f;
static const float CAMERA_SPEED = 300;
static const int SPRITE_OFFSET[3] = {-8, 0, -7};
static const uint32_t DEBUG_COLOUR = 0xff00ff00;
static const float DEBUG_AIM_MARKER = 2;
static const float STICK_AIM_RADIUS = 40; // voxels from the shoulder to a pad's aim

enum { KEY_A = 'A', KEY_D = 'D', KEY_W = 'W' };

enum HeroSprite { SPRITE_BODY, SPRITE_ARM, SPRITE_LEGS0, SPRITE_LEGS2, SPRITE_HEART, HERO_SPRITES };
static const char* const SPRITE_FILES[HERO_SPRITES]
    = {"hero_body.png", "hero_arm.png", "hero_legs0.png", "hero_legs2.png", "heart.png"};

static struct {
    Hero hero;                          // placed by place_hero at every level start; health by new_game
    CameraFocus camera;                 // snapped by place_hero, stepped by every update
    float fireRate = 10;                // reset by new_game through the fire-rate upgrade
    VoxelSprite* sprites[HERO_SPRITES]; // from load_hero_sprites to free_hero_sprites
} player;

void load_hero_sprites()
{
    bool ok = true;
    for (int i = 0; i < HERO_SPRITES; ++i) {
        player.sprites[i] = load_voxel_sprite(SPRITE_FILES[i]);
        ok = ok && player.sprites[i];
    }
    if (!ok)
        fatal_error("can't load hero voxel sprites");
}

void free_hero_sprites()
{
    for (VoxelSprite*& s : player.sprites) {
        voxel_sprite_free(s);
        s = nullptr;
    }
}

const Hero& hero()
{
    return player.hero;
}

void place_hero(float x, float y)
{
    Hero& h = player.hero;
    h.position = {x, y, HERO_DEPTH, 1};
    h.previousPosition = h.position;
    h.body = facing_frame(true, h.position);
    h.facingRight = true;
    h.onGround = false;
    h.hurt = h.shotOwed = false;
    h.velocityX = h.velocityY = 0;
    h.legPhase = h.fireCooldown = h.invulnerable = h.exitTime = 0;
    player.camera.current = {x, y + CAMERA_HEIGHT, 0, 1};
    player.camera.previous = player.camera.current;
    set_view_centre(player.camera.current);
}

void reset_hero_aim()
{
    player.hero.aimDirection = {1, 0, 0, 0};
    player.hero.aimPoint = {0, 0, 0, 0};
}

Vec4 hero_position()
{
    return player.hero.position;
}

Vec4 hero_previous_position()
{
    return player.hero.previousPosition;
}

Vec4 hero_draw_position(float t)
{
    return interpolate_position(player.hero.previousPosition, player.hero.position, t);
}

const CameraFocus& camera_focus()
{
    return player.camera;
}

void set_camera_focus(Vec4 focus)
{
    player.camera.previous = player.camera.current;
    player.camera.current = focus;
}

int hero_health()
{
    return player.hero.health;
}

void set_hero_health(int health)
{
    player.hero.health = health;
}

void hurt_hero()
{
    player.hero.hurt = true;
}

float fire_rate()
{
    return player.fireRate;
}

void set_fire_rate(float rate)
{
    player.fireRate = rate;
}

Vec4 aim_point()
{
    float mx, my;
    mouse_pos(&mx, &my);
    float w = static_cast<float>(screen_width()), h = static_cast<float>(screen_height());
    Vec4 ndc = {(2 * mx - w) / w, (2 * (h - 1 - my) - h) / h, 0, 1};
    Matrix inverse;
    // Before the first update there is no view to look through.
    if (!invert_matrix(update_view_projection(), &inverse))
        return player.hero.aimPoint;
    Vec4 p = transform(ndc, inverse);
    if (p.w == 0)
        return player.hero.aimPoint;
    Vec4 eye = update_eye();
    Vec4 ray = {p.x / p.w - eye.x, p.y / p.w - eye.y, p.z / p.w - eye.z, 0};
    if (ray.z == 0)
        return player.hero.aimPoint;
    float s = (player.hero.position.z - eye.z) / ray.z;
    return {eye.x + s * ray.x, eye.y + s * ray.y, player.hero.position.z, 1};
}

Vec4 stick_aim_point(const Vec4& position, float dx, float dy)
{
    float shoulderY = position.y + player.hero.shoulderPivot.y;
    return {position.x + STICK_AIM_RADIUS * dx, shoulderY + STICK_AIM_RADIUS * dy, position.z, 1};
}

static void camera_step(float seconds)
{
    CameraFocus& c = player.camera;
    c.previous = c.current;
    const Vec4 &p = player.hero.position, &a = player.hero.aimPoint;
    const float k = CAMERA_HERO_WEIGHT, l = 1 - CAMERA_HERO_WEIGHT;
    Vec4 goal = {k * p.x + l * a.x, k * (p.y + CAMERA_HEIGHT) + l * a.y, 0, k + l * a.w};
    float dx = goal.x - c.current.x, dy = goal.y - c.current.y, dz = goal.z - c.current.z,
          dw = goal.w - c.current.w;
    float distance = sqrtf(dx * dx + dy * dy + dz * dz + dw * dw);
    float limit = CAMERA_SPEED * seconds;
    if (distance <= limit) {
        c.current = goal;
        return;
    }
    float f = limit / distance;
    c.current = {c.current.x + dx * f, c.current.y + dy * f, c.current.z + dz * f, c.current.w + dw * f};
}

void set_hero_position(const Vec4& position, float seconds)
{
    player.hero.previousPosition = player.hero.position;
    player.hero.position = position;
    player.hero.aimPoint = input_aim_point(position.z);
    camera_step(seconds);
}

// The damage of a robot's touch; the last point lost makes the hero burst.
static void take_hit()
{
    Hero& h = player.hero;
    if (!h.hurt || h.invulnerable > 0 || h.health <= 0)
        return;
    h.health -= 1;
    count_hearts_lost(1);
    h.invulnerable = INVULNERABILITY;
    float pan = screen_pan(h.position.x);
    if (h.health > 0) {
        play_sound(SOUND_HERO_HURT, pan);
        return;
    }
    emit_burst(h.position, -HERO_BOX_LO.x, HERO_BOX_HI.y, BURST_COLOUR);
    play_sound(SOUND_HERO_DEATH, pan);
}

static void step_legs(float start_x, int direction)
{
    Hero& h = player.hero;
    float s = h.onGround ? (h.position.x - start_x) * LEG_PHASE_PER_VOXEL : 0;
    // Walking backwards runs the legs backwards.
    h.legPhase += h.facingRight ? s : -s;
    h.legPhase = fmodf(h.legPhase, 8);
    if (h.legPhase < 0)
        h.legPhase += 8;
    if (direction == 0)
        h.legPhase = h.legPhase >= 2 && h.legPhase < 6 ? 4 : 0;
}

static void aim_and_fire(float dt)
{
    Hero& h = player.hero;
    h.aimPoint = input_aim_point(h.position.z);
    Vec4 shoulder = transform(h.shoulderPivot, h.body);
    Vec4 v = {h.aimPoint.x - shoulder.x, h.aimPoint.y - shoulder.y, h.aimPoint.z - shoulder.z, 0};
    float length = sqrtf(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length >= MIN_AIM_DISTANCE) {
        h.aimDirection = {v.x / length, v.y / length, v.z / length, 0};
        h.facingRight = h.aimDirection.x > 0;
    }

    h.fireCooldown = fmaxf(0, h.fireCooldown - dt);
    if (h.health < 0 || level_complete()) {
        h.shotOwed = false;
        return;
    }
    bool trigger = h.shotOwed || input_down(VK_LBUTTON) || input_down(VK_RBUTTON);
    if (h.fireCooldown != 0 || !trigger)
        return;
    h.shotOwed = false;
    const Vec4& d = h.aimDirection;
    fire_shot(SHOT_HITS_ENEMIES, &player.hero,
        {shoulder.x + SHOT_START * d.x, shoulder.y + SHOT_START * d.y, shoulder.z + SHOT_START * d.z, 1},
        {SHOT_SPEED * d.x, SHOT_SPEED * d.y, SHOT_SPEED * d.z, 0}, SHOT_COLOUR);
    play_sound(SOUND_SHOT, screen_pan(shoulder.x));
    count_shot_fired();
    h.fireCooldown = 1 / player.fireRate;
}

uint32_t hero_motion_step(HeroMotion& m, int direction, bool jump, float dt)
{
    m.velocityY -= GRAVITY * dt;
    m.velocityX = move_towards(m.velocityX, direction * RUN_SPEED, ACCELERATION * dt);
    if (m.onGround && jump)
        m.velocityY += JUMP_IMPULSE;
    m.velocityY = fmaxf(-MAX_VERTICAL_SPEED, fminf(MAX_VERTICAL_SPEED, m.velocityY));

    const Vec4 start = m.position;
    Vec4 target = {start.x + m.velocityX * dt, start.y + m.velocityY * dt, start.z, start.w};
    uint32_t flags = move_with_step(m.position, &player.hero, target, HERO_BOX_LO, HERO_BOX_HI, STEP_HEIGHT);
    m.stepVelocityY = m.velocityY;
    if (flags & (HIT_LEFT | HIT_RIGHT))
        m.velocityX = 0;
    if (flags & (ON_GROUND | HIT_CEILING))
        m.velocityY = 0;
    m.onGround = (flags & ON_GROUND) != 0;
    return flags;
}

static void hero_half_step(float dt)
{
    Hero& h = player.hero;
    if (h.health < 1)
        return;
    int direction = 0;
    bool jump = false;
    if (!level_complete()) {
        if (input_down(KEY_A) || input_down(VK_LEFT))
            direction = -1;
        if (input_down(KEY_D) || input_down(VK_RIGHT))
            direction += 1;
        jump = input_pressed(KEY_W) || input_pressed(VK_UP) || input_pressed(VK_SPACE);
    }
    const Vec4 start = h.position;
    HeroMotion m = {h.position, h.velocityX, h.velocityY, h.onGround, 0};
    bool wasOnGround = h.onGround;
    uint32_t flags = hero_motion_step(m, direction, jump, dt);
    h.position = m.position;
    h.velocityX = m.velocityX;
    h.velocityY = m.velocityY;
    h.onGround = m.onGround;
    // The touch is taken after the move; the burst needs only the position.
    if (flags & TOUCH_ENEMY)
        h.hurt = true;
    take_hit();
    if (!wasOnGround && (flags & ON_GROUND) && m.stepVelocityY < -LANDING_SPEED)
        play_sound(SOUND_LANDING, screen_pan(h.position.x));

    if ((flags & ON_GROUND) && (flags & TOUCH_EXIT)) {
        h.exitTime += dt;
        if (h.exitTime >= EXIT_TIME && !level_complete()) {
            set_level_complete(true);
            play_sound(SOUND_EXIT);
        }
    } else {
        h.exitTime = 0;
    }
    // Falling out of the world ends the game without a burst.
    if (h.position.y < FALL_OUT_DEPTH) {
        count_hearts_lost(h.health > 0 ? h.health : 0);
        h.health = 0;
    }

    step_legs(start.x, direction);
    h.body = facing_frame(h.facingRight, h.position);
    aim_and_fire(dt);
    h.invulnerable = fmaxf(0, h.invulnerable - dt);
    h.hurt = false;
}

void update_hero(float seconds)
{
    player.hero.previousPosition = player.hero.position;
    // A click that went down and up between two updates is not held now:
    // it is owed one shot, at the gun's own pace.
    if (input_pressed(VK_LBUTTON) || input_pressed(VK_RBUTTON))
        player.hero.shotOwed = true;
    hero_half_step(seconds / 2);
    hero_half_step(seconds / 2);
    camera_step(seconds);
}

// The arm's frame inside the body frame: turned about the body's x axis so
// that its z axis points against the aim, with the shoulder pivot in place.
static Matrix arm_frame()
{
    const Hero& h = player.hero;
    Matrix inverse;
    if (!invert_matrix(h.body, &inverse))
        return MATRIX_IDENTITY;
    const Vec4& a = h.aimDirection;
    Vec4 e = transform({-a.x, -a.y, -a.z, 0}, inverse);
    const Vec4& p = h.shoulderPivot;
    Vec4 r2 = {0, e.z, -e.y, 0}; // e x (1, 0, 0)
    return {{{1, 0, 0, 0}, {r2.x, r2.y, r2.z, 0}, {e.x, e.y, e.z, 0},
        {p.x - (p.x + p.y * r2.x + p.z * e.x), p.y - (p.y * r2.y + p.z * e.y), p.z - (p.y * r2.z + p.z * e.z),
            1}}};
}

static void draw_sprite(HeroSprite sprite, bool mirror)
{
    voxel_sprite_draw(player.sprites[sprite], SPRITE_OFFSET[0], SPRITE_OFFSET[1], SPRITE_OFFSET[2], mirror);
}

static void draw_body(float t)
{
    const Hero& h = player.hero;
    Matrix frame = h.body;
    Vec4 ip = hero_draw_position(t);
    frame.m[3][0] = ip.x;
    frame.m[3][1] = ip.y;
    frame.m[3][2] = ip.z;
    set_cube_transform(frame);
    draw_sprite(SPRITE_BODY, false);
    int quarter = static_cast<int>(h.legPhase / 2);
    draw_sprite(quarter % 2 ? SPRITE_LEGS2 : SPRITE_LEGS0, quarter >= 2);

    Matrix arm;
    multiply_matrices(arm_frame(), frame, &arm);
    set_cube_transform(arm);
    draw_sprite(SPRITE_ARM, false);
    draw_sprite(SPRITE_ARM, true);
}

// One heart per health point along the top left of the view, at half size,
// on whole screen pixels.
static void draw_hearts()
{
    float cx, cy;
    view_centre(&cx, &cy);
    float s = static_cast<float>(pixel_scale());
    Matrix frame = {{{0.5f, 0, 0, 0}, {0, 0.5f, 0, 0}, {0, 0, 0.5f, 0},
        {nearbyintf(cx * s) / s, nearbyintf(cy * s) / s, 0, 1}}};
    set_cube_transform(frame);
    for (int i = 0; i < player.hero.health; ++i)
        voxel_sprite_draw(player.sprites[SPRITE_HEART], -160 + 16 * i, 104, -4, false);
}

void draw_hero(float t)
{
    const Hero& h = player.hero;
    if (h.health < 1)
        return;
    float r = h.invulnerable - t;
    bool blink = r > 0 && fmodf(r * 10, 1) < 0.5f;
    if (!blink)
        draw_body(t);
    draw_hearts();
}

void draw_hero_debug(float t)
{
    Vec4 ip = hero_draw_position(t);
    debug_vis_box({ip.x + HERO_BOX_LO.x, ip.y + HERO_BOX_LO.y, ip.z + HERO_BOX_LO.z, 1},
        {ip.x + HERO_BOX_HI.x, ip.y + HERO_BOX_HI.y, ip.z + HERO_BOX_HI.z, 1}, DEBUG_COLOUR);
    debug_vis_cross(player.hero.aimPoint, DEBUG_AIM_MARKER, DEBUG_COLOUR);
}
