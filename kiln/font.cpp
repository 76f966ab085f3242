// font.cpp - the game's bitmap font, text and rectangle batch, loading screen.
#include "font.h"

#include "../device/d3d_misc.h"
#include "../device/d3d_render.h"
#include "../libs/inc/misc/zu_utils.h"

static const uint32_t LOADING_BACKGROUND = 0xff000a28;

static struct {
    ShortText status; // the loading screen's text
    float progress;   // negative: no bar
} loading;

void font_init()
{
    // The font image and its texture come with the device layer's textures.
}

void font_shutdown()
{
}

void font_update_scale()
{
}

void set_loading_status(const char* text, float progress)
{
    copy_text(loading.status, text);
    loading.progress = progress;
    draw_loading_frame();
}

void draw_loading_screen()
{
    // The status text and the progress bar come with the font batch.
    clear_color(LOADING_BACKGROUND);
}

void font_begin()
{
    // The batch comes with the font image and its texture.
}

void font_end()
{
}

void font_fill_rect(int, int, int, int, uint32_t)
{
}

int font_cell_height()
{
    return 8;
}

void font_flush(bool)
{
}

void font_frame_rect(int, int, int, int, uint32_t)
{
}

void font_draw_text(const char*, int, int, int, int, int, uint32_t)
{
}

void font_text_extent(const char*, int, int* w, int* h)
{
    *w = *h = 0;
}

void font_push_state()
{
}

void font_pop_state()
{
}

void font_set_scale(int)
{
}

int font_scale()
{
    return 1;
}

void font_set_spacing(int, int)
{
}
