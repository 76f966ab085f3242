// floatRules.h - the floating-point arithmetic the game's rules are computed in.
//
// A recording replays a game from its seed and input only when every build
// computes every update bit for bit alike: IEEE single precision rounded to
// nearest after each operation, subnormals kept, no a * b + c fused into one
// rounding, nothing reassociated. The compiler's part is set for the whole
// project in CMakeLists.txt (-ffp-contract=off -fno-fast-math) and checked by
// floatRules.cpp and the tests; the run-time part is set here.
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
