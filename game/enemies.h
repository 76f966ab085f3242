// enemies.h - the robots of the level.
#pragma once

#include <stdint.h>

#include "../libs/inc/misc/zu_vecmath.h"

struct Enemy {
    Vec4 position;         // x the centre, y the feet, z = 8
    Vec4 previousPosition; // the position before the current update
    Matrix body;           // facing rotation about y, position as translation
    float velocityX;
    float velocityY;
    int32_t health;     // 1 for a new robot; removed after it drops below 1
    uint32_t lastFlags; // collision flags of the robot's last move
    bool facingRight;
    bool onGround;
    bool dormant; // asleep until first seen or shot
};

// Appends a new, dormant robot standing at (x, y) at depth 8, facing left.
void add_enemy(float x, float y);
// Empties the robot list (a new level starts without robots).
void clear_enemies();

int enemy_count();
Enemy& enemy(int index);

// Wakes, walks and turns the robots; part of every world step.
void update_enemies(float seconds);
// Draws the robots (waking those that come into view); t = time since the last update.
void draw_enemies(float t);
// Every robot's collision box (F4).
void draw_enemies_debug();
