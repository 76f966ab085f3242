// timer.cpp - the performance counter.
#include "timer.h"

#include "../platform/platform.h"

static struct {
    int64_t frequency = 1;
    double reciprocal = 1.0;
} timer;

void timer_init()
{
    timer.frequency = plat_counter_frequency();
    if (timer.frequency < 1)
        timer.frequency = 1;
    timer.reciprocal = 1.0 / static_cast<double>(timer.frequency);
}

int64_t timer_now()
{
    return plat_counter();
}

int64_t timer_frequency()
{
    return timer.frequency;
}

int64_t ticks_to_ms(int64_t ticks)
{
    return ticks * 1000 / timer.frequency;
}

int64_t ticks_to_us(int64_t ticks)
{
    return ticks * 1000000 / timer.frequency;
}

double ticks_to_seconds(int64_t ticks)
{
    return static_cast<double>(ticks) * timer.reciprocal;
}
