// testShutdown.h - the shutdown_all of the unit-test programs.
#pragma once

// When set, the shutdown itself fails with a fatal error.
extern bool test_shutdown_fails;
