// shots.cpp - shots and debris particles.
#include "shots.h"

void clear_shots()
{
    // Nothing fires yet, so there are no shots to drop.
}

void clear_debris()
{
    // Nothing breaks yet, so there is no debris to drop.
}

void update_shots(float)
{
}

void update_debris(float)
{
}

void draw_shots(float)
{
}

void draw_debris(float)
{
}
