// The game computes alike in every build: the flags it is built with do not
// fuse a * b + c, and updates and level generation run in the default
// floating-point environment whatever the thread had before.
#include "core/floatRules.h"

#include <fenv.h>

#include <limits>
#ifdef __SSE2__
#include <xmmintrin.h>
#endif

#include "gameplayFixture.h"
#include "levelTestData.h"

namespace {

// (1 + 2^-12)^2 = 1 + 2^-11 + 2^-24 rounds to 1 + 2^-11 (a tie, to even), so
// taking 1 + 2^-11 away leaves 0; fused into one rounding it leaves 2^-24.
TEST(FloatRules, AMultiplyAddRoundsTheProductBeforeTheSum)
{
    volatile float factor = 1 + 0x1p-12f, square = 1 + 0x1p-11f;
    EXPECT_EQ(rules_multiply_add(factor, factor, -square), 0.0f)
        << "a * b + c is fused: build the game's rules with -ffp-contract=off";
    const float a[4] = {factor, factor, factor, factor}, c[4] = {square, -square, square, -square};
    float out[4];
    rules_multiply_add_sub(a, a, c, out);
    for (float v : out)
        EXPECT_EQ(v, 0.0f) << "a * b - c and a * b + c side by side are fused: build the game's rules with "
                              "-ffp-contract=off and, with g++, -fno-tree-vectorize";
}

class FloatEnvironment : public GameplayTest {
protected:
    static void SetUpTestSuite() { load_real_level_data(); }
    static void TearDownTestSuite() { free_level_data(); }
    void TearDown() override
    {
        fesetenv(FE_DFL_ENV);
        GameplayTest::TearDown();
    }
    // What a driver might leave: rounding towards zero and, with SSE,
    // subnormal results flushed and subnormal inputs read as zero.
    static void spoil()
    {
        fesetround(FE_TOWARDZERO);
#ifdef __SSE2__
        _mm_setcsr(_mm_getcsr() | 0x8040);
#endif
    }
    static void expect_default(const char* after)
    {
        volatile float one = 1, three = 3, smallest = std::numeric_limits<float>::denorm_min();
        EXPECT_EQ(one / three, 0x1.555556p-2f) << after << ": rounded to nearest";
        EXPECT_EQ(smallest * 2, 2 * std::numeric_limits<float>::denorm_min()) << after << ": subnormals kept";
    }
};

TEST_F(FloatEnvironment, UpdatesAndLevelGenerationRunInTheDefaultEnvironment)
{
    spoil();
    game_update(0.05f);
    expect_default("an update");
    spoil();
    generate_level();
    expect_default("a level generation");
}

} // namespace
