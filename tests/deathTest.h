// deathTest.h - checking that a statement ends the process through fatal_error.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

// Runs the statement in a child whose standard output joins its standard
// error, so the match sees the "ERROR: ..." log line as well, and expects the
// fatal path's exit code 100.
#define EXPECT_FATAL(statement, regex)                                                                       \
    EXPECT_EXIT(                                                                                             \
        {                                                                                                    \
            dup2(2, 1);                                                                                      \
            statement;                                                                                       \
        },                                                                                                   \
        ::testing::ExitedWithCode(100), regex)
