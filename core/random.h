// random.h - the game's one random generator.
//
// A 64-bit linear congruential generator (multiplier 6364136223846793005,
// increment 1442695040888963407), seeded once at start-up from the counter.
// Every consumer draws in a fixed order, so one seed gives one game.
#pragma once

#include <stdint.h>

void rng_seed(uint64_t seed);
uint64_t rng_state();

// Advances the state and returns its upper 32 bits.
uint32_t rng_next();
// A number in [0, 1): the next draw times 2^-32.
float rng_float();
// A choice among n > 0 items: the next draw modulo n (always draws).
uint32_t rng_choice(uint32_t n);
