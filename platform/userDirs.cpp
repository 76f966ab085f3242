// userDirs.cpp - the user's own folders: home, configuration, data and pictures,
// and making a folder with its parents.
//
// POSIX only, no SDL. The texts returned live in one static string each and
// stay valid until the same function is called again.
#include <errno.h>
#include <pwd.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform.h"

// $HOME, or the password entry's home without it.
static std::string home_dir()
{
    const char* home = getenv("HOME");
    if (!home || !*home) {
        const passwd* pw = getpwuid(getuid());
        home = pw ? pw->pw_dir : "/tmp";
    }
    return home;
}

const char* plat_config_home()
{
    static std::string dir;
    const char* xdg = getenv("XDG_CONFIG_HOME");
    dir = xdg && xdg[0] == '/' ? std::string(xdg) : home_dir() + "/.config";
    return dir.c_str();
}

// $HOME, or the password entry's home without it; "" when neither is an
// absolute path.
static std::string usable_home()
{
    const char* home = getenv("HOME");
    if (home && home[0] == '/')
        return home;
    const passwd* pw = getpwuid(getuid());
    return pw && pw->pw_dir && pw->pw_dir[0] == '/' ? pw->pw_dir : "";
}

const char* plat_data_home()
{
    static std::string dir;
    const char* xdg = getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') {
        dir = xdg;
        return dir.c_str();
    }
    dir = usable_home();
    if (!dir.empty())
        dir += "/.local/share";
    return dir.c_str();
}

// The value of `XDG_PICTURES_DIR="..."` in user-dirs.dirs: "$HOME/..." or an
// absolute path; empty when the file has none, or names the home itself
// (which the file's convention uses for "not set").
static std::string configured_pictures_dir()
{
    std::string file = std::string(plat_config_home()) + "/user-dirs.dirs";
    FILE* f = fopen(file.c_str(), "r");
    if (!f)
        return "";
    static const char KEY[] = "XDG_PICTURES_DIR=\"";
    std::string found;
    char line[4096];
    while (found.empty() && fgets(line, sizeof line, f)) {
        if (strncmp(line, KEY, sizeof KEY - 1) != 0)
            continue;
        std::string value = line + sizeof KEY - 1;
        size_t quote = value.find('"');
        if (quote == std::string::npos)
            continue;
        value.resize(quote);
        if (value.compare(0, 5, "$HOME") != 0) {
            if (value[0] == '/')
                found = value;
        } else if (value.find_first_not_of('/', 5) != std::string::npos) {
            found = home_dir() + value.substr(5);
        }
    }
    fclose(f);
    return found;
}

const char* plat_pictures_dir()
{
    static std::string dir;
    dir = configured_pictures_dir();
    if (dir.empty())
        dir = home_dir() + "/Pictures";
    return dir.c_str();
}

bool plat_make_dirs(const char* dir, unsigned mode)
{
    std::string path = dir;
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/')
            continue;
        if (mkdir(path.substr(0, i).c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st;
    if (stat(dir, &st) != 0)
        return false;
    errno = ENOTDIR;
    return S_ISDIR(st.st_mode);
}
