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

// $HOME, or the password entry's home without it; "" when neither is an
// absolute path. Nothing of the user's is ever kept anywhere else (a shared
// folder such as /tmp would hand it to every other user).
static std::string usable_home()
{
    const char* home = getenv("HOME");
    if (home && home[0] == '/')
        return home;
    const passwd* pw = getpwuid(getuid());
    return pw && pw->pw_dir && pw->pw_dir[0] == '/' ? pw->pw_dir : "";
}

// $<variable> when it is an absolute path, else the home's `fallback`; "" without a home.
static const char* xdg_dir(std::string& dir, const char* variable, const char* fallback)
{
    const char* xdg = getenv(variable);
    if (xdg && xdg[0] == '/') {
        dir = xdg;
        return dir.c_str();
    }
    dir = usable_home();
    if (!dir.empty())
        dir += fallback;
    return dir.c_str();
}

const char* plat_config_home()
{
    static std::string dir;
    return xdg_dir(dir, "XDG_CONFIG_HOME", "/.config");
}

const char* plat_data_home()
{
    static std::string dir;
    return xdg_dir(dir, "XDG_DATA_HOME", "/.local/share");
}

bool plat_parse_user_dir_value(const char* text, const char* home, std::string* out)
{
    if (*text++ != '"')
        return false;
    std::string value;
    for (; *text != '"'; ++text) {
        if (!*text || *text == '`')
            return false;
        if (*text == '\\' && text[1] && strchr("$`\"\\", text[1])) {
            value += *++text;
        } else if (*text == '$') {
            if (strncmp(text, "$HOME", 5) != 0 || (text[5] && text[5] != '/' && text[5] != '"'))
                return false;
            value += home;
            text += 4;
        } else {
            value += *text;
        }
    }
    for (++text; *text == ' ' || *text == '\t';)
        ++text;
    if (*text && *text != '#' && *text != '\n')
        return false;
    *out = value;
    return true;
}

static std::string without_trailing_slashes(const std::string& path)
{
    size_t end = path.find_last_not_of('/');
    return end == std::string::npos ? "" : path.substr(0, end + 1);
}

// The pictures folder that user-dirs.dirs names, read as the shell reads
// it: the last valid assignment wins; lines of any length; empty when the
// file names none, names the home itself (the file's convention for "not
// set") or a folder that is not absolute.
static std::string configured_pictures_dir(const std::string& home)
{
    std::string file = std::string(plat_config_home()) + "/user-dirs.dirs";
    FILE* f = fopen(file.c_str(), "re");
    if (!f)
        return "";
    static const char KEY[] = "XDG_PICTURES_DIR=";
    std::string found, line, value;
    char chunk[1024];
    while (fgets(chunk, sizeof chunk, f)) {
        line += chunk;
        if (line.back() != '\n' && !feof(f))
            continue;
        if (line.compare(0, sizeof KEY - 1, KEY) == 0
            && plat_parse_user_dir_value(line.c_str() + sizeof KEY - 1, home.c_str(), &value))
            found = value;
        line.clear();
    }
    fclose(f);
    if (found.empty() || found[0] != '/' || without_trailing_slashes(found) == without_trailing_slashes(home))
        return "";
    return found;
}

const char* plat_pictures_dir()
{
    static std::string dir;
    std::string home = usable_home();
    if (home.empty()) {
        dir.clear();
        return dir.c_str();
    }
    dir = configured_pictures_dir(home);
    if (dir.empty())
        dir = home + "/Pictures";
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
