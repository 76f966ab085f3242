// gui.cpp - the GUI element tree, the screen and its input processing.
#include "gui.h"

#include <math.h>
#include <string.h>

#include "layout.h"

static const uint32_t FOCUS_COLOUR = 0xffffff00; // the frame around the focused button

float gui_len_resolve(const GuiLen& len, float unit, float base, float autoValue)
{
    switch (len.mode) {
    case GUILEN_AUTO:
        return autoValue;
    case GUILEN_PIXELS:
        return len.value;
    case GUILEN_UNITS:
        return len.value * unit;
    case GUILEN_PERCENT:
        return len.value * 0.01f * base;
    default:
        ASSERT(!"unknown GuiLen mode");
        return 0;
    }
}

GuiElement::~GuiElement()
{
    detach_from_parent();
    while (!children.empty())
        delete children.last(); // the child detaches itself
    while (!handlers.empty())
        remove_handler(handlers.last());
    ASSERT(children.empty());
    ASSERT(handlers.empty());
}

// A negative position counts from the end; the result is clamped to [0, count].
static int insert_position(int position, int count)
{
    if (position < 0)
        position += count;
    if (position < 0)
        return 0;
    return position > count ? count : position;
}

void GuiElement::add_child(GuiElement* child, int position)
{
    if (!child)
        return;
    child->detach_from_parent();
    children.insert(insert_position(position, children.size()), &child, 1);
    child->parent = this;
}

void GuiElement::detach_from_parent()
{
    if (!parent)
        return;
    DynArray<GuiElement*>& siblings = parent->children;
    for (int i = siblings.size() - 1; i >= 0; --i)
        if (siblings[i] == this) {
            siblings.remove(i);
            break;
        }
    parent = nullptr;
}

GuiElement* GuiElement::find_by_name(const char* wanted)
{
    if (!wanted || !*wanted)
        return nullptr;
    if (strcmp(name.s, wanted) == 0)
        return this;
    for (GuiElement* child : children)
        if (GuiElement* found = child->find_by_name(wanted))
            return found;
    return nullptr;
}

void GuiElement::set_hidden(bool hidden)
{
    if (((flags & GUI_FLAG_HIDDEN) != 0) == hidden)
        return;
    if (hidden)
        flags |= GUI_FLAG_HIDDEN;
    else
        flags &= ~GUI_FLAG_HIDDEN;
    GuiNotifyEvent changed(GUI_EVT_VISIBILITY, this);
    route_event(&changed, this, ROUTE_SUBTREE, nullptr);
}

bool GuiElement::is_shown() const
{
    for (const GuiElement* e = this; e; e = e->parent)
        if (e->flags & GUI_FLAG_HIDDEN)
            return false;
    return true;
}

void GuiElement::add_handler(GuiEventHandler* handler, int position)
{
    if (!handler)
        return;
    handlers.insert(insert_position(position, handlers.size()), &handler, 1);
    handler->attach(this);
    eventMask |= handler->mask;
}

void GuiElement::remove_handler(GuiEventHandler* handler)
{
    for (int i = handlers.size() - 1; i >= 0; --i)
        if (handlers[i] == handler) {
            handlers.remove(i);
            handler->detach(this);
            break;
        }
    eventMask = 0;
    for (GuiEventHandler* h : handlers)
        eventMask |= h->mask;
}

GuiScreen::GuiScreen(IGuiRenderer* r, GuiElement* rootElement, int refW, int refH)
    : root(rootElement)
    , capture(nullptr)
    , hover(nullptr)
    , focus(nullptr)
    , zoom(1)
    , refWidth(refW)
    , refHeight(refH)
    , renderer(r)
{
    relayout();
}

GuiScreen::~GuiScreen()
{
    capture = nullptr;
    hover = nullptr;
    focus = nullptr;
    delete root;
}

float GuiScreen::unit()
{
    return static_cast<float>(renderer->pixelScale() * zoom);
}

GuiRect GuiScreen::screen_rect()
{
    return {0, 0, static_cast<float>(renderer->width()), static_cast<float>(renderer->height())};
}

void GuiScreen::measure(GuiElement* element, float* w, float* h)
{
    float u = unit();
    *w = gui_len_resolve(element->width, u, 0, 0);
    *h = gui_len_resolve(element->height, u, 0, 0);
    bool autoW = element->width.mode == GUILEN_AUTO;
    bool autoH = element->height.mode == GUILEN_AUTO;
    if (!element->text.s[0] || !(autoW || autoH))
        return;
    float tw, th;
    renderer->text_extent(element->text.s, -1, &tw, &th, element->textScale * zoom);
    if (autoW)
        *w = tw;
    if (autoH)
        *h = th;
}

// Each corner square belongs to exactly one strip: top-left to the top,
// top-right to the right, bottom-left to the left, bottom-right to the bottom.
static void draw_borders(IGuiRenderer* r, const GuiElement* e)
{
    const GuiRect& b = e->box;
    const GuiRect& w = e->borderWidth;
    const GuiEdgeColours& c = e->borderColour;
    if (w.top > 0 && c.top)
        r->fill_rect(b.left - w.left, b.top - w.top, b.right, b.top, c.top);
    if (w.left > 0 && c.left)
        r->fill_rect(b.left - w.left, b.top, b.left, b.bottom + w.bottom, c.left);
    if (w.right > 0 && c.right)
        r->fill_rect(b.right, b.top - w.top, b.right + w.right, b.bottom, c.right);
    if (w.bottom > 0 && c.bottom)
        r->fill_rect(b.left, b.bottom, b.right + w.right, b.bottom + w.bottom, c.bottom);
}

static float anchor(int align, float low, float high)
{
    if (align < 0)
        return low;
    if (align > 0)
        return high;
    return (low + high) * 0.5f;
}

void GuiScreen::draw_element(GuiElement* element)
{
    if (element->flags & GUI_FLAG_HIDDEN)
        return;
    const GuiRect& box = element->box;
    if (element->background)
        renderer->fill_rect(box.left, box.top, box.right, box.bottom, element->background);
    draw_borders(renderer, element);
    if (element->text.s[0] && element->textColour) {
        const GuiRect& in = element->inner;
        renderer->draw_text(element->text.s, -1, anchor(element->alignX, in.left, in.right),
            anchor(element->alignY, in.top, in.bottom), element->alignX, element->alignY, element->textColour,
            element->textScale * zoom);
    }
    for (GuiElement* child : element->children)
        draw_element(child);
}

void GuiScreen::draw()
{
    if (!root)
        return;
    draw_element(root);
    GuiElement* f = shown_focus();
    if (!f)
        return;
    // A frame one font pixel wide just outside the button.
    float w = unit() / static_cast<float>(renderer->pixelScale());
    const GuiRect& b = f->box;
    renderer->fill_rect(b.left - 2 * w, b.top - 2 * w, b.right + 2 * w, b.top - w, FOCUS_COLOUR);
    renderer->fill_rect(b.left - 2 * w, b.bottom + w, b.right + 2 * w, b.bottom + 2 * w, FOCUS_COLOUR);
    renderer->fill_rect(b.left - 2 * w, b.top - w, b.left - w, b.bottom + w, FOCUS_COLOUR);
    renderer->fill_rect(b.right + w, b.top - w, b.right + 2 * w, b.bottom + w, FOCUS_COLOUR);
}

// The shown buttons under element, in drawing order.
static void collect_buttons(GuiElement* element, DynArray<GuiElement*>* out)
{
    if (element->flags & GUI_FLAG_HIDDEN)
        return;
    if (element->commandId)
        out->push(element);
    for (GuiElement* child : element->children)
        collect_buttons(child, out);
}

static float centre_x(const GuiElement* e)
{
    return (e->box.left + e->box.right) * 0.5f;
}

static float centre_y(const GuiElement* e)
{
    return (e->box.top + e->box.bottom) * 0.5f;
}

// The shown button that scores lowest by its centre's offset (x, y) from
// the centre of `from`; a negative score rules a button out. Null when none is left.
template <typename Score>
static GuiElement* best_button(GuiElement* root, const GuiElement* from, Score score)
{
    DynArray<GuiElement*> buttons;
    collect_buttons(root, &buttons);
    GuiElement* best = nullptr;
    float bestScore = 0;
    for (GuiElement* b : buttons) {
        float s = score(centre_x(b) - centre_x(from), centre_y(b) - centre_y(from));
        if (s >= 0 && (!best || s < bestScore))
            best = b, bestScore = s;
    }
    return best;
}

GuiElement* GuiScreen::shown_focus()
{
    if (!focus || !root || focus->is_shown())
        return focus;
    focus = best_button(root, focus, [](float x, float y) { return x * x + y * y; });
    return focus;
}

// Without a focus the first shown button takes it; true when it did.
static bool focus_first(GuiElement* root, GuiElement** focus)
{
    if (*focus || !root)
        return false;
    DynArray<GuiElement*> buttons;
    collect_buttons(root, &buttons);
    *focus = buttons.size() > 0 ? buttons[0] : nullptr;
    return true;
}

void GuiScreen::move_focus(int dx, int dy)
{
    if (focus_first(root, &focus))
        return;
    GuiElement* from = shown_focus();
    if (!from)
        return;
    // Distance along the direction counts once, distance across it twice.
    float fx = static_cast<float>(dx), fy = static_cast<float>(dy);
    GuiElement* best = best_button(root, from, [fx, fy](float x, float y) {
        float along = x * fx + y * fy, across = fabsf(x * fy - y * fx);
        return along < 1 ? -1 : along + 2 * across;
    });
    if (best)
        focus = best;
}

void GuiScreen::press_focus()
{
    if (focus_first(root, &focus))
        return;
    GuiElement* f = shown_focus();
    if (!f)
        return;
    GuiCommandEvent command(f->commandId, f);
    route_event(&command, f, ROUTE_BUBBLE, nullptr);
}

// The pad's d-pad and A; false for any other event.
static bool navigate(GuiScreen* screen, const InputEvent& in)
{
    if (in.type != INPUT_KEY_DOWN)
        return false;
    switch (in.key) {
    case VK_GAMEPAD_DPAD_LEFT:
        screen->move_focus(-1, 0);
        return true;
    case VK_GAMEPAD_DPAD_RIGHT:
        screen->move_focus(1, 0);
        return true;
    case VK_GAMEPAD_DPAD_UP:
        screen->move_focus(0, -1);
        return true;
    case VK_GAMEPAD_DPAD_DOWN:
        screen->move_focus(0, 1);
        return true;
    case VK_GAMEPAD_A:
        screen->press_focus();
        return true;
    default:
        return false;
    }
}

// Enter and leave reuse the event being processed, with its position and flags.
static void send_crossing(GuiInputEvent* event, uint32_t type, GuiElement* target, GuiElement* root)
{
    event->type = type;
    route_event(event, target, ROUTE_DIRECT, root);
}

void GuiScreen::process_input()
{
    InputEvent raw;
    while (pop_input_event(&raw))
        process_event(raw);
}

void GuiScreen::process_event(const InputEvent& raw)
{
    if (navigate(this, raw))
        return;
    GuiInputEvent event;
    event.input = raw;
    GuiElement* target;
    if (capture) {
        // While a button is held only the captured element may be entered.
        target = capture;
        if (is_key_down(VK_LBUTTON) || is_key_down(VK_RBUTTON)) {
            GuiElement* h = hit_test(root, raw.x, raw.y);
            if (h != hover) {
                if (hover)
                    send_crossing(&event, GUI_EVT_LEAVE, hover, root);
                hover = nullptr;
                if (h == capture) {
                    hover = h;
                    send_crossing(&event, GUI_EVT_ENTER, h, root);
                }
            }
        } else {
            capture = nullptr;
        }
    } else {
        if (!root)
            return;
        GuiElement* h = hit_test(root, raw.x, raw.y);
        if (h != hover) {
            if (hover)
                send_crossing(&event, GUI_EVT_LEAVE, hover, root);
            hover = h;
            if (h)
                send_crossing(&event, GUI_EVT_ENTER, h, root);
        }
        target = h;
    }
    handle_input(&event, target);
}

void GuiScreen::handle_input(GuiInputEvent* event, GuiElement* target)
{
    if (event->input.type == INPUT_MOUSE_DOWN)
        capture = target;
    switch (event->input.type) {
    case INPUT_KEY_DOWN:
    case INPUT_KEY_UP:
        event->type = GUI_EVT_KEY;
        break;
    case INPUT_MOUSE_DOWN:
        event->type = GUI_EVT_PRESS;
        break;
    case INPUT_MOUSE_UP:
        event->type = GUI_EVT_RELEASE;
        break;
    case INPUT_MOUSE_MOVE:
        event->type = GUI_EVT_MOVE;
        break;
    case INPUT_MOUSE_WHEEL:
        event->type = GUI_EVT_WHEEL;
        break;
    default:
        ASSERT(!"unknown input event type");
        return;
    }
    route_event(event, target, ROUTE_DIRECT, root);
}

void GuiScreen::relayout()
{
    int s = renderer->pixelScale();
    int gridHeight = s * refHeight, gridWidth = s * refWidth;
    zoom = 1;
    // A renderer without a font yet has no pixel scale: zoom 1 rather than a division by zero.
    if (gridHeight > 0 && gridWidth > 0) {
        int byHeight = renderer->height() / gridHeight;
        int byWidth = renderer->width() / gridWidth;
        zoom = byHeight < byWidth ? byHeight : byWidth;
    }
    if (zoom < 1)
        zoom = 1;
    if (root)
        layout_element(root, this);
}

GuiElement* gui_create_element(float widthValue, int widthMode, float heightValue, int heightMode,
    const GuiBox& margin, const GuiBox& padding, GuiElement* parent)
{
    GuiElement* e = new GuiElement;
    e->width = {widthValue, widthMode};
    e->height = {heightValue, heightMode};
    e->margin = margin;
    e->padding = padding;
    if (parent)
        parent->add_child(e, -1);
    return e;
}

GuiElement* gui_create_label(GuiElement* parent, const char* text, uint32_t colour, int textScale, int alignX,
    int alignY, const GuiBox& margin, const GuiBox& padding, float widthValue, int widthMode,
    float heightValue, int heightMode)
{
    GuiElement* e
        = gui_create_element(widthValue, widthMode, heightValue, heightMode, margin, padding, parent);
    copy_text(e->text, text);
    e->textColour = colour;
    e->textScale = static_cast<int8_t>(textScale);
    e->alignX = static_cast<int8_t>(alignX);
    e->alignY = static_cast<int8_t>(alignY);
    return e;
}

bool gui_hover_changed(GuiScreen* screen, GuiHoverMark& mark)
{
    const GuiElement* h = screen->hover;
    const GuiElement* f = screen->shown_focus();
    bool changed = (h && h != mark.hovered && h->commandId) || (f && f != mark.focused);
    mark.hovered = h;
    mark.focused = f;
    return changed;
}
