// paths.h - the program's directory and data-file paths.
#pragma once

#include <stdint.h>

#include "../libs/inc/misc/zu_utils.h"

// Finds the directory of the program file (with its trailing '/') and logs
// "app path: '%s'". Empty when the program's file name cannot be had.
void find_app_path();
const char* app_path();
// Takes dir (ending in '/') as the program's directory: for tools and tests
// that work on a program directory other than their own.
void set_app_path(const char* dir);

// Full path of a data file: a name starting with '/' is taken as it is, any
// other name is placed under the program's directory; the result is
// normalised lexically ("." and ".." folded, repeated '/' merged). No name
// gives the program's directory itself.
// A result of PATH_MAX characters or more ends the program naming the path.
const char* resolve_path(PathText& destination, const char* name);
// destination = a followed by b; false (destination unchanged) when that
// would not fit.
bool join_path(PathText& destination, const char* a, const char* b);

// Last-modification time in seconds, or 0 when the file cannot be examined.
int64_t file_time(const char* name);
