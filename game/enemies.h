// enemies.h - the robots of the level.
//
// A robot sleeps until it first shows in a frame or is shot; then it walks at
// a steady pace, turns back when it walks into something, falls off ledges
// and hurts the hero by touching it. One hit kills it.
#pragma once

#include <stdint.h>

#include "../libs/inc/cont/zu_dynArray.h"
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

// A robot's collision box, as offsets from its position; the hero and shots
// meet the same box.
constexpr Vec4 ENEMY_BOX_LO = {-6, 0, -6, 0}, ENEMY_BOX_HI = {6, 14, 6, 0};

// Loads the robot's sprite "robot1.png"; fatal when it can't be loaded.
void load_enemy_sprites();
// Releases the sprite and the robot list's storage (game shutdown), dropping
// the sightings frames noted in it.
void free_enemies();

// Appends a new, dormant robot standing at (x, y) at depth 8, facing left.
void add_enemy(float x, float y);
// Empties the robot list (a new level starts without robots) and drops the
// sightings frames noted in it.
void clear_enemies();

int enemy_count();
Enemy& enemy(int index);

// Walks and turns the awake robots, removes the dead; first in every world step.
void update_enemies(float seconds);
// Takes `amount` of a robot's health and wakes it; a robot that runs out
// bursts into debris and is removed by the next update_enemies.
void damage_enemy(Enemy& robot, int amount);
// Draws the robots within the last draw_world's visible window; t = time
// since the last update. A dormant robot drawn is noted as seen, and the next
// update wakes it through its input (see updateInput.h).
void draw_enemies(float t);
// Appends the dormant robots that a frame t seconds after the update would
// show within the window (x0, y0, x1, y1, see world_window): the robots
// drawing would note, without drawing.
void sight_robots(const int window[4], float t, DynArray<uint16_t>* seen);
// Wakes the robots at these list indices; false, waking none, when an index
// lies beyond the list.
bool wake_robots(const DynArray<uint16_t>& indices);
// Every robot's collision box in red (F4), between debug_vis_begin and debug_vis_end.
void draw_enemies_debug(float t);
