// d3d_render.cpp - the graphics device: creation, reset, scene target and frame pacing.
#include "d3d_render.h"

#include <stdio.h>

#include <algorithm>
#include <initializer_list>

#include "../core/log.h"
#include "../core/settings.h"
#include "../platform/platform.h"
#include "d3d_internal.h"
#include "d3d_misc.h"
#include "d3d_shaders.h"
#include "d3d_textures.h"
#include "d3d_vbuf.h"
#include "glApi.h"

// Assumed free texture memory when the driver has no memory-info extension:
// what a small discrete card of the game's era had, and what llvmpipe can
// comfortably hold in system memory.
static const uint32_t ESTIMATED_TEXTURE_MEMORY = 512u << 20;

static struct {
    bool created;      // init_d3d succeeded; cleared by close_d3d
    int width, height; // back-buffer size; set by init_d3d and each successful reset
    bool fullscreen;   // the display mode; set before the window exists, then only by resize_d3d
    ShortText failure; // why the last init_d3d failed
    // Scene targets, released before every reset and made again after it.
    int samples; // per pixel, 0 = not multisampled; chosen at each creation and reset
    GLuint sceneFbo, sceneColor, sceneDepth;
    GLuint resolveFbo; // reads the scene into a texture; lives with the device
    bool sceneBound;   // the scene targets are the render target (else the back buffer)
    // A copy of the back buffer taken at a presentation that was asked for
    // (keep_next_presented_frame), which is what the window shows afterwards;
    // made at the first request, released with the scene targets.
    // presented: the copy holds a frame; keepNext: the next presentation
    // fills it.
    GLuint frontFbo, frontColor;
    bool presented, keepNext;
    // Fences: the frame fences alternate, so the CPU runs at most two frames
    // ahead of the GPU. Released before every reset, made again after it.
    GLsync frameFence[2];
    int currentFence;
    GLsync flushFence;
} device;

// Set once by the program before the device is created; lives for the run.
static DeviceHooks hooks;

void set_device_hooks(const DeviceHooks& h)
{
    hooks = h;
}

bool d3d_created()
{
    return device.created;
}

// Work on other framebuffers binds them for a moment; this puts the render
// target back as it was.
static void rebind_current_target()
{
    glBindFramebuffer(GL_FRAMEBUFFER, device.sceneBound ? device.sceneFbo : 0);
}

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

bool d3d_exists()
{
    return device.created;
}

const char* d3d_failure()
{
    return device.failure.s;
}

uint32_t d3d_take_error()
{
    uint32_t first = glGetError();
    // Drain whatever else is queued so the next caller starts clean.
    while (glGetError() != GL_NO_ERROR) { }
    return first;
}

void current_target_size(int* width, int* height)
{
    *width = device.width;
    *height = device.height;
}

int scene_samples()
{
    return device.samples;
}

// The sample counts both scene formats support, as quality levels: level q
// is the q-th smallest count. Returns the number of levels.
// Without the format query every power of two up to the maximum is taken.
static int multisample_levels(int* counts, int max_counts)
{
    GLint maxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    const GLenum formats[2] = {GL_RGBA8, GL_DEPTH24_STENCIL8};
    const bool query = gl_has_format_query();
    GLint listed[2] = {}, lists[2][16] = {};
    for (int f = 0; query && f < 2; ++f) {
        glGetInternalformativ(GL_RENDERBUFFER, formats[f], GL_NUM_SAMPLE_COUNTS, 1, &listed[f]);
        glGetInternalformativ(GL_RENDERBUFFER, formats[f], GL_SAMPLES, 16, lists[f]);
    }
    auto supported = [&](int f, int samples) {
        for (int i = 0; i < listed[f] && i < 16; ++i)
            if (lists[f][i] == samples)
                return true;
        return false;
    };
    int n = 0;
    for (int samples = 2; samples <= maxSamples && n < max_counts; samples *= 2)
        if (!query || (supported(0, samples) && supported(1, samples)))
            counts[n++] = samples;
    return n;
}

// What Direct3D's presentation parameters decide here: the presentation
// interval and the scene's multisampling. The back buffer takes the size it
// is given in either mode: the window's, which full screen need not change.
static void choose_presentation()
{
    plat_gl_set_vsync(settings().vsync);
    int counts[8];
    int levels = multisample_levels(counts, 8);
    device.samples = 0;
    if (levels > 0 && settings().antialias) {
        device.samples = counts[levels - 1];
        log_message("AA quality %d", levels);
    }
}

static void release_front_copy()
{
    if (device.frontFbo)
        glDeleteFramebuffers(1, &device.frontFbo);
    if (device.frontColor)
        glDeleteRenderbuffers(1, &device.frontColor);
    device.frontFbo = device.frontColor = 0;
    device.presented = device.keepNext = false;
}

// Opaque RGB: the copy reads back with alpha 255 whatever the back buffer
// holds in its alpha channel. Without it screenshots fail; the game goes on.
static void create_front_copy()
{
    d3d_take_error();
    glGenRenderbuffers(1, &device.frontColor);
    glBindRenderbuffer(GL_RENDERBUFFER, device.frontColor);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, device.width, device.height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glGenFramebuffers(1, &device.frontFbo);
    glBindFramebuffer(GL_FRAMEBUFFER, device.frontFbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, device.frontColor);
    uint32_t code = d3d_take_error();
    GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    rebind_current_target();
    if (code || status != GL_FRAMEBUFFER_COMPLETE) {
        log_message("FAILED to create the presented-frame copy (0x%08X)", code ? code : status);
        release_front_copy();
    }
}

static void release_scene_targets()
{
    release_front_copy();
    if (device.sceneFbo)
        glDeleteFramebuffers(1, &device.sceneFbo);
    if (device.sceneDepth)
        glDeleteRenderbuffers(1, &device.sceneDepth);
    if (device.sceneColor)
        glDeleteRenderbuffers(1, &device.sceneColor);
    device.sceneFbo = device.sceneDepth = device.sceneColor = 0;
    if (device.sceneBound)
        set_backbuffer_target();
}

static GLuint make_renderbuffer(GLenum format)
{
    GLuint rb = 0;
    glGenRenderbuffers(1, &rb);
    glBindRenderbuffer(GL_RENDERBUFFER, rb);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, device.samples, format, device.width, device.height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    return rb;
}

static bool create_scene_targets()
{
    d3d_take_error();
    device.sceneColor = make_renderbuffer(GL_RGBA8);
    if (uint32_t code = d3d_take_error()) {
        log_message("FAILED to create scene render target surface (0x%08X)", code);
        release_scene_targets();
        return false;
    }
    device.sceneDepth = make_renderbuffer(GL_DEPTH24_STENCIL8);
    glGenFramebuffers(1, &device.sceneFbo);
    glBindFramebuffer(GL_FRAMEBUFFER, device.sceneFbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, device.sceneColor);
    glFramebufferRenderbuffer(
        GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, device.sceneDepth);
    uint32_t code = d3d_take_error();
    GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (code || status != GL_FRAMEBUFFER_COMPLETE) {
        log_message("FAILED to create scene z-buffer surface (0x%08X)", code ? code : status);
        release_scene_targets();
        return false;
    }
    return true;
}

static void release_fences()
{
    for (GLsync* f : {&device.frameFence[0], &device.frameFence[1], &device.flushFence}) {
        if (*f)
            glDeleteSync(*f);
        *f = nullptr;
    }
}

// Each fence starts issued, so the first frames find it passed.
static void create_fences()
{
    for (GLsync* f : {&device.frameFence[0], &device.frameFence[1], &device.flushFence})
        *f = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    device.currentFence = 0;
}

static void issue_fence(GLsync* fence)
{
    if (*fence)
        glDeleteSync(*fence);
    *fence = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
}

static bool init_failed(const char* why)
{
    log_message("%s", why);
    close_d3d();
    copy_text(device.failure, why);
    return false;
}

bool init_d3d(int width, int height)
{
    close_d3d();
    copy_text(device.failure, "");
    if (!plat_gl_create_context(settings().vsync)) {
        log_message("can't create OpenGL context: %s", plat_last_error());
        copy_text(device.failure, "no OpenGL 3.3 core context on the window");
        return false;
    }
    if (const char* missing = gl_begin_context())
        return init_failed(missing);
    device.created = true;
    choose_presentation();
    device.width = width;
    device.height = height;
    create_vertex_input();
    set_default_states();
    glGenFramebuffers(1, &device.resolveFbo);
    set_backbuffer_target();
    if (!create_scene_targets())
        return init_failed("can't create the scene render targets");
    create_fences();
    set_sampler_defaults();
    log_message("init d3d ok (%dx%d)", width, height);
    return true;
}

void close_d3d()
{
    log_message("close d3d");
    if (!device.created) {
        plat_gl_destroy_context();
        return;
    }
    release_fences();
    release_all_textures();
    release_all_buffers();
    release_all_vertex_declarations();
    release_all_shaders();
    release_scene_targets();
    if (device.resolveFbo)
        glDeleteFramebuffers(1, &device.resolveFbo);
    device.resolveFbo = 0;
    release_samplers();
    release_vertex_input();
    plat_gl_destroy_context();
    device.created = false;
}

// Releases every default-pool resource and makes it again for the size and
// mode, choosing the presentation settings anew.
static bool reset_device(int width, int height, bool fullscreen)
{
    const char* mode = fullscreen ? "fullscreen" : "windowed";
    log_message("=== resizing d3d to %dx%d %s", width, height, mode);
    release_default_pool_buffers();
    release_default_pool_textures();
    release_fences();
    release_scene_targets();
    device.fullscreen = fullscreen;
    choose_presentation();
    // OpenGL has no reset that could fail: the context stays, the back
    // buffer follows the window.
    device.width = width;
    device.height = height;
    recreate_default_pool_textures();
    recreate_default_pool_buffers();
    if (!create_scene_targets()) {
        log_message("failed to recreate scene RT");
        return false;
    }
    create_fences();
    set_sampler_defaults();
    log_message("resized d3d to %dx%d %s", width, height, mode);
    if (hooks.resized)
        hooks.resized();
    return true;
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
    return reset_device(width, height, fullscreen);
}

bool reset_d3d()
{
    if (!device.created)
        return false;
    return reset_device(device.width, device.height, device.fullscreen);
}

bool render_frame(float lag_seconds)
{
    if (!device.created)
        return false;
    if (GLsync fence = device.frameFence[device.currentFence])
        if (!gl_fence_passed(fence))
            return false;
    set_cull(true);
    if (hooks.draw)
        hooks.draw(lag_seconds);
    issue_fence(&device.frameFence[device.currentFence]);
    device.currentFence ^= 1;
    return true;
}

bool wait_for_frame_slot(int timeout_us)
{
    ASSERT(timeout_us >= 0);
    if (!device.created)
        return false;
    GLsync fence = device.frameFence[device.currentFence];
    return !fence || gl_wait_fence_for(fence, static_cast<uint64_t>(timeout_us) * 1000);
}

void present_frame()
{
    if (!device.created)
        return;
    if (!gl_errors_are_cheap())
        if (uint32_t code = d3d_take_error())
            fatal_error("drawing a frame failed (0x%08X)", code);
    if (device.keepNext && device.frontFbo) {
        device.keepNext = false;
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, device.frontFbo);
        glBlitFramebuffer(0, 0, device.width, device.height, 0, 0, device.width, device.height,
            GL_COLOR_BUFFER_BIT, GL_NEAREST);
        rebind_current_target();
        device.presented = true;
    }
    plat_gl_swap();
}

void keep_next_presented_frame()
{
    if (!device.created)
        return;
    if (!device.frontFbo)
        create_front_copy();
    device.keepNext = device.frontFbo != 0;
}

bool read_presented_frame(uint32_t* pixels)
{
    if (!device.created || !device.presented)
        return false;
    int w = device.width, h = device.height;
    d3d_take_error();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, device.frontFbo);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    gl_read_pixels(w, h, pixels);
    rebind_current_target();
    if (uint32_t code = d3d_take_error()) {
        log_message("FAILED to read the presented frame (0x%08X)", code);
        return false;
    }
    // The copy's rows run bottom first, as the back buffer's do.
    for (int y = 0; y < h / 2; ++y)
        std::swap_ranges(pixels + static_cast<size_t>(y) * w, pixels + static_cast<size_t>(y + 1) * w,
            pixels + static_cast<size_t>(h - 1 - y) * w);
    return true;
}

// The origin follows the target: rows top first in the scene targets (and so
// in every texture drawn from them, where v = 0 is the top as in Direct3D),
// bottom first in the back buffer, which the window shows bottom row down.
static void bind_target(GLuint fbo, bool top_first)
{
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glViewport(0, 0, device.width, device.height);
    gl_set_target_origin(top_first);
    glFrontFace(gl_front_face());
}

void set_scene_target()
{
    bind_target(device.sceneFbo, true);
    device.sceneBound = true;
}

void set_backbuffer_target()
{
    bind_target(0, false);
    device.sceneBound = false;
}

void resolve_scene_to(Texture* texture)
{
    GLuint t = texture ? texture->texture : 0;
    ASSERT(t);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, device.resolveFbo);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, device.sceneFbo);
    int w = texture->madeWidth < device.width ? texture->madeWidth : device.width;
    int h = texture->madeHeight < device.height ? texture->madeHeight : device.height;
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    rebind_current_target();
}

// Saturates at 4 GB, the most the 32-bit result can tell.
static uint32_t kilobytes_to_bytes(GLint kb)
{
    uint64_t bytes = static_cast<uint64_t>(kb > 0 ? kb : 0) << 10;
    return bytes > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(bytes);
}

uint32_t available_texture_memory()
{
    bool d3d = device.created;
    ASSERT(d3d);
    if (gl_has_extension("GL_NVX_gpu_memory_info")) {
        GLint kb = 0;
        glGetIntegerv(GL_GPU_MEMORY_INFO_CURRENT_AVAILABLE_VIDMEM_NVX, &kb);
        return kilobytes_to_bytes(kb);
    }
    if (gl_has_extension("GL_ATI_meminfo")) {
        GLint info[4] = {};
        glGetIntegerv(GL_TEXTURE_FREE_MEMORY_ATI, info);
        return kilobytes_to_bytes(info[0]);
    }
    return ESTIMATED_TEXTURE_MEMORY;
}

void flush_gpu()
{
    GLsync& flush_query = device.flushFence;
    ASSERT(flush_query);
    issue_fence(&flush_query);
    gl_wait_fence(flush_query);
}
