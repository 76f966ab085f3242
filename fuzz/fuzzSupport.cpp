// fuzzSupport.cpp - logging, the fatal path and the platform as the fuzz targets need them.
#include "fuzzSupport.h"

#include <stdarg.h>
#include <stdio.h>
#include <unistd.h>

#include "core/log.h"
#include "platform/platform.h"

void log_message(const char*, ...)
{
}

void log_text(const char*, ...)
{
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
    static char path[64];
    if (!path[0])
        snprintf(path, sizeof path, "/tmp/tarnwick-fuzz-%d.bin", static_cast<int>(getpid()));
    FILE* f = fopen(path, "wb");
    if (!f)
        return path;
    fwrite(data, 1, size, f);
    fclose(f);
    return path;
}
