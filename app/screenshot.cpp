// screenshot.cpp - saving the window's picture as a PNG file.
#include "screenshot.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <initializer_list>

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

enum {
    SAME_SECOND_NAMES = 999, // a second's names: the plain one, then "_2" to "_999"
    TEMP_NAME_TRIES = 100,   // temporary names tried before giving up
};

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

const char* screenshot_name(PathText& name, const struct tm* local, int number)
{
    char stem[96] = "shot";
    if (local)
        snprintf(stem, sizeof stem, "shot%4u_%02u_%02u_%02u_%02u_%02u",
            static_cast<unsigned>(local->tm_year + 1900), static_cast<unsigned>(local->tm_mon + 1),
            static_cast<unsigned>(local->tm_mday), static_cast<unsigned>(local->tm_hour),
            static_cast<unsigned>(local->tm_min), static_cast<unsigned>(local->tm_sec));
    if (number > 1)
        snprintf(name.s, sizeof name.s, "shots/%s_%d.png", stem, number);
    else
        snprintf(name.s, sizeof name.s, "shots/%s.png", stem);
    return name.s;
}

// Where the encoder's bytes go: the open file, and the error of the first
// write that failed (0 while none has).
struct PngSink {
    FILE* file;
    int error;
};

static void write_png_bytes(void* context, void* data, int size)
{
    PngSink* sink = static_cast<PngSink*>(context);
    if (sink->error)
        return;
    errno = 0;
    if (fwrite(data, 1, static_cast<size_t>(size), sink->file) != static_cast<size_t>(size))
        sink->error = errno ? errno : EIO;
}

// Writes the captured pixels into the file as PNG bytes R, G, B, A, rows top
// to bottom; 0, or the error of the first write that failed.
static int encode_png(FILE* file, const uint32_t* pixels, int w, int h, int pitch)
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
    PngSink sink = {file, 0};
    if (!stbi_write_png_to_func(write_png_bytes, &sink, w, h, 4, rgba.data(), w * 4) && !sink.error)
        return ENOMEM; // the encoder's own buffers
    return sink.error;
}

// Makes a new file for the picture in the folder's shots/, named
// ".shot-<process>-<n>.tmp": made here and now (a file or link of that name,
// planted or left by a crash, is passed over, never opened), with mode 0666
// less the umask. The descriptor, with the name in `temp`; -1 and errno when
// none could be made.
static int create_temp(const char* folder, PathText& temp)
{
    for (int n = 0; n < TEMP_NAME_TRIES; ++n) {
        char leaf[64];
        snprintf(leaf, sizeof leaf, "shots/.shot-%d-%d.tmp", static_cast<int>(getpid()), n);
        if (!join_path(temp, folder, leaf)) {
            errno = ENAMETOOLONG;
            return -1;
        }
        int fd = open(temp.s, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// The picture in a new temporary file of the folder's shots/, every write
// and the close checked: 0 with its name in `temp`, else the error, and the
// file removed.
static int write_temp(const char* folder, const uint32_t* pixels, int w, int h, int pitch, PathText& temp)
{
    int fd = create_temp(folder, temp);
    if (fd < 0)
        return errno;
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        int error = errno;
        close(fd);
        unlink(temp.s);
        return error;
    }
    int error = encode_png(file, pixels, w, h, pitch);
    if (fclose(file) != 0 && !error)
        error = errno;
    if (error)
        unlink(temp.s);
    return error;
}

// Moves the finished temporary file to the first free name of the second
// into `path`: 0, or the error (EEXIST when every name is taken).
static int move_to_free_name(const char* temp, const char* folder, const struct tm* local, PathText& path)
{
    for (int number = 1; number <= SAME_SECOND_NAMES; ++number) {
        PathText name;
        if (!join_path(path, folder, screenshot_name(name, local, number)))
            return ENAMETOOLONG;
        int error = plat_rename_noreplace(temp, path.s);
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}

bool save_screenshot(const char* folder, const struct tm* local, const uint32_t* pixels, int w, int h,
    int pitch, PathText& path)
{
    PathText temp;
    int error = write_temp(folder, pixels, w, h, pitch, temp);
    if (!error) {
        error = move_to_free_name(temp.s, folder, local, path);
        if (error)
            unlink(temp.s);
    }
    if (error)
        log_message("failed to save screenshot in '%sshots': %s", folder, strerror(error));
    return !error;
}

// Whether screenshots may go beside the program. Not in a system package:
// its program directory belongs to the package manager, even for root.
#ifndef TARNWICK_SHOTS_BESIDE_PROGRAM
#define TARNWICK_SHOTS_BESIDE_PROGRAM 1
#endif

// True when the folder exists, made now if need be, can be written, and
// it and its parent are ours alone to write (owned by us, writable by no
// one else but our own primary group): in a folder that another user can
// write to, that user could take or swap the names of the pictures. A
// folder refused for that is logged.
static bool writable_folder(const char* dir)
{
    if (!plat_make_dirs(dir) || access(dir, W_OK) != 0)
        return false;
    PathText parent;
    copy_text(parent, dir);
    char* slash = strrchr(parent.s, '/');
    if (slash && slash != parent.s)
        *slash = 0;
    for (const char* d : {dir, static_cast<const char*>(parent.s)}) {
        struct stat st;
        if (stat(d, &st) != 0)
            return false;
        bool othersWrite
            = (st.st_mode & S_IWOTH) != 0 || ((st.st_mode & S_IWGRP) != 0 && st.st_gid != getegid());
        if (st.st_uid != geteuid() || othersWrite) {
            log_message("not saving screenshots in '%s': other users can write to '%s'", dir, d);
            return false;
        }
    }
    return true;
}

bool screenshot_folder(PathText& folder)
{
    PathText shots;
    resolve_path(folder, "");
    resolve_path(shots, "shots");
    if (TARNWICK_SHOTS_BESIDE_PROGRAM && writable_folder(shots.s))
        return true;
    const char* pictures = plat_pictures_dir();
    if (!*pictures) {
        log_message("screenshots are not saved: there is no home folder to keep them in");
        return false;
    }
    PathText fallback;
    if (join_path(folder, pictures, "/TARNWICK/") && join_path(fallback, folder.s, "shots")
        && writable_folder(fallback.s))
        return true;
    if (TARNWICK_SHOTS_BESIDE_PROGRAM)
        log_message("can't write screenshots into '%s' nor '%s/TARNWICK/shots'", shots.s, pictures);
    else
        log_message("can't write screenshots into '%s/TARNWICK/shots'", pictures);
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
    PathText path;
    bool saved = save_screenshot(folder.s, localtime_r(&now, &local), pixels, w, h, pitch, path);
    release_capture();
    if (!saved)
        return;
    PathText shown;
    log_message("screenshot captured to '%s' in %d ms", log_escaped(shown, path.s),
        static_cast<int>(ticks_to_ms(timer_now() - start)));
#ifdef __EMSCRIPTEN__
    // A page's files vanish with it: the player gets the picture to keep.
    plat_offer_download(path.s);
#endif
}
