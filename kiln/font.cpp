// font.cpp - the game's bitmap font, text and rectangle batch, loading screen.
#include "font.h"

#include <math.h>
#include <string.h>

#include "../core/display.h"
#include "../core/log.h"
#include "../core/tgaImage.h"
#include "../device/d3d_misc.h"
#include "../device/d3d_render.h"
#include "../device/d3d_shaders.h"
#include "../device/d3d_textures.h"
#include "../device/d3d_vbuf.h"
#include "../libs/inc/cont/zu_dynArray.h"
#include "glyphs.h"
#include "guiBehaviours.h"

enum {
    FONT_QUADS = 1024, // drawn per call
    VERTICES_PER_QUAD = 6,
    REG_PIXEL_MAPPING = 16, // display pixels to clip space
    REG_TEXEL_SIZE = 17,    // texels to texture coordinates
    // The default scale makes the cell height about a thirtieth of the display.
    LINES_PER_DISPLAY = 30,
};

static const uint32_t LOADING_BACKGROUND = 0xff000a28;
static const uint32_t SHADOW = 0x80000000;
static const uint32_t BAR_BACK = 0xff000000;
static const uint32_t BAR_FILL = 0xff32960a;

// One corner of a quad: display pixels from the bottom-left corner (y up),
// and texels of the font image, or -1 for a plain rectangle.
struct FontVertex {
    int16_t x, y;
    uint32_t colour; // 0xAARRGGBB
    int16_t u, v;
};
static_assert(sizeof(FontVertex) == 12, "the font's vertex stride is 12 bytes");

enum { FONT_BUFFER_BYTES = FONT_QUADS * VERTICES_PER_QUAD * static_cast<int>(sizeof(FontVertex)) };
static_assert(FONT_BUFFER_BYTES == 73728, "the font batch holds 1024 quads");

static const VertexElement FONT_ELEMENTS[] = {
    {0, 0, VDECL_SHORT2, VDECL_POSITION, 0},
    {4, 0, VDECL_D3DCOLOR, VDECL_COLOR, 0},
    {8, 0, VDECL_SHORT2, VDECL_TEXCOORD, 0},
    VDECL_END,
};

struct TextState {
    int lineSpacing;   // extra display pixels after each line
    int letterSpacing; // extra display pixels after each character
    int scale;         // display pixels per font pixel
};

static struct {
    Glyph glyphs[GLYPH_COUNT]; // these five are set by font_init
    int cellH;                 // 0 until the font is loaded
    int imageW, imageH;
    Texture* texture; // font_init to font_shutdown, like the three below
    Shader* shader;
    VertexDeclaration* decl;
    VertexBuffer* vb;
    TextState text;            // scale reset by font_init and font_update_scale
    DynArray<TextState> saved; // font_push_state / font_pop_state; emptied by font_shutdown
    // The buffer is a ring of quads: each batch is written after the last
    // one without waiting for the GPU; only a full ring starts again from
    // its first quad with a discarding lock.
    FontVertex* vbPtr; // the open batch (quad ringStart on) between font_begin and font_end, else null
    int quadCount;     // quads written since the last flush
    int ringStart;     // the open batch's first quad; 0 after font_init
} font;

static struct {
    ShortText status = {"Please wait..."}; // the loading screen's text
    float progress = -1.0f;                // negative: no bar
} loading;

static TextLayout text_layout()
{
    return {font.glyphs, font.cellH, font.text.scale, font.text.lineSpacing, font.text.letterSpacing};
}

static void compute_default_scale()
{
    int scale = screen_height() / (font.cellH * LINES_PER_DISPLAY);
    font.text.scale = scale > 1 ? scale : 1;
    log_message("font scale: %d", font.text.scale);
}

// The image into the texture, rows in their stored (bottom-first) order.
static void create_font_texture(const DynArray<uint32_t>& pixels)
{
    font.texture = create_managed_texture(font.imageW, font.imageH);
    if (!font.texture)
        fatal_error("can't create font texture");
    int pitch = 0;
    uint32_t* ptr = lock_texture(font.texture, &pitch, true);
    ASSERT(ptr);
    for (int y = 0; y < font.imageH; ++y)
        memcpy(reinterpret_cast<uint8_t*>(ptr) + static_cast<size_t>(y) * pitch, &pixels[y * font.imageW],
            sizeof(uint32_t) * font.imageW);
    unlock_texture(font.texture);
}

void font_init()
{
    DynArray<uint32_t> pixels;
    int w = 0, h = 0;
    if (!load_tga("font.tga", &w, &h, &pixels))
        fatal_error("can't load font.tga");
    if (!font_grid_fits(w, h))
        fatal_error("expected 16x16 font grid in font.tga, got %dx%d image", w, h);
    font.imageW = w;
    font.imageH = h;
    font.cellH = h / FONT_GRID;
    font.text = {0, 0, 1};
    compute_default_scale();
    build_glyph_table(pixels.data(), w, h, font.glyphs);
    set_gui_font_pixel_size(font.cellH);
    create_font_texture(pixels);
    font.shader = load_shader("font.sh", nullptr);
    font.decl = create_vertex_declaration(FONT_ELEMENTS);
    font.vb = create_vertex_buffer(FONT_BUFFER_BYTES, 0);
    if (!font.vb)
        fatal_error("can't create font vertex buffer");
    font.ringStart = 0;
}

void font_shutdown()
{
    destroy_vertex_buffer(font.vb);
    free_shader(font.shader);
    destroy_texture(font.texture);
    font.vb = nullptr;
    font.shader = nullptr;
    font.texture = nullptr;
    font.decl = nullptr;
    font.vbPtr = nullptr;
    font.quadCount = 0;
    font.cellH = 0;
    font.saved.free_all();
}

void font_update_scale()
{
    if (font.cellH > 0)
        compute_default_scale();
}

int font_cell_height()
{
    return font.cellH;
}

void set_loading_status(const char* text, float progress)
{
    copy_text(loading.status, text);
    loading.progress = progress;
    if (!d3d_created())
        return;
    set_backbuffer_target();
    set_cull(true);
    draw_loading_screen();
    present_frame();
}

void draw_loading_screen()
{
    clear_color(LOADING_BACKGROUND);
    if (!font.vb)
        return;
    int w = screen_width(), h = screen_height();
    font_begin();
    font_draw_text(loading.status.s, -1, w / 2, h / 4, 0, 0, 0xffffffff);
    if (loading.progress >= 0) {
        int lh = font.text.scale * font.cellH;
        int left = (w - w / 4) / 2, bottom = h / 4 - 3 * lh, top = bottom + 3 * lh / 2;
        font_fill_rect(left, bottom, left + w / 4, top, BAR_BACK);
        int filled = static_cast<int>(lroundf(static_cast<float>(w / 4) * loading.progress));
        font_fill_rect(left, bottom, left + filled, top, BAR_FILL);
    }
    font_end();
}

// Locks the ring from the next batch's first quad to its end; after a full
// ring the whole buffer, discarded.
static FontVertex* lock_batch()
{
    if (font.ringStart == FONT_QUADS)
        font.ringStart = 0;
    const int quadBytes = VERTICES_PER_QUAD * static_cast<int>(sizeof(FontVertex));
    void* p = font.ringStart == 0 ? lock_vertex_buffer(font.vb, 0, 0)
                                  : lock_vertex_buffer_no_overwrite(font.vb, font.ringStart * quadBytes,
                                      (FONT_QUADS - font.ringStart) * quadBytes);
    FontVertex* vbPtr = static_cast<FontVertex*>(p);
    ASSERT(vbPtr);
    return vbPtr;
}

void font_begin()
{
    const FontVertex* vbPtr = font.vbPtr;
    ASSERT(!vbPtr);
    set_vertex_declaration(font.decl);
    set_stream(0, font.vb, 0, sizeof(FontVertex));
    set_shader(font.shader);
    set_texture(0, font.texture);
    float w = static_cast<float>(screen_width()), h = static_cast<float>(screen_height());
    const float mapping[8] = {2 / w, 2 / h, -1 - 0.5f / w, 0.5f / h - 1,
        1.0f / static_cast<float>(font.imageW), 1.0f / static_cast<float>(font.imageH), 0, 0};
    set_vs_constants(REG_PIXEL_MAPPING, mapping, 2);
    set_texture_filter(0, false);
    set_cull(false);
    set_depth_test(false);
    set_depth_write(false);
    blend_alpha();
    alpha_test(1);
    font.vbPtr = lock_batch();
    font.quadCount = 0;
}

void font_flush(bool final)
{
    const FontVertex* vbPtr = font.vbPtr;
    ASSERT(vbPtr);
    if (font.quadCount == 0 && !final)
        return;
    unlock_vertex_buffer(font.vb);
    if (font.quadCount > 0)
        draw_prim(PRIM_TRIANGLE_LIST, font.ringStart * VERTICES_PER_QUAD, font.quadCount * 2);
    font.ringStart += font.quadCount;
    font.quadCount = 0;
    font.vbPtr = final ? nullptr : lock_batch();
}

void font_end()
{
    font_flush(true);
    set_cull(true);
    set_depth_test(true);
    set_depth_write(true);
    blend_off();
    alpha_test(0);
    set_texture_filter(0, true);
}

// Two triangles from (x0, y0) to (x1, y1) with texels (u0, v0) at the first
// corner and (u1, v1) at the opposite one.
static void emit_quad(int x0, int y0, int x1, int y1, int u0, int v0, int u1, int v1, uint32_t colour)
{
    const FontVertex* vbPtr = font.vbPtr;
    ASSERT(vbPtr);
    if (font.ringStart + font.quadCount == FONT_QUADS)
        font_flush(false);
    auto corner = [&](int x, int y, int u, int v) {
        return FontVertex{static_cast<int16_t>(x), static_cast<int16_t>(y), colour, static_cast<int16_t>(u),
            static_cast<int16_t>(v)};
    };
    FontVertex* q = font.vbPtr + font.quadCount * VERTICES_PER_QUAD;
    q[0] = corner(x0, y0, u0, v0);
    q[1] = corner(x0, y1, u0, v1);
    q[2] = corner(x1, y0, u1, v0);
    q[3] = q[2];
    q[4] = q[1];
    q[5] = corner(x1, y1, u1, v1);
    ++font.quadCount;
}

void font_fill_rect(int x0, int y0, int x1, int y1, uint32_t colour)
{
    emit_quad(x0, y0, x1, y1, -1, -1, -1, -1, colour);
}

void font_frame_rect(int x0, int y0, int x1, int y1, uint32_t colour)
{
    font_fill_rect(x0, y0, x1, y0 + 1, colour);
    font_fill_rect(x0, y1 - 1, x1, y1, colour);
    font_fill_rect(x0, y0 + 1, x0 + 1, y1 - 1, colour);
    font_fill_rect(x1 - 1, y0 + 1, x1, y1 - 1, colour);
}

void font_text_extent(const char* text, int length, int* w, int* h)
{
    glyph_text_extent(text_layout(), text, length, w, h);
}

void font_draw_text(const char* text, int length, int x, int y, int alignX, int alignY, uint32_t colour)
{
    if (!text)
        text = "";
    if (length < 0)
        length = static_cast<int>(strlen(text));
    int w, h;
    font_text_extent(text, length, &w, &h);
    const TextState& t = font.text;
    int lh = t.scale * font.cellH;
    int startX = x - (alignX + 1) * w / 2;
    int penX = startX;
    int baseline = y + t.lineSpacing + h - h * (alignY + 1) / 2 - lh;
    for (int i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            baseline -= lh + t.lineSpacing;
            penX = startX;
            continue;
        }
        const Glyph& g = font.glyphs[c];
        int glyphW = (g.right - g.left) * t.scale;
        if (c != 0 && c != ' ') {
            // The glyph's stored rows run bottom first: v = top is its lowest row.
            emit_quad(penX + 1, baseline - 1, penX + 1 + glyphW, baseline - 1 + lh, g.left, g.top, g.right,
                g.bottom, SHADOW);
            emit_quad(penX, baseline, penX + glyphW, baseline + lh, g.left, g.top, g.right, g.bottom, colour);
        }
        penX += glyphW + t.scale + t.letterSpacing;
    }
}

void font_push_state()
{
    font.saved.push(font.text);
}

void font_pop_state()
{
    font.text = font.saved.pop();
}

void font_set_scale(int scale)
{
    font.text.scale = scale;
}

int font_scale()
{
    return font.text.scale;
}

void font_set_spacing(int line_spacing, int letter_spacing)
{
    font.text.lineSpacing = line_spacing;
    font.text.letterSpacing = letter_spacing;
}
