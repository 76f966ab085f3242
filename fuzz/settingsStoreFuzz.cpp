// settingsStoreFuzz.cpp - the settings store on arbitrary store files.
//
// The store lives in a folder under /dev/shm (memory), removed at exit. Each
// input is read as the game reads it and then written through: the written
// value must read back, and every other line must survive in its order.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/settings.h"
#include "fuzzSupport.h"
#include "platform/platform.h"

namespace {

std::string config_home;

void remove_store()
{
    std::string cmd = "rm -rf '" + config_home + "'";
    if (system(cmd.c_str()) != 0)
        fprintf(stderr, "can't remove %s\n", config_home.c_str());
}

void set_up_once()
{
    if (!config_home.empty())
        return;
    config_home = "/dev/shm/tarnwick-settings-fuzz-" + std::to_string(getpid());
    setenv("XDG_CONFIG_HOME", config_home.c_str(), 1);
    std::string cmd = "mkdir -p '" + config_home + "/Oskvel Games/TARNWICK'";
    if (system(cmd.c_str()) != 0)
        __builtin_trap();
    atexit(remove_store);
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

std::string read_store()
{
    std::string text;
    FILE* f = fopen(registry_file_path(), "rb");
    if (!f)
        __builtin_trap();
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;)
        text.append(buffer, n);
    fclose(f);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    set_up_once();
    std::string text(reinterpret_cast<const char*>(data), size);
    FILE* f = fopen(registry_file_path(), "wb");
    if (!f || fwrite(text.data(), 1, text.size(), f) != text.size() || fclose(f) != 0)
        __builtin_trap();

    const char* argv[] = {"game"};
    read_settings(1, argv);
    char buffer[64];
    uint32_t type = 0, room = sizeof buffer;
    registry_read("name", &type, buffer, &room);

    uint32_t value = size ? data[0] * 0x01010101u : 7;
    if (!settings_write_dword("flags", value))
        return 0; // a line break in the name or a full disk: nothing to check
    uint32_t back = 0;
    if (!settings_read_dword("flags", &back) || back != value)
        __builtin_trap();
    // Lines other than the value's keep their bytes and order (a NUL cuts a
    // line short when parsing, never when keeping).
    std::vector<std::string> before = lines_of(text), after = lines_of(read_store());
    size_t j = 0;
    for (const std::string& line : before) {
        if (strncasecmp(line.c_str(), "\"flags\"=", 8) == 0)
            continue;
        while (j < after.size() && after[j] != line)
            ++j;
        if (j == after.size())
            __builtin_trap();
        ++j;
    }
    return 0;
}
