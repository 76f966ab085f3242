// floatRules.cpp - the floating-point arithmetic the game's rules are computed in.
//
// The build stops here when the flags in force would let the compiler change
// the rules' arithmetic: fast math and its parts, or float expressions
// evaluated in a wider type (x87). Contraction has no such macro; the test of
// rules_multiply_add catches it in a build whose target has FMA.
#include "floatRules.h"

#include <fenv.h>
#include <float.h>

#if defined(__FAST_MATH__) || defined(__ASSOCIATIVE_MATH__) || defined(__RECIPROCAL_MATH__)
#error "the game's rules must be built without fast math: recordings would not replay"
#endif
#if defined(__FINITE_MATH_ONLY__) && __FINITE_MATH_ONLY__
#error "the game's rules must be built without -ffinite-math-only: recordings would not replay"
#endif
#if FLT_EVAL_METHOD != 0
#error "the game's rules must evaluate float as float (SSE, not x87): recordings would not replay"
#endif

void pin_float_environment()
{
    // FE_DFL_ENV also resets the SSE control register, which holds the
    // flush-to-zero and denormals-are-zero bits.
    fesetenv(FE_DFL_ENV);
}

float rules_multiply_add(float a, float b, float c)
{
    return a * b + c;
}
