// enemies.cpp - the robots of the level.
#include "enemies.h"

#include "../libs/inc/cont/zu_dynArray.h"

// Robots stand at this depth, like the hero.
static const float ENEMY_DEPTH = 8.0f;

static DynArray<Enemy> enemies; // filled by generation, emptied by clear_enemies

void add_enemy(float x, float y)
{
    Enemy e = {};
    e.position = {x, y, ENEMY_DEPTH, 1};
    e.previousPosition = e.position;
    e.body = MATRIX_IDENTITY;
    e.health = 1;
    e.facingRight = false;
    e.dormant = true;
    enemies.push(e);
}

void clear_enemies()
{
    enemies.clear();
}

int enemy_count()
{
    return enemies.size();
}

Enemy& enemy(int index)
{
    ASSERT(index >= 0 && index < enemies.size());
    return enemies[index];
}

void update_enemies(float)
{
    // Robots do not walk yet.
}

void draw_enemies(float)
{
    // The robots' sprite is not loaded yet.
}

void draw_enemies_debug()
{
}
