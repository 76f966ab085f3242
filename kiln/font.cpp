// font.cpp - the game's bitmap font, text and rectangle batch, loading screen.
#include "font.h"

#include "../libs/inc/misc/zu_utils.h"

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
}
