// testShutdown.cpp - the shutdown that fatal errors run inside unit tests.
#include "testShutdown.h"

#include "core/log.h"

bool test_shutdown_fails;

void shutdown_all()
{
    log_message("test shutdown ran");
    if (test_shutdown_fails)
        fatal_error("shutdown broke");
}
