// d3d_textures.cpp - textures in one fixed table.
#include "d3d_textures.h"

#include <stdlib.h>

#include "../core/display.h"
#include "../core/log.h"
#include "d3d_internal.h"
#include "glApi.h"

enum {
    UNBOUND_STAGES = 32, // stages a reset unbinds
    // Creation and uploads bind here, so the stages' bindings stay as set.
    SCRATCH_UNIT = 31,
};

static struct {
    Texture entries[MAX_TEXTURES];   // create_texture_slot to destroy_texture or release_all_textures
    GLuint samplers[SAMPLER_STAGES]; // the stages' filters and addressing; made with the device
} textures;

static void bind_scratch(GLuint texture)
{
    glActiveTexture(GL_TEXTURE0 + SCRATCH_UNIT);
    glBindTexture(GL_TEXTURE_2D, texture);
}

static int full_chain(int w, int h)
{
    int levels = 1;
    while ((w | h) >> levels)
        ++levels;
    return levels;
}

// Makes the GL texture from the entry's record; returns the failure code, 0 on success.
static uint32_t create_gl_texture(Texture* t)
{
    int w = t->width, h = t->height;
    if (w == 0 && h == 0) {
        w = screen_width();
        h = screen_height();
    }
    if (t->format != TEXFMT_A8R8G8B8)
        return GL_INVALID_ENUM;
    if (w <= 0 || h <= 0)
        return GL_INVALID_VALUE;
    int levels = t->levels > 0 ? t->levels : full_chain(w, h);
    d3d_take_error();
    GLuint name = 0;
    glGenTextures(1, &name);
    bind_scratch(name);
    for (int l = 0; l < levels; ++l) {
        int lw = w >> l > 0 ? w >> l : 1, lh = h >> l > 0 ? h >> l : 1;
        gl_texture_image(l, lw, lh, nullptr);
    }
    // Without this a one-level texture would be incomplete under mip filtering.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, levels - 1);
    bind_scratch(0);
    uint32_t code = d3d_take_error();
    if (code) {
        glDeleteTextures(1, &name);
        return code;
    }
    t->texture = name;
    t->madeWidth = w;
    t->madeHeight = h;
    return 0;
}

static void release_gl_texture(Texture* t)
{
    if (t->texture)
        glDeleteTextures(1, &t->texture);
    free(t->lockCopy);
    t->texture = 0;
    t->lockCopy = nullptr;
}

Texture* create_texture_slot(
    int width, int height, int levels, uint32_t usage, uint32_t format, uint32_t pool)
{
    Texture* t = nullptr;
    for (Texture& e : textures.entries) {
        if (!e.used) {
            t = &e;
            break;
        }
    }
    if (!t) {
        log_message("reached MAX_TEXTURES");
        return nullptr;
    }
    *t = {0, width, height, levels, usage, format, pool, 0, 0, nullptr, true};
    if (uint32_t code = create_gl_texture(t)) {
        log_message("error creating texture (code 0x%08X)", code);
        *t = {};
        return nullptr;
    }
    return t;
}

Texture* create_screen_texture()
{
    return create_texture_slot(0, 0, 1, TEXUSAGE_RENDERTARGET, TEXFMT_A8R8G8B8, POOL_DEFAULT);
}

Texture* create_managed_texture(int width, int height)
{
    return create_texture_slot(width, height, 1, 0, TEXFMT_A8R8G8B8, POOL_MANAGED);
}

void destroy_texture(Texture* texture)
{
    if (!texture)
        return;
    release_gl_texture(texture);
    *texture = {};
}

uint32_t* lock_texture(Texture* texture, int* pitch, bool discard)
{
    if (!texture || !texture->texture)
        return nullptr;
    // Render targets live on the GPU only, as Direct3D's default pool does.
    if ((texture->usage & TEXUSAGE_RENDERTARGET) || texture->lockCopy) {
        log_message("error locking texture (code 0x%08X)", GL_INVALID_OPERATION);
        return nullptr;
    }
    size_t pixels = static_cast<size_t>(texture->madeWidth) * texture->madeHeight;
    texture->lockCopy = static_cast<uint32_t*>(calloc(pixels, 4));
    if (!discard) {
        bind_scratch(texture->texture);
        gl_read_texture(texture->texture, texture->madeWidth, texture->madeHeight, texture->lockCopy);
        bind_scratch(0);
    }
    *pitch = texture->madeWidth * 4;
    return texture->lockCopy;
}

void unlock_texture(Texture* texture)
{
    if (!texture || !texture->lockCopy)
        return;
    bind_scratch(texture->texture);
    gl_texture_update(texture->madeWidth, texture->madeHeight, texture->lockCopy);
    if (texture->levels != 1)
        glGenerateMipmap(GL_TEXTURE_2D);
    bind_scratch(0);
    free(texture->lockCopy);
    texture->lockCopy = nullptr;
}

void set_texture(int stage, Texture* texture)
{
    ASSERT(stage >= 0 && stage < SAMPLER_STAGES);
    glActiveTexture(GL_TEXTURE0 + stage);
    glBindTexture(GL_TEXTURE_2D, texture ? texture->texture : 0);
}

void set_texture_filter(int stage, bool linear)
{
    ASSERT(stage >= 0 && stage < SAMPLER_STAGES);
    GLuint s = textures.samplers[stage];
    glSamplerParameteri(s, GL_TEXTURE_MAG_FILTER, linear ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(
        s, GL_TEXTURE_MIN_FILTER, linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST);
}

void set_sampler_defaults()
{
    if (!textures.samplers[0])
        glGenSamplers(SAMPLER_STAGES, textures.samplers);
    for (int stage = 0; stage < SAMPLER_STAGES; ++stage) {
        GLuint s = textures.samplers[stage];
        glBindSampler(stage, s);
        set_texture_filter(stage, true);
        glSamplerParameteri(s, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glSamplerParameteri(s, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glSamplerParameteri(s, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    }
}

void release_samplers()
{
    if (textures.samplers[0])
        glDeleteSamplers(SAMPLER_STAGES, textures.samplers);
    for (GLuint& s : textures.samplers)
        s = 0;
}

void release_default_pool_textures()
{
    for (int stage = 0; stage < UNBOUND_STAGES; ++stage) {
        glActiveTexture(GL_TEXTURE0 + stage);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    for (Texture& t : textures.entries)
        if (t.used && t.pool == POOL_DEFAULT)
            release_gl_texture(&t);
}

void recreate_default_pool_textures()
{
    for (Texture& t : textures.entries) {
        if (!t.used || t.pool != POOL_DEFAULT || t.texture)
            continue;
        if (uint32_t code = create_gl_texture(&t))
            log_message("error recreating texture (code 0x%08X)", code);
    }
}

void release_all_textures()
{
    for (Texture& t : textures.entries) {
        release_gl_texture(&t);
        t = {};
    }
}
