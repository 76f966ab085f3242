// enemies.cpp - the robots of the level.
#include "enemies.h"

void clear_enemies()
{
    // No robots are spawned yet, so the list is always empty.
}

void update_enemies(float)
{
    // No robots are spawned yet.
}
