// gui.h - the GUI element tree shared by the game and the launcher.
//
// A tree of rectangular elements with lengths in four modes, margin, border
// and padding boxes, optional aligned text and flat colours. A GuiScreen owns
// the root, picks an integer zoom so that a reference grid of GUI units fits
// the display, lays the tree out top-down in one pass, draws it through an
// IGuiRenderer and feeds input into it. Children are owned by their parent;
// every child starts at the top-left of its parent's content rectangle and is
// moved by its own margins and offsets (auto margins share the free space).
#pragma once

#include <stdint.h>

#include "../libs/inc/cont/zu_dynArray.h"
#include "guiEvents.h"
#include "guiRenderer.h"

enum GuiLenMode : int32_t {
    GUILEN_AUTO = 0,    // the caller's auto value
    GUILEN_PIXELS = 1,  // value pixels
    GUILEN_UNITS = 2,   // value x the screen's pixels per GUI unit
    GUILEN_PERCENT = 3, // value % of the parent's content width (on both axes)
};

struct GuiLen {
    float value;
    int32_t mode;
};

inline GuiLen gui_pixels(float v)
{
    return {v, GUILEN_PIXELS};
}
inline GuiLen gui_units(float v)
{
    return {v, GUILEN_UNITS};
}
inline GuiLen gui_auto()
{
    return {0, GUILEN_AUTO};
}

struct GuiBox {
    GuiLen top, left, right, bottom;
};

// The same length on all four sides.
inline GuiBox gui_box(GuiLen all)
{
    return {all, all, all, all};
}
// Each side its own length, in the box's order.
inline GuiBox gui_box(GuiLen top, GuiLen left, GuiLen right, GuiLen bottom)
{
    return {top, left, right, bottom};
}

// Display pixels, origin top-left, y down.
struct GuiRect {
    float top, left, right, bottom;
};

struct GuiEdgeColours {
    uint32_t top, left, right, bottom;
};

// The length in pixels: unit for UNITS, base for PERCENT, autoValue for AUTO.
float gui_len_resolve(const GuiLen& len, float unit, float base, float autoValue);

enum {
    GUI_FLAG_HIDDEN = 1,
    GUI_DEFAULT_BORDER_COLOUR = 0xff808080u,
};

struct GuiElement {
    GuiElement() = default;
    // Detaches from the parent, deletes the children last to first, then
    // removes the handlers last to first (each is told through detach).
    ~GuiElement();
    GuiElement(const GuiElement&) = delete;
    GuiElement& operator=(const GuiElement&) = delete;

    // Detaches the child from its old parent and inserts it; a negative
    // position counts from the end (p becomes count + p, so -1 inserts before
    // the last child), clamped to [0, count]. Nothing for a null child.
    void add_child(GuiElement* child, int position);
    void detach_from_parent();
    // This element or the first depth-first match among the children, by
    // exact name; null for a null or empty name.
    GuiElement* find_by_name(const char* wanted);
    // Changes the hidden flag and announces a change to the whole subtree.
    void set_hidden(bool hidden);
    // Neither this element nor any ancestor is hidden.
    bool is_shown() const;
    // Inserts the handler (position as for add_child), attaches it and adds its mask.
    void add_handler(GuiEventHandler* handler, int position);
    // Removes the last occurrence, detaches it and recomputes the mask.
    void remove_handler(GuiEventHandler* handler);

    GuiRect inner = {};             // content rectangle: children and text go here
    GuiRect box = {};               // background rectangle, inside the borders
    GuiRect outer = {};             // the slot including the margins
    GuiRect borderWidth = {};       // border widths in pixels, resolved by layout
    FixedText<64> name = {};        // for find_by_name
    GuiElement* parent = nullptr;   // not owned
    DynArray<GuiElement*> children; // owned; drawing and hit-test order
    uint32_t background = 0;        // 0: not drawn
    GuiEdgeColours borderColour = {GUI_DEFAULT_BORDER_COLOUR, GUI_DEFAULT_BORDER_COLOUR,
        GUI_DEFAULT_BORDER_COLOUR, GUI_DEFAULT_BORDER_COLOUR}; // 0: that side not drawn
    ShortText text = {};
    uint32_t textColour = 0xffffffffu; // 0: text not drawn
    int8_t textScale = 1;              // times the screen's zoom when drawn
    int8_t alignX = 0;                 // -1 left, 0 centre, 1 right
    int8_t alignY = 0;                 // -1 top, 0 centre, 1 bottom
    uint8_t flags = 0;                 // GUI_FLAG_HIDDEN
    GuiLen width = gui_auto();         // the content area, between the paddings
    GuiLen height = gui_auto();
    GuiLen offsetX = gui_units(0); // shift of the whole slot after placement
    GuiLen offsetY = gui_units(0);
    GuiBox padding = gui_box(gui_units(0));
    GuiBox border = gui_box(gui_units(0));
    GuiBox margin = gui_box(gui_units(0));
    DynArray<GuiEventHandler*> handlers;
    uint32_t eventMask = 0; // OR of the handlers' masks
    int32_t commandId = 0;  // sent by a button's click
};

class GuiScreen {
public:
    // Takes ownership of root and lays it out at once.
    GuiScreen(IGuiRenderer* renderer, GuiElement* root, int refWidth, int refHeight);
    // Clears capture and hover, then deletes the whole tree.
    virtual ~GuiScreen();
    GuiScreen(const GuiScreen&) = delete;
    GuiScreen& operator=(const GuiScreen&) = delete;

    // Pixels per GUI unit: the renderer's pixel scale times the zoom.
    virtual float unit();
    // The whole drawing surface.
    virtual GuiRect screen_rect();
    // The element's own size: its width and height, or its text's extent where auto.
    virtual void measure(GuiElement* element, float* w, float* h);
    // Draws the element and its subtree unless it is hidden.
    virtual void draw_element(GuiElement* element);
    virtual void draw();
    // Turns every queued input event into GUI events (hover, capture, enter,
    // leave); the pad's d-pad and A go to move_focus and press_focus instead.
    virtual void process_input();
    // What process_input does with one event; for an owner that takes some
    // events itself (a menu's keys) and hands the others on.
    void process_event(const InputEvent& raw);
    // Moves the focus to the nearest shown button in the direction (dx, dy),
    // y down; without a focus the first shown button takes it.
    void move_focus(int dx, int dy);
    // Clicks the focused button; without a focus the first shown button
    // takes it, unclicked.
    void press_focus();
    // The focus, moved to the nearest shown button when its own was hidden.
    GuiElement* shown_focus();
    // Delivers one input event to its target; a press captures the target.
    virtual void handle_input(GuiInputEvent* event, GuiElement* target);
    // Recomputes the zoom and lays the tree out; after any change of the
    // renderer's size or pixel scale.
    virtual void relayout();

    GuiElement* root;    // owned
    GuiElement* capture; // received the last mouse press, until no button is held
    GuiElement* hover;   // under the pointer
    GuiElement* focus;   // the button the pad's d-pad chose, framed when drawn; null until then
    int32_t zoom;        // integer magnification of the reference grid
    int32_t refWidth;    // reference grid in GUI units
    int32_t refHeight;
    IGuiRenderer* renderer; // not owned
};

// What the pointer and the pad's focus were on when gui_hover_changed last
// looked at a screen; empty for a new screen.
struct GuiHoverMark {
    const GuiElement* hovered = nullptr;
    const GuiElement* focused = nullptr;
};
// True when the pointer came onto a button or the focus moved since the mark
// (the moment for a hover tick); the mark then shows what the screen shows.
bool gui_hover_changed(GuiScreen* screen, GuiHoverMark& mark);

// A new element with the defaults and the given sizes, margin and padding,
// added to parent (when not null) at position -1.
GuiElement* gui_create_element(float widthValue, int widthMode, float heightValue, int heightMode,
    const GuiBox& margin, const GuiBox& padding, GuiElement* parent);

// An element showing text (null: empty; at most 255 characters) in the colour
// at textScale, aligned in its content rectangle.
GuiElement* gui_create_label(GuiElement* parent, const char* text, uint32_t colour, int textScale, int alignX,
    int alignY, const GuiBox& margin, const GuiBox& padding, float widthValue, int widthMode,
    float heightValue, int heightMode);

// Registers the "solidBox" and "button" behaviours; once per program.
void register_gui_behaviours();
