// about.cpp - the answers every program gives to --help and --version.
#include "about.h"

#include <stdio.h>
#include <string.h>

#ifndef TARNWICK_VERSION
#error "the build gives the project's version as TARNWICK_VERSION"
#endif

const char* project_version()
{
    return TARNWICK_VERSION;
}

bool answer_help_or_version(int argc, const char* const* argv, const char* name, const char* usage)
{
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--help") == 0) {
            printf("%s\n", usage);
            return true;
        }
        if (strcmp(argv[i], "--version") == 0) {
            printf("%s %s\n", name, project_version());
            return true;
        }
    }
    return false;
}
