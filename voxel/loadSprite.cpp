// loadSprite.cpp - voxel sprites: small voxel models stored as PNG images.
#include "loadSprite.h"

#include <png.h>
#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../core/log.h"
#include "../core/paths.h"
#include "dynCubeRender.h"
#include "levelGrid.h"

// A pixel's bytes B, G, R, A are read as one 0xAARRGGBB value.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "sprite pixels are read as little-endian words");

enum {
    MAX_SPRITE_COLOURS = 256, // the empty entry included
    // A million voxels (128 x 64 x 128, say); the game's sprites have a few
    // thousand. A file that claims more is refused before its pixels are
    // allocated, so that a small hostile file can neither make the reader
    // allocate gigabytes nor overrun the 32-bit voxel count.
    MAX_SPRITE_PIXELS = 1 << 20,
    // The largest single allocation the reader lets libpng make: the decoded
    // image of MAX_SPRITE_PIXELS at 8 bytes a pixel. Chunk lengths come
    // straight from the file, and libpng allocates a chunk before it finds
    // that the file ends early; refusing here turns that into an error.
    MAX_PNG_ALLOCATION = 8 * MAX_SPRITE_PIXELS,
};

// Everything a read holds, kept outside the function that sets the libpng
// jump point so that nothing in it becomes indeterminate after an error.
struct SpriteRead {
    const char* name;
    FILE* file;
    png_structp png;
    png_infop info;
    uint8_t* image; // the decoded rows, rowBytes each
    png_bytep* rows;
    size_t rowBytes;
    uint32_t width, height;
};

// The colour table of one image being built into a sprite.
struct SpriteColours {
    uint32_t colours[MAX_SPRITE_COLOURS];
    int count;
    int lastIndex; // the entry colour_index found last, or -1
};

static void png_failed(png_structp png, png_const_charp message)
{
    const SpriteRead* r = static_cast<const SpriteRead*>(png_get_error_ptr(png));
    log_message("voxel PNG '%s': %s", r->name, message);
    png_longjmp(png, 1);
}

static png_voidp png_allocate(png_structp, png_alloc_size_t size)
{
    return size <= MAX_PNG_ALLOCATION ? malloc(size) : nullptr;
}

static void png_release(png_structp, png_voidp p)
{
    free(p);
}

static void png_warned(png_structp, png_const_charp)
{
    // Warnings (unknown chunks, odd gamma) do not matter to a voxel grid.
}

// The leading decimal digits of a text; whatever follows them is ignored.
// Values too large for 32 bits saturate, so that products of two of them
// still fit into 64 bits.
static uint64_t leading_number(const char* text)
{
    uint64_t v = 0;
    for (const char* p = text; *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + static_cast<uint64_t>(*p - '0');
        if (v > UINT32_MAX)
            return UINT32_MAX;
    }
    return v;
}

// The grid size's texts from the text chunks, in the order libpng met them;
// a keyword seen twice takes its last value, a missing one stays null.
static void grid_texts(SpriteRead* r, const char* texts[3])
{
    static const char* const KEYS[3] = {"VoxelGridDimX", "VoxelGridDimY", "VoxelGridDimZ"};
    texts[0] = texts[1] = texts[2] = nullptr;
    png_textp chunks = nullptr;
    int count = png_get_text(r->png, r->info, &chunks, nullptr);
    for (int i = 0; i < count; ++i)
        for (int d = 0; d < 3; ++d)
            if (chunks[i].key && strcmp(chunks[i].key, KEYS[d]) == 0)
                texts[d] = chunks[i].text ? chunks[i].text : "";
}

// The palette index of a colour in the table (the first match from entry 0),
// or -1. Neighbouring pixels mostly share a colour, so the last answer is
// kept; it cannot differ from the search's, as every entry is distinct.
static int colour_index(SpriteColours* t, uint32_t colour)
{
    if (t->lastIndex >= 0 && t->colours[t->lastIndex] == colour)
        return t->lastIndex;
    for (int i = 0; i < t->count; ++i)
        if (t->colours[i] == colour)
            return t->lastIndex = i;
    return -1;
}

// The colour table in the order the colours first appear, rows from the top;
// false when there are more than the table holds.
static bool collect_colours(const VoxelSpriteImage& image, SpriteColours* t)
{
    t->colours[0] = 0;
    t->count = 1;
    t->lastIndex = -1;
    size_t n = size_t(image.width) * image.height;
    for (size_t i = 0; i < n; ++i) {
        uint32_t c = image.pixels[i];
        if (colour_index(t, c) >= 0)
            continue;
        if (t->count == MAX_SPRITE_COLOURS)
            return false;
        t->colours[t->count++] = c;
    }
    return true;
}

// Decodes the whole image with the expand and BGR transforms into r->image.
static void decode_image(SpriteRead* r)
{
    png_read_info(r->png, r->info);
    r->width = png_get_image_width(r->png, r->info);
    r->height = png_get_image_height(r->png, r->info);
    if (static_cast<uint64_t>(r->width) * r->height > MAX_SPRITE_PIXELS)
        png_error(r->png, "PNG voxel image too large");
    png_set_expand(r->png);
    png_set_bgr(r->png);
    png_set_interlace_handling(r->png);
    png_read_update_info(r->png, r->info);
    r->rowBytes = png_get_rowbytes(r->png, r->info);
    // At most 8 bytes a pixel (16-bit RGBA), so the size stays far below 2^32.
    r->image = static_cast<uint8_t*>(png_malloc(r->png, r->rowBytes * r->height));
    r->rows = static_cast<png_bytep*>(png_malloc(r->png, sizeof(png_bytep) * r->height));
    for (uint32_t y = 0; y < r->height; ++y)
        r->rows[y] = r->image + y * r->rowBytes;
    png_read_image(r->png, r->rows);
    png_read_end(r->png, r->info);
}

static VoxelSprite* new_sprite(int nx, int ny, int nz, int colours)
{
    VoxelSprite* s = static_cast<VoxelSprite*>(calloc(1, sizeof(VoxelSprite)));
    if (!s)
        return nullptr;
    s->nx = nx, s->ny = ny, s->nz = nz;
    s->palette = static_cast<uint32_t*>(calloc(static_cast<size_t>(colours), sizeof(uint32_t)));
    s->voxels = static_cast<uint8_t*>(malloc(static_cast<size_t>(nx) * ny * nz));
    if (!s->palette || !s->voxels) {
        voxel_sprite_free(s);
        return nullptr;
    }
    return s;
}

VoxelSprite* voxel_sprite_from_image(const VoxelSpriteImage& image, const char** why)
{
    uint64_t dims[3];
    for (int d = 0; d < 3; ++d)
        dims[d] = image.dims[d] ? leading_number(image.dims[d]) : 0;
    *why = nullptr;
    if (!dims[0] || !dims[1] || !dims[2])
        *why = "no voxel grid dimensions in PNG";
    else if (dims[0] * dims[2] != image.width || dims[1] != image.height)
        *why = "voxel and PNG image size mismatch";
    else if (!image.eightBitRgba)
        *why = "expected four 8-bit channels in PNG";
    if (*why)
        return nullptr;
    SpriteColours table;
    if (!collect_colours(image, &table)) {
        *why = "too many colors in PNG voxel image";
        return nullptr;
    }
    int nx = static_cast<int>(dims[0]), ny = static_cast<int>(dims[1]), nz = static_cast<int>(dims[2]);
    VoxelSprite* s = new_sprite(nx, ny, nz, table.count);
    if (!s) {
        *why = "out of memory for the voxel sprite";
        return nullptr;
    }
    memcpy(s->palette, table.colours, sizeof(uint32_t) * table.count);
    for (uint32_t py = 0; py < image.height; ++py)
        for (uint32_t px = 0; px < image.width; ++px) {
            int x = static_cast<int>(px) % nx, y = ny - 1 - static_cast<int>(py),
                z = static_cast<int>(px) / nx;
            uint32_t c = image.pixels[size_t(py) * image.width + px];
            s->voxels[x + nx * (y + ny * z)] = static_cast<uint8_t>(colour_index(&table, c));
        }
    return s;
}

// Reads the file and builds the sprite; on any libpng error (including the
// format errors raised here) returns null, leaving the cleaning up to the
// caller.
static VoxelSprite* read_sprite(SpriteRead* r)
{
    if (setjmp(png_jmpbuf(r->png)))
        return nullptr;
    png_init_io(r->png, r->file);
    decode_image(r);
    VoxelSpriteImage image = {};
    image.width = r->width;
    image.height = r->height;
    image.eightBitRgba = png_get_bit_depth(r->png, r->info) == 8 && png_get_channels(r->png, r->info) == 4;
    // Four 8-bit channels make rows of exactly width words.
    image.pixels = reinterpret_cast<const uint32_t*>(r->image);
    grid_texts(r, image.dims);
    const char* why = nullptr;
    VoxelSprite* s = voxel_sprite_from_image(image, &why);
    if (!s)
        png_error(r->png, why);
    return s;
}

VoxelSprite* load_voxel_sprite(const char* name)
{
    PathText path;
    SpriteRead r = {};
    r.name = name;
    r.file = fopen(resolve_path(path, name), "rb");
    if (!r.file) {
        log_message("can't open voxel PNG '%s'", name);
        return nullptr;
    }
    VoxelSprite* sprite = nullptr;
    r.png = png_create_read_struct_2(
        PNG_LIBPNG_VER_STRING, &r, png_failed, png_warned, nullptr, png_allocate, png_release);
    if (r.png)
        r.info = png_create_info_struct(r.png);
    if (r.info)
        sprite = read_sprite(&r);
    if (r.png) {
        png_free(r.png, r.rows);
        png_free(r.png, r.image);
    }
    png_destroy_read_struct(&r.png, r.info ? &r.info : nullptr, nullptr);
    fclose(r.file);
    if (sprite)
        log_message("voxel PNG from '%s' ok", name);
    return sprite;
}

VoxelSprite* voxel_sprite_from_grid(int x0, int y0, int z0, int x1, int y1, int z1)
{
    int nx = x1 - x0 + 1, ny = y1 - y0 + 1, nz = z1 - z0 + 1;
    ASSERT(nx > 0 && ny > 0 && nz > 0);
    ASSERT(x0 >= 0 && y0 >= 0 && z0 >= 0);
    ASSERT(x1 < LEVEL_SIZE_X && y1 < LEVEL_SIZE_Y && z1 < LEVEL_SIZE_Z);
    VoxelSprite* s = new_sprite(nx, ny, nz, LEVEL_PALETTE_SIZE);
    if (!s)
        fatal_error("out of memory for a voxel sprite of %dx%dx%d", nx, ny, nz);
    memcpy(s->palette, palette_colors(), sizeof(uint32_t) * LEVEL_PALETTE_SIZE);
    const uint8_t* grid = level_grid();
    for (int z = 0; z < nz; ++z)
        for (int y = 0; y < ny; ++y)
            memcpy(s->voxels + nx * (y + ny * z), grid + level_voxel_index(x0, y0 + y, z0 + z),
                static_cast<size_t>(nx));
    return s;
}

void voxel_sprite_draw(const VoxelSprite* sprite, int ox, int oy, int oz, bool mirror)
{
    ASSERT(sprite);
    draw_voxel_box(sprite->voxels, 1, sprite->nx, sprite->nx * sprite->ny, sprite->nx, sprite->ny, sprite->nz,
        sprite->palette, ox, oy, oz, mirror ? VOXEL_BOX_MIRROR_X : 0);
}

void voxel_sprite_free(VoxelSprite* sprite)
{
    if (!sprite)
        return;
    free(sprite->palette);
    free(sprite->voxels);
    free(sprite);
}
