// paths.cpp - the program's directory and data-file paths.
#include "paths.h"

#include <errno.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "../platform/platform.h"
#include "log.h"

static PathText app_dir; // set once at start-up; empty when unknown

void find_app_path()
{
    char exe[PathText::capacity()];
    app_dir.s[0] = 0;
    // Without its own folder the program would take its data, and the
    // programs it starts, from wherever it was started: never guess.
    if (!plat_exe_path(exe, sizeof exe))
        fatal_error("can't find the program's own folder: %s", strerror(errno));
    char* cut = strrchr(exe, '/');
    if (!cut)
        fatal_error("can't find the program's own folder: '%s' names none", exe);
    cut[1] = 0;
    copy_text(app_dir, exe);
    PathText shown;
    log_message("app path: '%s'", log_escaped(shown, app_dir.s));
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

// Copies a resolved path into the destination; one the system could not open
// either (PATH_MAX and more) ends the program naming it.
static const char* fit_path(PathText& destination, const std::string& path)
{
    if (path.size() >= sizeof destination.s)
        fatal_error("the path '%s' is longer than the %d characters a path may have", path.c_str(),
            PathText::capacity() - 1);
    copy_text(destination, path.c_str());
    return destination.s;
}

const char* resolve_path(PathText& destination, const char* name)
{
    destination.s[0] = 0;
    if (!name || !*name) {
        copy_text(destination, app_dir.s);
        return destination.s;
    }

    std::string joined;
    if (name[0] != '/') {
        // A relative program directory is taken from the working directory;
        // without one the name stays relative and is not normalised.
        char cwd[PATH_MAX];
        if (app_dir.s[0] != '/' && getcwd(cwd, sizeof cwd))
            joined = std::string(cwd) + "/";
        joined += app_dir.s;
    }
    joined += name;
    if (joined[0] != '/')
        return fit_path(destination, joined);
    // Normalising adds at most the leading and a trailing '/'.
    std::string normal(joined.size() + 2, '\0');
    normalise_path(joined.c_str(), &normal[0]);
    normal.resize(strlen(normal.c_str()));
    return fit_path(destination, normal);
}

bool join_path(PathText& destination, const char* a, const char* b)
{
    size_t la = strlen(a), lb = strlen(b);
    if (la + lb >= sizeof destination.s)
        return false;
    memcpy(destination.s, a, la);
    memcpy(destination.s + la, b, lb + 1);
    return true;
}

int64_t file_time(const char* name)
{
    struct stat st;
    if (!name || stat(name, &st) != 0)
        return 0;
    return static_cast<int64_t>(st.st_mtime);
}
