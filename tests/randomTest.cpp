// The game's random generator.
#include "core/random.h"

#include <gtest/gtest.h>

TEST(Random, FollowsTheLinearCongruentialSequence)
{
    rng_seed(0);
    EXPECT_EQ(rng_next(), 0x14057B7Eu); // the increment's upper half
    EXPECT_EQ(rng_state(), 1442695040888963407ULL);
    uint64_t s = rng_state() * 6364136223846793005ULL + 1442695040888963407ULL;
    EXPECT_EQ(rng_next(), static_cast<uint32_t>(s >> 32));

    rng_seed(12345);
    uint32_t a = rng_next(), b = rng_next();
    rng_seed(12345);
    EXPECT_EQ(rng_next(), a);
    EXPECT_EQ(rng_next(), b);
}

TEST(Random, ChoicesAndFractions)
{
    rng_seed(99);
    uint64_t before = rng_state();
    uint32_t c = rng_choice(7);
    rng_seed(before);
    EXPECT_EQ(c, rng_next() % 7);
    EXPECT_LT(c, 7u);

    rng_seed(99);
    float f = rng_float();
    rng_seed(99);
    EXPECT_FLOAT_EQ(f, static_cast<float>(rng_next() / 4294967296.0));
}

// The state that makes the next draw return the given 64-bit state.
static uint64_t state_before(uint64_t next)
{
    const uint64_t a = 6364136223846793005ULL;
    uint64_t inverse = a; // Newton's iteration for the inverse modulo 2^64
    for (int i = 0; i < 6; ++i)
        inverse *= 2 - a * inverse;
    return (next - 1442695040888963407ULL) * inverse;
}

TEST(Random, AFractionNeverReachesOne)
{
    rng_seed(state_before(0xFFFFFFFF12345678ULL));
    EXPECT_EQ(rng_next(), 0xFFFFFFFFu);
    rng_seed(state_before(0xFFFFFFFF12345678ULL));
    float f = rng_float(); // 0xFFFFFFFF / 2^32 rounds to 1.0f as a float
    EXPECT_LT(f, 1.0f);
    EXPECT_GT(f, 0.99999f);
}
