// The game's real shutdown on the fatal path, before anything was started.
#include <gtest/gtest.h>

#include "core/log.h"
#include "deathTest.h"
#include "libs/inc/misc/zu_utils.h"

TEST(FatalDeathTest, AFatalErrorBeforeStartUpShutsDownAndExitsWith100)
{
    EXPECT_FATAL(fatal_error("can't open %s", "tiles.bin"),
        "can't open tiles.bin(.|\n)*ERROR: can't open tiles.bin(.|\n)*closing\\.\\.\\.(.|\n)*close "
        "d3d(.|\n)*closed all systems");
}

TEST(FatalDeathTest, AFailedAssertionNamesItsFileAndLine)
{
    int line = __LINE__ + 1;
    EXPECT_FATAL(ASSERT(1 + 1 == 3),
        "ERROR: systemTest\\.cpp\\(" + std::to_string(line) + "\\): failed ASSERT\\(1\\+1==3\\)");
}
