// d3d_render.cpp - the graphics device: creation, reset and frame pacing.
#include "d3d_render.h"

#include <epoxy/gl.h>

#include "../app/gameHooks.h"
#include "../app/log.h"
#include "../app/settings.h"
#include "../platform/platform.h"

// Assumed free texture memory when the driver has no memory-info extension.
static const uint32_t ESTIMATED_TEXTURE_MEMORY = 512u << 20;

static struct {
    bool created; // a context exists
    int width, height;
    bool fullscreen; // the current display mode
} device;

int screen_width()
{
    return device.width;
}

int screen_height()
{
    return device.height;
}

bool display_fullscreen()
{
    return device.fullscreen;
}

void set_display_fullscreen(bool fullscreen)
{
    device.fullscreen = fullscreen;
}

// Full screen always takes the desktop's size.
static void apply_display_mode(int* width, int* height)
{
    if (device.fullscreen)
        plat_desktop_size(width, height);
}

bool init_d3d(int width, int height)
{
    close_d3d();
    if (!plat_gl_create_context(settings().vsync))
        return false;
    device.created = true;
    apply_display_mode(&width, &height);
    device.width = width;
    device.height = height;
    log_message("init d3d ok (%dx%d)", width, height);
    return true;
}

void close_d3d()
{
    log_message("close d3d");
    if (device.created)
        plat_gl_destroy_context();
    device.created = false;
}

bool resize_d3d(int width, int height, bool fullscreen)
{
    if (!device.created)
        return false;
    if (width == 0)
        width = device.width;
    if (height == 0)
        height = device.height;
    if (width == device.width && height == device.height && fullscreen == device.fullscreen)
        return true;
    const char* mode = fullscreen ? "fullscreen" : "windowed";
    log_message("=== resizing d3d to %dx%d %s", width, height, mode);
    device.fullscreen = fullscreen;
    apply_display_mode(&width, &height);
    device.width = width;
    device.height = height;
    log_message("resized d3d to %dx%d %s", width, height, mode);
    game_resized();
    return true;
}

bool render_frame(float lag_seconds)
{
    if (!device.created)
        return false;
    glViewport(0, 0, device.width, device.height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    game_draw(lag_seconds);
    return true;
}

void present_frame()
{
    if (device.created)
        plat_gl_swap();
}

uint32_t available_texture_memory()
{
    ASSERT(device.created);
    if (epoxy_has_gl_extension("GL_NVX_gpu_memory_info")) {
        GLint kb = 0;
        glGetIntegerv(GL_GPU_MEMORY_INFO_CURRENT_AVAILABLE_VIDMEM_NVX, &kb);
        return static_cast<uint32_t>(kb) << 10;
    }
    if (epoxy_has_gl_extension("GL_ATI_meminfo")) {
        GLint info[4] = {};
        glGetIntegerv(GL_TEXTURE_FREE_MEMORY_ATI, info);
        return static_cast<uint32_t>(info[0]) << 10;
    }
    return ESTIMATED_TEXTURE_MEMORY;
}
