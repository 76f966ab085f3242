// registry.cpp - the per-user settings store, kept as a registry export file.
//
// "$XDG_CONFIG_HOME/Oskvel Games/TARNWICK/settings.reg" (~/.config when the
// variable is unset) holds one value a line, `"flags"=dword:0000000d` or
// `"name"="text"`. Lines that cannot be parsed are skipped when reading and
// kept as they are when the file is rewritten. A write goes to a temporary
// file that is renamed over the old one, so a failed write leaves the old
// store intact; a store that exists but cannot be read whole is never
// rewritten, so nothing it held is lost. Writers of all processes take turns
// through a lock file in the store's folder, which is the user's alone, and a
// store that is a symbolic link is written where the link points. Without a
// home there is no store: reads find nothing and writes fail.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform.h"

static const char* const STORE_DIR = "Oskvel Games/TARNWICK";
static const char* const STORE_FILE = "settings.reg";

// Why the last read or write failed; empty after a success or a missing store.
static std::string last_error;

static bool fail(const std::string& path, const char* what, int err)
{
    last_error = "can't " + std::string(what) + " '" + path + "': " + strerror(err);
    return false;
}

const char* registry_last_error()
{
    return last_error.c_str();
}

struct RegValue {
    std::string name;
    uint32_t type;
    uint32_t dword;
    std::string text;
};

static const char* const LOCK_FILE = ".settings.lock";
enum { LOCK_TRIES = 2500, LOCK_TRY_MS = 2 }; // a writer waits at most five seconds for another

// The store's folder; "" when there is no home to keep it in.
static std::string store_dir()
{
    const char* home = plat_config_home();
    return *home ? std::string(home) + "/" + STORE_DIR : "";
}

const char* registry_file_path()
{
    static std::string path;
    std::string dir = store_dir();
    path = dir.empty() ? "" : dir + "/" + STORE_FILE;
    return path.c_str();
}

// Reads a quoted string with \\ and \" escapes starting at the opening quote;
// returns the position after the closing quote, or null when malformed.
static const char* parse_quoted(const char* p, std::string* out)
{
    if (*p != '"')
        return nullptr;
    out->clear();
    for (++p; *p && *p != '"'; ++p) {
        if (*p == '\\') {
            ++p;
            if (*p != '\\' && *p != '"')
                return nullptr;
        }
        out->push_back(*p);
    }
    return *p == '"' ? p + 1 : nullptr;
}

static std::string quoted(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"')
            out.push_back('\\');
        out.push_back(c);
    }
    return out + "\"";
}

static bool parse_line(const char* line, RegValue* value)
{
    const char* p = parse_quoted(line, &value->name);
    if (!p || *p++ != '=')
        return false;
    if (strncmp(p, "dword:", 6) == 0) {
        p += 6;
        size_t digits = strspn(p, "0123456789abcdefABCDEF");
        if (digits < 1 || digits > 8 || p[digits] != 0)
            return false;
        value->type = REG_TYPE_DWORD;
        value->dword = static_cast<uint32_t>(strtoul(p, nullptr, 16));
        return true;
    }
    p = parse_quoted(p, &value->text);
    if (!p || *p != 0)
        return false;
    value->type = REG_TYPE_SZ;
    return true;
}

// A line as the store holds it: a carriage return at its end is not part of the value.
static bool parse_stored_line(const std::string& line, RegValue* value)
{
    if (!line.empty() && line.back() == '\r')
        return parse_line(line.substr(0, line.size() - 1).c_str(), value);
    return parse_line(line.c_str(), value);
}

static std::string format_line(const RegValue& value)
{
    if (value.type == REG_TYPE_DWORD) {
        char hex[16];
        snprintf(hex, sizeof hex, "%08x", value.dword);
        return quoted(value.name) + "=dword:" + hex;
    }
    return quoted(value.name) + "=" + quoted(value.text);
}

enum StoreRead { STORE_READ, STORE_MISSING, STORE_UNREADABLE };

// Reads the store's lines without their line feeds (a carriage return before
// one stays, so a rewrite keeps every other line byte for byte). A store that does not
// exist reads as empty; one that exists but can't be read to its end is
// unreadable (last_error says why) and must not be rewritten.
static StoreRead read_lines(const std::string& path, std::vector<std::string>* lines)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return STORE_MISSING;
        fail(path, "read", errno);
        return STORE_UNREADABLE;
    }
    std::string text;
    char buffer[4096];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            fail(path, "read", errno);
            close(fd);
            return STORE_UNREADABLE;
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        lines->push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return STORE_READ;
}

bool registry_read(const char* name, uint32_t* type, void* buffer, uint32_t* size)
{
    last_error.clear();
    std::vector<std::string> lines;
    if (!*registry_file_path() || read_lines(registry_file_path(), &lines) != STORE_READ)
        return false;
    // The last line for a name wins, as when an export file is imported.
    RegValue found;
    bool have = false;
    for (const std::string& line : lines) {
        RegValue v;
        if (parse_stored_line(line, &v) && strcasecmp(v.name.c_str(), name) == 0) {
            found = v;
            have = true;
        }
    }
    if (!have)
        return false;

    uint32_t needed = found.type == REG_TYPE_DWORD ? 4 : static_cast<uint32_t>(found.text.size() + 1);
    uint32_t room = *size;
    *type = found.type;
    *size = needed;
    if (room < needed)
        return false;
    if (found.type == REG_TYPE_DWORD)
        memcpy(buffer, &found.dword, 4);
    else
        memcpy(buffer, found.text.c_str(), needed);
    return true;
}

// The file a write must replace: the store itself, or where the chain of
// symbolic links that stands in its place ends (the target need not exist).
static std::string write_target(const std::string& path)
{
    std::string target = path;
    for (int hops = 0; hops < 40; ++hops) {
        char link[PATH_MAX];
        ssize_t n = readlink(target.c_str(), link, sizeof link - 1);
        if (n < 0)
            return target;
        link[n] = 0;
        if (link[0] == '/')
            target = link;
        else
            target = target.substr(0, target.rfind('/') + 1) + link;
    }
    return target;
}

// Replaces the target with the text, with the old file's permissions (less
// the umask; a new file gets 0666 less the umask); on any failure the old
// file is left untouched.
static bool replace_file(const std::string& target, const std::string& text)
{
    struct stat old;
    mode_t mode = stat(target.c_str(), &old) == 0 ? old.st_mode & 07777 : 0666;
    int err = plat_replace_file(target.c_str(), text.data(), text.size(), mode);
    return err == 0 || fail(target, "write", err);
}

// The whole store with the value set: every other line as it was, earlier
// duplicates of the name collapsed into the new value.
static std::string store_with(const std::vector<std::string>& lines, const RegValue& value)
{
    std::string text;
    bool written = false;
    for (const std::string& line : lines) {
        RegValue old;
        if (parse_stored_line(line, &old) && strcasecmp(old.name.c_str(), value.name.c_str()) == 0) {
            if (written)
                continue;
            text += format_line(value) + "\n";
            written = true;
        } else {
            text += line + "\n";
        }
    }
    if (!written)
        text += format_line(value) + "\n";
    return text;
}

// The store's folder made and kept the user's alone (0700), and the lock
// that makes read-change-rename one step for every writer taken: a file of
// the user's own (0600) in that folder, so no other user can open it, let
// alone hold it. A writer of ours that holds it for more than five seconds
// (a hung game) is waited for no longer: the write then fails, leaving the
// store as it is. The descriptor, or -1 with last_error set.
static int lock_store(const std::string& dir)
{
    struct stat st;
    if (!plat_make_dirs(dir.c_str(), 0700) || stat(dir.c_str(), &st) != 0) {
        fail(dir, "create", errno);
        return -1;
    }
    if (st.st_uid != geteuid()) {
        fail(dir, "keep the settings in another user's folder", EPERM);
        return -1;
    }
    if ((st.st_mode & 077) != 0 && chmod(dir.c_str(), st.st_mode & 07700) != 0) {
        fail(dir, "make private", errno);
        return -1;
    }
    std::string path = dir + "/" + LOCK_FILE;
    int lock = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lock < 0) {
        fail(path, "open", errno);
        return -1;
    }
    for (int tries = 0; flock(lock, LOCK_EX | LOCK_NB) != 0; ++tries) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || tries == LOCK_TRIES) {
            fail(path, errno == EWOULDBLOCK ? "take (another program holds it)" : "lock", errno);
            close(lock);
            return -1;
        }
        usleep(LOCK_TRY_MS * 1000);
    }
    return lock;
}

bool registry_write(const char* name, uint32_t type, const void* data, uint32_t size)
{
    last_error.clear();
    RegValue value;
    value.name = name;
    value.type = type;
    if (type == REG_TYPE_DWORD) {
        if (size != 4)
            return fail(name, "store a value of this size as", EINVAL);
        memcpy(&value.dword, data, 4);
    } else if (type == REG_TYPE_SZ) {
        const char* text = static_cast<const char*>(data);
        value.text.assign(text, strnlen(text, size));
        if (value.text.find('\n') != std::string::npos)
            return fail(name, "store a line break in", EINVAL);
    } else {
        return fail(name, "store a value of this type as", EINVAL);
    }

    std::string dir = store_dir();
    if (dir.empty()) {
        last_error = "can't store the settings: there is no home folder to keep them in";
        return false;
    }
    int lock = lock_store(dir);
    if (lock < 0)
        return false;
    std::string target = write_target(registry_file_path());
    std::vector<std::string> lines;
    bool ok
        = read_lines(target, &lines) != STORE_UNREADABLE && replace_file(target, store_with(lines, value));
    close(lock);
#ifdef __EMSCRIPTEN__
    if (ok)
        plat_store_files();
#endif
    return ok;
}
