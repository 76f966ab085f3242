// hero.h - the player's hero: health, fire rate and its update.
#pragma once

// 4 in a new game; carried over from level to level.
int hero_health();
void set_hero_health(int health);

// Shots per second; 10 in a new game.
float fire_rate();
void set_fire_rate(float rate);

// The hero's two half-steps and the camera; part of every world step.
void update_hero(float seconds);
