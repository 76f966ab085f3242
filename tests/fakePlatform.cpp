// fakePlatform.cpp - a scriptable stand-in for the SDL platform layer.
#include "fakePlatform.h"

#include <errno.h>
#include <string.h>

FakePlatform fake;

void fake_reset()
{
    fake = FakePlatform();
}

int64_t plat_counter()
{
    if (fake.onCounterRead)
        fake.onCounterRead();
    return fake.counter;
}

int64_t plat_counter_frequency()
{
    return fake.frequency;
}

bool plat_exe_path(char* buffer, int size)
{
    if (!fake.exePathOk || static_cast<int>(fake.exePath.size()) >= size) {
        errno = fake.exePathOk ? ENAMETOOLONG : ENOENT;
        return false;
    }
    strcpy(buffer, fake.exePath.c_str());
    return true;
}

void plat_error_box(const char* title, const char* text)
{
    ++fake.errorBoxes;
    fake.boxTitle = title;
    fake.boxText = text;
}

bool plat_video_init(const char*)
{
    return true;
}

void plat_video_shutdown()
{
}

bool plat_work_area(PlatRect* area)
{
    *area = {0, 0, fake.desktopWidth, fake.desktopHeight - 40};
    return true;
}

bool plat_desktop_size(int* width, int* height)
{
    *width = fake.desktopWidth;
    *height = fake.desktopHeight;
    return true;
}

const char* plat_last_error()
{
    return "fake platform";
}

bool plat_create_window(const char*, int x, int y, int width, int height, int flags)
{
    fake.windowFullscreen = (flags & PLAT_WINDOW_FULLSCREEN) != 0;
    fake.windowRect = {x, y, x + width, y + height};
    if (fake.windowFullscreen)
        fake.windowRect = {0, 0, fake.desktopWidth, fake.desktopHeight};
    return true;
}

void plat_destroy_window()
{
}

bool plat_window_exists()
{
    return true;
}

void plat_client_size(int* width, int* height)
{
    *width = fake.windowRect.right - fake.windowRect.left;
    *height = fake.windowRect.bottom - fake.windowRect.top;
}

bool plat_window_minimised()
{
    return fake.minimised;
}

bool plat_window_focused()
{
    return fake.focused;
}

void plat_set_window_fullscreen(bool fullscreen)
{
    fake.windowFullscreen = fullscreen;
    if (fullscreen && fake.fullscreenGranted)
        fake.windowRect = {0, 0, fake.desktopWidth, fake.desktopHeight};
}

void plat_set_window_rect(int x, int y, int width, int height)
{
    fake.windowRect = {x, y, x + width, y + height};
}

void plat_window_rect(PlatRect* rect)
{
    *rect = fake.windowRect;
}

void plat_pump_events(WindowProc proc, int wait_ms)
{
    if (wait_ms > 0)
        fake.pumpWaits.push_back(wait_ms);
    bool handed = fake.onPump && fake.onPump(proc, wait_ms);
    if (wait_ms > 0 && !handed)
        fake.counter += wait_ms * fake.frequency / 1000;
}

int plat_modifier_flags()
{
    return fake.modifiers;
}

bool plat_key_held(int vk)
{
    return vk >= 0 && vk < 256 && fake.keyHeld[vk];
}

int plat_key_char(int vk, int, int flags)
{
    if (vk >= 'A' && vk <= 'Z')
        return (flags & 0x001) ? vk : vk + 32;
    return 0;
}

void plat_capture_mouse(bool capture)
{
    fake.captured = capture;
}

void plat_warp_mouse(int x, int y)
{
    ++fake.warpCount;
    fake.warpX = x;
    fake.warpY = y;
}

void plat_mouse_client_pos(int* x, int* y)
{
    *x = fake.mouseX;
    *y = fake.mouseY;
}

bool plat_cursor_in_client()
{
    return fake.cursorInClient;
}

void plat_show_cursor(bool show)
{
    fake.cursorVisible = show;
}

void plat_focus_window()
{
    ++fake.focusCount;
}

bool plat_pads_init()
{
    return true;
}

const char* plat_pad_name()
{
    return "fake pad";
}

bool plat_gl_create_context(bool)
{
    return false;
}

void plat_gl_destroy_context()
{
}
void plat_gl_swap()
{
}

void plat_gl_drawable_size(int* width, int* height)
{
    *width = *height = 0;
}

void plat_gl_set_vsync(bool)
{
}
