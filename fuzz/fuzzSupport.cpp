// fuzzSupport.cpp - logging, the fatal path and the platform as the fuzz targets need them.
#include "fuzzSupport.h"

#include <stdarg.h>
#include <stdio.h>
#include <sys/mman.h>
#include <unistd.h>

#include "core/log.h"
#include "platform/platform.h"

void log_message(const char*, ...)
{
}

void log_text(const char*, ...)
{
}

// Nothing is logged, so no name needs showing.
const char* log_escaped(PathText& out, const char*)
{
    out.s[0] = 0;
    return out.s;
}

const char* format_short(ShortText& buffer, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(buffer.s, sizeof buffer.s, format, args);
    va_end(args);
    return buffer.s;
}

void fatal_error(const char*, ...)
{
    throw FuzzRejected();
}

void assert_failed(const char*, int, const char*)
{
    throw FuzzRejected();
}

void shutdown_all()
{
}

bool plat_exe_path(char*, int)
{
    return false;
}

const char* fuzz_input_file(const uint8_t* data, size_t size)
{
    // One memory file for the whole run: nothing touches the disk and nothing
    // is left behind when the process ends.
    static int fd = -1;
    static char path[64];
    if (fd < 0) {
        fd = memfd_create("tarnwick-fuzz-input", MFD_CLOEXEC);
        if (fd < 0)
            __builtin_trap();
        snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    }
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        __builtin_trap();
    return path;
}
