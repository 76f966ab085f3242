// random.cpp - the game's one random generator.
#include "random.h"

#include "../libs/inc/misc/zu_utils.h"

static uint64_t state; // seeded by app_main, advanced by every draw

void rng_seed(uint64_t seed)
{
    state = seed;
}

uint64_t rng_state()
{
    return state;
}

uint32_t rng_next()
{
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state >> 32);
}

float rng_float()
{
    // Draws close to 2^32 would round up to 1.0f; keep the result below 1.
    float f = static_cast<float>(static_cast<double>(rng_next()) * (1.0 / 4294967296.0));
    return f < 1.0f ? f : 0x1.fffffep-1f;
}

uint32_t rng_choice(uint32_t n)
{
    ASSERT(n > 0);
    return rng_next() % n;
}
