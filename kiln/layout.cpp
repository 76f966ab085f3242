// layout.cpp - measuring elements and the one-pass top-down layout.
#include "layout.h"

enum {
    NO_SCREEN_UNIT = 8,
    NO_SCREEN_WIDTH = 640,
    NO_SCREEN_HEIGHT = 480,
    AXIS_TERMS = 7,
};

// Indexes into the seven terms of an axis.
enum { MARGIN_START, BORDER_START, PADDING_START, SIZE, PADDING_END, BORDER_END, MARGIN_END };

static int screen_unit(GuiScreen* screen)
{
    return screen ? static_cast<int>(screen->unit()) : NO_SCREEN_UNIT;
}

void content_size(GuiElement* element, GuiScreen* screen, float* w, float* h)
{
    *w = *h = 0;
    if (screen)
        screen->measure(element, w, h);
    for (GuiElement* child : element->children) {
        float cw, ch;
        natural_size(child, screen, &cw, &ch);
        if (cw > *w)
            *w = cw;
        if (ch > *h)
            *h = ch;
    }
}

// An auto width or height stands for the content's size, in pixels.
static void resolve_auto_size(GuiElement* element, GuiScreen* screen, GuiLen* width, GuiLen* height)
{
    *width = element->width;
    *height = element->height;
    if (width->mode != GUILEN_AUTO && height->mode != GUILEN_AUTO)
        return;
    float cw, ch;
    content_size(element, screen, &cw, &ch);
    if (width->mode == GUILEN_AUTO)
        *width = gui_pixels(cw);
    if (height->mode == GUILEN_AUTO)
        *height = gui_pixels(ch);
}

// Pixels, units and percentages are summed apart: a percentage of the parent
// that the element itself is part of grows the whole width.
static float natural_width(const GuiLen terms[AXIS_TERMS], int unit)
{
    float pixels = 0, units = 0, percent = 0;
    for (int i = 0; i < AXIS_TERMS; ++i) {
        const GuiLen& t = terms[i];
        switch (t.mode) {
        case GUILEN_AUTO:
            break;
        case GUILEN_PIXELS:
            pixels += t.value;
            break;
        case GUILEN_UNITS:
            units += t.value;
            break;
        case GUILEN_PERCENT:
            percent += t.value * 0.01f;
            break;
        default:
            ASSERT(!"unknown GuiLen mode");
            break;
        }
    }
    float w = pixels + units * static_cast<float>(unit);
    return percent < 1 ? w / (1 - percent) : w;
}

void natural_size(GuiElement* e, GuiScreen* screen, float* w, float* h)
{
    int unit = screen_unit(screen);
    GuiLen width, height;
    resolve_auto_size(e, screen, &width, &height);
    const GuiLen across[AXIS_TERMS] = {e->margin.left, e->border.left, e->padding.left, width,
        e->padding.right, e->border.right, e->margin.right};
    *w = natural_width(across, unit);
    const GuiLen down[AXIS_TERMS] = {e->margin.top, e->border.top, e->padding.top, height, e->padding.bottom,
        e->border.bottom, e->margin.bottom};
    *h = 0;
    for (const GuiLen& t : down)
        *h += gui_len_resolve(t, static_cast<float>(unit), *w, 0);
}

float solve_axis(GuiLen terms[AXIS_TERMS], float start, float end, float unit, float base)
{
    float avail = end - start > 0 ? end - start : 0;
    float total = 0;
    for (int i = 0; i < AXIS_TERMS; ++i)
        total += gui_len_resolve(terms[i], unit, base, 0);
    if (total >= avail)
        return total;
    static const int SHARING[] = {MARGIN_START, PADDING_START, PADDING_END, MARGIN_END};
    int n = 0;
    for (int i : SHARING)
        n += terms[i].mode == GUILEN_AUTO;
    if (n == 0)
        return total;
    for (int i : SHARING)
        if (terms[i].mode == GUILEN_AUTO)
            terms[i] = gui_pixels((avail - total) / static_cast<float>(n));
    return avail;
}

static GuiRect parent_rect(GuiElement* element, GuiScreen* screen)
{
    if (element->parent)
        return element->parent->inner;
    if (screen)
        return screen->screen_rect();
    return {0, 0, NO_SCREEN_WIDTH, NO_SCREEN_HEIGHT};
}

void layout_element(GuiElement* e, GuiScreen* screen)
{
    GuiRect pr = parent_rect(e, screen);
    float unit = static_cast<float>(screen_unit(screen));
    float base = pr.right - pr.left;
    GuiLen width, height;
    resolve_auto_size(e, screen, &width, &height);

    GuiRect& bw = e->borderWidth;
    bw.top = gui_len_resolve(e->border.top, unit, base, 0);
    bw.left = gui_len_resolve(e->border.left, unit, base, 0);
    bw.right = gui_len_resolve(e->border.right, unit, base, 0);
    bw.bottom = gui_len_resolve(e->border.bottom, unit, base, 0);

    GuiLen across[AXIS_TERMS] = {e->margin.left, gui_pixels(bw.left), e->padding.left, width,
        e->padding.right, gui_pixels(bw.right), e->margin.right};
    GuiLen down[AXIS_TERMS] = {e->margin.top, gui_pixels(bw.top), e->padding.top, height, e->padding.bottom,
        gui_pixels(bw.bottom), e->margin.bottom};
    float outerW = solve_axis(across, pr.left, pr.right, unit, base);
    float outerH = solve_axis(down, pr.top, pr.bottom, unit, base);

    float dx = gui_len_resolve(e->offsetX, unit, base, 0);
    float dy = gui_len_resolve(e->offsetY, unit, base, 0);
    e->outer = {pr.top + dy, pr.left + dx, pr.left + outerW + dx, pr.top + outerH + dy};

    // Auto margins and paddings that were given no space count 0.
    auto px = [&](const GuiLen& len) { return gui_len_resolve(len, unit, base, 0); };
    e->box
        = {e->outer.top + px(down[MARGIN_START]) + bw.top, e->outer.left + px(across[MARGIN_START]) + bw.left,
            e->outer.right - px(across[MARGIN_END]) - bw.right,
            e->outer.bottom - px(down[MARGIN_END]) - bw.bottom};
    e->inner = {e->box.top + px(down[PADDING_START]), e->box.left + px(across[PADDING_START]),
        e->box.right - px(across[PADDING_END]), e->box.bottom - px(down[PADDING_END])};

    for (GuiElement* child : e->children)
        layout_element(child, screen);
}
