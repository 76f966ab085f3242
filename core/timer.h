// timer.h - the performance counter, the program's only clock.
#pragma once

#include <stdint.h>

// Reads the counter frequency; call once before any other timer function.
void timer_init();
int64_t timer_now();
int64_t timer_frequency();

// Truncating 64-bit integer conversions.
int64_t ticks_to_ms(int64_t ticks);
int64_t ticks_to_us(int64_t ticks);
// For the two calls that hand time to the game; callers pass it on as float.
double ticks_to_seconds(int64_t ticks);
