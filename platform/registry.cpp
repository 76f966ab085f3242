// registry.cpp - the per-user settings store, kept as a registry export file.
//
// "$XDG_CONFIG_HOME/Oskvel Games/TARNWICK/settings.reg" (~/.config when the
// variable is unset) holds one value a line, `"flags"=dword:0000000d` or
// `"name"="text"`. Lines that cannot be parsed are skipped when reading and
// kept as they are when the file is rewritten. A write goes to a temporary
// file that is renamed over the old one, so a failed write leaves the old
// store intact.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform.h"

static const char* const STORE_DIR = "Oskvel Games/TARNWICK";
static const char* const STORE_FILE = "settings.reg";

struct RegValue {
    std::string name;
    uint32_t type;
    uint32_t dword;
    std::string text;
};

static std::string store_dir()
{
    return std::string(plat_config_home()) + "/" + STORE_DIR;
}

const char* registry_file_path()
{
    static std::string path;
    path = store_dir() + "/" + STORE_FILE;
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

static std::string format_line(const RegValue& value)
{
    if (value.type == REG_TYPE_DWORD) {
        char hex[16];
        snprintf(hex, sizeof hex, "%08x", value.dword);
        return quoted(value.name) + "=dword:" + hex;
    }
    return quoted(value.name) + "=" + quoted(value.text);
}

// Reads the store's lines without their line ends; false when there is no store.
static bool read_lines(const char* path, std::vector<std::string>* lines)
{
    FILE* f = fopen(path, "rb");
    if (!f)
        return false;
    std::string line;
    int c;
    while ((c = fgetc(f)) != EOF) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines->push_back(line);
            line.clear();
        } else {
            line.push_back(static_cast<char>(c));
        }
    }
    if (!line.empty())
        lines->push_back(line);
    fclose(f);
    return true;
}

bool registry_read(const char* name, uint32_t* type, void* buffer, uint32_t* size)
{
    std::vector<std::string> lines;
    if (!read_lines(registry_file_path(), &lines))
        return false;
    // The last line for a name wins, as when an export file is imported.
    RegValue found;
    bool have = false;
    for (const std::string& line : lines) {
        RegValue v;
        if (parse_line(line.c_str(), &v) && strcasecmp(v.name.c_str(), name) == 0) {
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

static bool write_whole(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes the text into a temporary file beside the store and renames it over
// the store; on any failure the old store is left untouched.
static bool replace_store(const std::string& dir, const std::string& text)
{
    std::string tmp = dir + "/" + STORE_FILE + ".XXXXXX";
    int fd = mkstemp(&tmp[0]);
    if (fd < 0)
        return false;
    bool ok = write_whole(fd, text) && fchmod(fd, 0644) == 0 && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(tmp.c_str(), (dir + "/" + STORE_FILE).c_str()) == 0;
    if (!ok)
        unlink(tmp.c_str());
    return ok;
}

bool registry_write(const char* name, uint32_t type, const void* data, uint32_t size)
{
    RegValue value;
    value.name = name;
    value.type = type;
    if (type == REG_TYPE_DWORD) {
        if (size != 4)
            return false;
        memcpy(&value.dword, data, 4);
    } else if (type == REG_TYPE_SZ) {
        const char* text = static_cast<const char*>(data);
        value.text.assign(text, strnlen(text, size));
        if (value.text.find('\n') != std::string::npos)
            return false;
    } else {
        return false;
    }

    std::string dir = store_dir();
    if (!plat_make_dirs(dir.c_str()))
        return false;
    std::vector<std::string> lines;
    read_lines(registry_file_path(), &lines);

    std::string text;
    bool written = false;
    for (const std::string& line : lines) {
        RegValue old;
        if (parse_line(line.c_str(), &old) && strcasecmp(old.name.c_str(), name) == 0) {
            if (written)
                continue; // earlier duplicates collapse into the new value
            text += format_line(value) + "\n";
            written = true;
        } else {
            text += line + "\n";
        }
    }
    if (!written)
        text += format_line(value) + "\n";
    return replace_store(dir, text);
}
