// paths.cpp - the program's directory and data-file paths.
#include "paths.h"

#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../platform/platform.h"
#include "log.h"

static PathText app_dir; // set once at start-up; empty when unknown

void find_app_path()
{
    char exe[PathText::capacity()];
    app_dir.s[0] = 0;
    if (plat_exe_path(exe, sizeof exe)) {
        char* cut = strrchr(exe, '/');
        if (cut) {
            cut[1] = 0;
            copy_text(app_dir, exe);
        }
    }
    log_message("app path: '%s'", app_dir.s);
}

const char* app_path()
{
    return app_dir.s;
}

void set_app_path(const char* dir)
{
    copy_text(app_dir, dir);
}

// Folds "." and ".." and repeated separators of the absolute path `in` into
// `out` (at least as large). A trailing '/' is kept; ".." at the root stays
// at the root.
static void normalise_path(const char* in, char* out)
{
    char* o = out;
    *o++ = '/';
    while (*in) {
        while (*in == '/')
            ++in;
        if (!*in)
            break;
        size_t len = strcspn(in, "/");
        bool dot = len == 1 && in[0] == '.';
        bool dotdot = len == 2 && in[0] == '.' && in[1] == '.';
        if (dotdot) {
            if (o - out > 1) {
                --o;
                while (o[-1] != '/')
                    --o;
            }
        } else if (!dot) {
            memcpy(o, in, len);
            o += len;
            *o++ = '/';
        }
        in += len;
    }
    bool trailing = in[-1] == '/';
    if (o - out > 1 && !trailing)
        --o;
    *o = 0;
}

const char* resolve_path(PathText& destination, const char* name)
{
    destination.s[0] = 0;
    if (!name || !*name) {
        copy_text(destination, app_dir.s);
        return destination.s;
    }

    // Room for the working directory, the program's directory and the name;
    // the result must fit the destination once it is normalised.
    char joined[3 * PathText::capacity()];
    joined[0] = 0;
    if (name[0] != '/') {
        // A relative program directory is taken from the working directory;
        // without one the name stays relative and is not normalised.
        if (app_dir.s[0] != '/') {
            if (getcwd(joined, PathText::capacity()))
                strcat(joined, "/");
            else
                joined[0] = 0;
        }
        strcat(joined, app_dir.s);
    }
    ASSERT(strlen(joined) + strlen(name) < sizeof joined);
    strcat(joined, name);
    if (joined[0] != '/') {
        copy_text(destination, joined);
        return destination.s;
    }
    char normal[sizeof joined];
    normalise_path(joined, normal);
    copy_text(destination, normal);
    return destination.s;
}

int64_t file_time(const char* name)
{
    struct stat st;
    if (!name || stat(name, &st) != 0)
        return 0;
    return static_cast<int64_t>(st.st_mtime);
}
