// screenshot.cpp - saving the window's picture as a PNG file.
#include "screenshot.h"

#include <stdio.h>
#include <unistd.h>

#include "../core/log.h"
#include "../core/paths.h"
#include "../core/timer.h"
#include "../device/d3d_render.h"
#include "../libs/inc/cont/zu_dynArray.h"
#include "../platform/platform.h"

// This file is the program's one PNG writer; its functions stay private to it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

static struct {
    DynArray<uint32_t> frame; // the presented frame of the last capture; freed by release_capture
    bool requested;           // set by request_screenshot, cleared when the shot is saved
} capture;

void request_screenshot()
{
    keep_next_presented_frame();
    capture.requested = true;
}

void save_requested_screenshot()
{
    if (!capture.requested)
        return;
    capture.requested = false;
    take_screenshot();
}

const uint32_t* capture_screen(int* width, int* height, int* pitch)
{
    release_capture();
    int desktopW, desktopH;
    if (!plat_desktop_size(&desktopW, &desktopH))
        return nullptr;
    PlatRect window;
    plat_window_rect(&window);
    int w = screen_width(), h = screen_height();
    // The client area from its origin on the desktop, cut to the desktop.
    int x0 = clamp_int(window.left, 0, desktopW), y0 = clamp_int(window.top, 0, desktopH);
    int x1 = clamp_int(window.left + w, 0, desktopW), y1 = clamp_int(window.top + h, 0, desktopH);
    if (x1 <= x0 || y1 <= y0 || w <= 0 || h <= 0)
        return nullptr;
    capture.frame.resize(w * h);
    if (!read_presented_frame(capture.frame.data())) {
        release_capture();
        return nullptr;
    }
    *width = x1 - x0;
    *height = y1 - y0;
    *pitch = w * 4;
    return capture.frame.data() + (y0 - window.top) * w + (x0 - window.left);
}

void release_capture()
{
    capture.frame.free_all();
}

const char* screenshot_name(PathText& name, const struct tm* local)
{
    if (!local) {
        copy_text(name, "shots/shot.png");
        return name.s;
    }
    snprintf(name.s, sizeof name.s, "shots/shot%4u_%02u_%02u_%02u_%02u_%02u.png",
        static_cast<unsigned>(local->tm_year + 1900), static_cast<unsigned>(local->tm_mon + 1),
        static_cast<unsigned>(local->tm_mday), static_cast<unsigned>(local->tm_hour),
        static_cast<unsigned>(local->tm_min), static_cast<unsigned>(local->tm_sec));
    return name.s;
}

// Where the encoder's bytes go: the open file, and whether every write so
// far got through (a full disk fails part-way).
struct PngSink {
    FILE* file;
    bool ok;
};

static void write_png_bytes(void* context, void* data, int size)
{
    PngSink* sink = static_cast<PngSink*>(context);
    if (sink->ok && fwrite(data, 1, static_cast<size_t>(size), sink->file) != static_cast<size_t>(size))
        sink->ok = false;
}

// The captured pixels as PNG bytes R, G, B, A, rows top to bottom. Saved
// whole or not at all: on any write error, closing included, the partial
// file is removed.
static bool write_capture(const char* file, const uint32_t* pixels, int w, int h, int pitch)
{
    DynArray<uint8_t> rgba;
    rgba.resize(w * h * 4);
    for (int y = 0; y < h; ++y) {
        const uint32_t* row
            = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(pixels) + y * pitch);
        uint8_t* out = rgba.data() + y * w * 4;
        for (int x = 0; x < w; ++x, out += 4) {
            out[0] = static_cast<uint8_t>(row[x] >> 16);
            out[1] = static_cast<uint8_t>(row[x] >> 8);
            out[2] = static_cast<uint8_t>(row[x]);
            out[3] = static_cast<uint8_t>(row[x] >> 24);
        }
    }
    PngSink sink = {fopen(file, "wb"), true};
    if (!sink.file)
        return false;
    bool encoded = stbi_write_png_to_func(write_png_bytes, &sink, w, h, 4, rgba.data(), w * 4) != 0;
    bool closed = fclose(sink.file) == 0;
    if (encoded && sink.ok && closed)
        return true;
    unlink(file);
    return false;
}

// Whether screenshots may go beside the program. Not in a system package:
// its program directory belongs to the package manager, even for root.
#ifndef TARNWICK_SHOTS_BESIDE_PROGRAM
#define TARNWICK_SHOTS_BESIDE_PROGRAM 1
#endif

// True when the folder exists, made now if need be, and can be written.
static bool writable_folder(const char* dir)
{
    return plat_make_dirs(dir) && access(dir, W_OK) == 0;
}

bool screenshot_folder(PathText& folder)
{
    PathText shots;
    resolve_path(folder, "");
    resolve_path(shots, "shots");
    if (TARNWICK_SHOTS_BESIDE_PROGRAM && writable_folder(shots.s))
        return true;
    PathText fallback;
    if (join_path(folder, plat_pictures_dir(), "/TARNWICK/") && join_path(fallback, folder.s, "shots")
        && writable_folder(fallback.s))
        return true;
    if (TARNWICK_SHOTS_BESIDE_PROGRAM)
        log_message(
            "can't write screenshots into '%s' nor '%s/TARNWICK/shots'", shots.s, plat_pictures_dir());
    else
        log_message("can't write screenshots into '%s/TARNWICK/shots'", plat_pictures_dir());
    return false;
}

void take_screenshot()
{
    int64_t start = timer_now();
    log_message("screenshot...");
    PathText folder;
    if (!screenshot_folder(folder))
        return;
    int w, h, pitch;
    const uint32_t* pixels = capture_screen(&w, &h, &pitch);
    if (!pixels)
        return;
    time_t now = time(nullptr);
    struct tm local;
    PathText name, path;
    screenshot_name(name, localtime_r(&now, &local));
    if (!join_path(path, folder.s, name.s)) {
        log_message("failed to save screenshot: the path '%s%s' is too long", folder.s, name.s);
        release_capture();
        return;
    }
    bool saved = write_capture(path.s, pixels, w, h, pitch);
    release_capture();
    if (saved)
        log_message("screenshot captured to '%s' in %d ms", path.s,
            static_cast<int>(ticks_to_ms(timer_now() - start)));
    else
        log_message("failed to save screenshot to '%s'", path.s);
}
