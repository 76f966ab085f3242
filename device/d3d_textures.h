// d3d_textures.h - textures in one fixed table.
//
// A handle is the address of its entry and stays valid across device resets.
// Default-pool textures (render targets) are recreated empty after a reset,
// at the new screen size when they follow it; managed textures keep their
// contents. Pixels are 32-bit 0xAARRGGBB values, row 0 first; row 0 is the
// top row of a rendered picture and texture coordinate v = 0.
#pragma once

#include <stdint.h>

enum { MAX_TEXTURES = 1000 };

// Direct3D 9's codes, recorded as the caller gave them.
enum { TEXUSAGE_RENDERTARGET = 1, TEXUSAGE_DYNAMIC = 0x200 };
enum { TEXFMT_A8R8G8B8 = 21 };
enum { POOL_DEFAULT = 0, POOL_MANAGED = 1 };

// One table entry; free while texture is 0.
struct Texture {
    uint32_t texture; // the GL texture, or 0
    int32_t width;    // 0 together with height 0: follows the screen size
    int32_t height;
    int32_t levels; // mip levels; 0 = the whole chain
    uint32_t usage;
    uint32_t format;
    uint32_t pool;
    int32_t madeWidth, madeHeight; // the size of the GL texture's level 0
    uint32_t* lockCopy;            // the CPU copy of level 0 while locked, else null
    bool used;                     // from creation to destroy_texture, even while a reset took the texture
};

// Null (logged) when the table is full or the texture cannot be made.
Texture* create_texture_slot(
    int width, int height, int levels, uint32_t usage, uint32_t format, uint32_t pool);
// A screen-sized render target (default pool) for drawing into.
Texture* create_screen_texture();
// width x height, one level, filled through lock_texture; survives resets.
Texture* create_managed_texture(int width, int height);
// Releases the texture and frees the entry; null is ignored.
void destroy_texture(Texture* texture);

// The pixels of level 0 (pitch in bytes), uploaded by unlock_texture; with
// discard the contents start undefined. Null for a null or empty handle, and
// (logged) for a render target or a texture already locked.
uint32_t* lock_texture(Texture* texture, int* pitch, bool discard);
void unlock_texture(Texture* texture);

// Binds the texture (or nothing) to a sampler stage 0..15.
void set_texture(int stage, Texture* texture);
// Magnification, minification and mip filter of a stage: linear or point.
void set_texture_filter(int stage, bool linear);

// Around a reset and at close (the device calls these).
void release_default_pool_textures();
void recreate_default_pool_textures();
void release_all_textures();
