// floatRules.h - the floating-point arithmetic the game's rules are computed in.
//
// A recording replays a game from its seed and input only when every build
// computes every update bit for bit alike: IEEE single precision rounded to
// nearest after each operation, subnormals kept, no a * b + c fused into one
// rounding, nothing reassociated. The compiler's part is set in
// CMakeLists.txt (-ffp-contract=off -fno-fast-math everywhere, and no g++
// vectoriser for the rules' libraries) and checked by floatRules.cpp and the
// tests; the run-time part is set here.
#pragma once

// Sets the default floating-point environment on the calling thread: round to
// nearest, subnormals neither flushed nor read as zero, exceptions masked.
// A graphics driver or library may leave another one on the main thread, so
// each update and each level generation starts with this.
void pin_float_environment();

// a * b + c as the rules compute it: the product rounded, then the sum. The
// tests call it with inputs whose fused result differs to prove that the
// flags the game is built with do not contract.
float rules_multiply_add(float a, float b, float c);
// out[i] = a[i] * b[i] - c[i] for even i, a[i] * b[i] + c[i] for odd i: the
// shape that g++ 12's vectoriser fuses into one instruction (vfmaddsub) even
// under -ffp-contract=off, for the same test.
void rules_multiply_add_sub(const float a[4], const float b[4], const float c[4], float out[4]);
