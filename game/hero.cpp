// hero.cpp - the player's hero.
#include "hero.h"

static struct {
    int health;     // reset by new_game through the health upgrade
    float fireRate; // reset by new_game through the fire-rate upgrade
} hero;

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
