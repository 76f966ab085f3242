// commandLineFuzz.cpp - the game's switches on arbitrary command lines.
//
// The input is the arguments, each ended by a zero byte; there is no settings
// store, so only the switches decide. A switch that needs a value and lacks a
// valid one is a fatal error, an ordinary outcome here.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "core/settings.h"
#include "fuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    setenv("XDG_CONFIG_HOME", "/nonexistent/tarnwick-fuzz", 1);
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> args = {"game"};
    for (size_t start = 0; start < text.size() && args.size() < 64;) {
        size_t end = text.find('\0', start);
        args.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    try {
        read_settings(static_cast<int>(argv.size()), argv.data());
    } catch (const FuzzRejected&) {
        return 0; // a value switch without a valid value
    }
    // The window size is unset or one of the two sizes the switches name.
    const Settings& s = settings();
    bool sized = (s.window_width == 1280 && s.window_height == 720)
        || (s.window_width == 640 && s.window_height == 360);
    if (!sized && (s.window_width != 0 || s.window_height != 0))
        __builtin_trap();
    return 0;
}
