// hero.cpp - the player's hero.
#include "hero.h"

#include "../voxel/scene.h"

// Height of the camera centre above the hero's feet.
static const float CAMERA_HEIGHT = 9.0f;
// The hero walks at this depth, in the middle of the colliding layers.
static const float HERO_DEPTH = 8.0f;

static struct {
    Vec4 position;         // set by place_hero; moved by the half-steps
    Vec4 previousPosition; // set by place_hero and at the start of each update
    float velocityX;       // the motion values are reset by place_hero
    float velocityY;
    float legPhase;
    float fireCooldown;
    float invulnerable;
    float exitTime;
    int health;     // reset by new_game through the health upgrade
    float fireRate; // reset by new_game through the fire-rate upgrade
    bool facingRight;
    bool onGround;
    bool hurt;
    CameraFocus camera; // snapped by place_hero
} hero;

void place_hero(float x, float y)
{
    hero.position = {x, y, HERO_DEPTH, 1};
    hero.previousPosition = hero.position;
    hero.facingRight = true;
    hero.onGround = false;
    hero.hurt = false;
    hero.velocityX = hero.velocityY = 0;
    hero.legPhase = hero.fireCooldown = hero.invulnerable = hero.exitTime = 0;
    hero.camera.current = {x, y + CAMERA_HEIGHT, 0, 1};
    hero.camera.previous = hero.camera.current;
    set_view_centre(hero.camera.current);
}

Vec4 hero_position()
{
    return hero.position;
}

Vec4 hero_previous_position()
{
    return hero.previousPosition;
}

const CameraFocus& camera_focus()
{
    return hero.camera;
}

void set_camera_focus(Vec4 focus)
{
    hero.camera.previous = hero.camera.current;
    hero.camera.current = focus;
}

int hero_health()
{
    return hero.health;
}

void set_hero_health(int health)
{
    hero.health = health;
}

float fire_rate()
{
    return hero.fireRate;
}

void set_fire_rate(float rate)
{
    hero.fireRate = rate;
}

void update_hero(float)
{
    // The hero does not move yet: there is no body to step.
}

void draw_hero(float)
{
    // The hero's sprites are not loaded yet.
}

void draw_hero_debug()
{
}
