// tgaFuzz.cpp - libFuzzer target for the TGA reader.
//
// Each input is handed to load_tga as a file (an in-memory file descriptor
// reached through /proc), exactly as a font file on disk would be.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include "app/tgaImage.h"
#include "platform/platform.h"

// The reader's own code paths never reach these; the fuzz program has no
// window and no shutdown sequence.
bool plat_exe_path(char*, int)
{
    return false;
}

void plat_error_box(const char*, const char*)
{
}

void shutdown_all()
{
}

static int input_file()
{
    static int fd = memfd_create("tga", 0);
    return fd;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int fd = input_file();
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        abort();
    char name[64];
    snprintf(name, sizeof name, "/proc/self/fd/%d", fd);

    int width = 0, height = 0;
    DynArray<uint32_t> pixels;
    if (!load_tga(name, &width, &height, &pixels))
        return 0;
    // A successful read must be exactly what the header promised and no more
    // than the file holds.
    if (width < 1 || height < 1 || pixels.size() != width * height)
        abort();
    if (static_cast<size_t>(pixels.size()) * 4 + TGA_HEADER_SIZE > size)
        abort();
    return 0;
}
