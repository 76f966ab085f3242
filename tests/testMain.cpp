// testMain.cpp - the entry of every test program.
//
// Tests run headless: SDL's offscreen video driver (llvmpipe for OpenGL), its
// silent audio driver and never an error box that could wait for a click.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "lsanSuppressions.h"

int main(int argc, char** argv)
{
#ifndef __EMSCRIPTEN__
    // In a browser SDL draws on the page's canvas, its only video driver.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
#endif
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("TARNWICK_NO_MSGBOX", "1", 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// Read by the leak sanitizer when the tests are built with it: the GL
// driver's own leaks are not ours. Allocations keep the sanitizer's default
// fast unwinding: the slow unwinder deadlocks inside libgcc when llvmpipe's
// shader compiler registers its code while allocating.
extern "C" const char* __lsan_default_suppressions()
{
    return LSAN_SUPPRESSIONS;
}
