// floatRules.cpp - the floating-point arithmetic the game's rules are computed in.
//
// The build stops here when the flags in force would let the compiler change
// the rules' arithmetic: fast math and its parts, or float expressions
// evaluated in a wider type (x87). Contraction has no such macro; the tests
// of rules_multiply_add and rules_multiply_add_sub catch it in a build whose
// target has FMA.
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

void rules_multiply_add_sub(const float a[4], const float b[4], const float c[4], float out[4])
{
    // Every input is read before anything is written, so the four lanes may
    // be vectorised whatever the arrays overlap.
    float r0 = a[0] * b[0] - c[0], r1 = a[1] * b[1] + c[1], r2 = a[2] * b[2] - c[2], r3 = a[3] * b[3] + c[3];
    out[0] = r0;
    out[1] = r1;
    out[2] = r2;
    out[3] = r3;
}
