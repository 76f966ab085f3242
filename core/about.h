// about.h - the answers every program gives to --help and --version.
#pragma once

// The project's version, from the build (CMake's project version).
const char* project_version();

// When an argument after argv[0] is "--help" or "--version", prints the
// usage text or the line "NAME VERSION" to standard output and returns true:
// the program then exits 0 before it opens anything.
bool answer_help_or_version(int argc, const char* const* argv, const char* name, const char* usage);
