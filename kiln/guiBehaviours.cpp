// guiBehaviours.cpp - the behaviour registry, the button handler and the
// standard button.
#include "guiBehaviours.h"

#include <strings.h>

#include <initializer_list>

enum { BUTTON_EVENTS = GUI_EVT_VISIBILITY | GUI_EVT_PRESS | GUI_EVT_RELEASE | GUI_EVT_LEAVE | GUI_EVT_ENTER };

static struct {
    DynArray<GuiBehaviour*> registry; // filled at start-up, never emptied
    int fontPixelSize = 8;            // set by each program once its font is loaded
} behaviours;

// One per button; it deletes itself when detached.
class ButtonEventHandler final : public GuiEventHandler {
public:
    ButtonEventHandler()
        : GuiEventHandler(BUTTON_EVENTS)
    {
    }

    void attach(GuiElement* button) override
    {
        element = button;
        normal = button->find_by_name(".normal");
        over = button->find_by_name(".over");
        pressed = button->find_by_name(".pressed");
        if (normal)
            normal->set_hidden(false);
        if (over && over != normal)
            over->set_hidden(true);
        if (pressed && pressed != normal)
            pressed->set_hidden(true);
    }

    void detach(GuiElement*) override { delete this; }

    int32_t handle(GuiEvent* event, GuiElement*, int) override
    {
        if (event->type == GUI_EVT_VISIBILITY) {
            show(normal);
            return GUI_NOT_HANDLED;
        }
        if (!element->is_shown())
            return GUI_NOT_HANDLED;
        const InputEvent& in = static_cast<GuiInputEvent*>(event)->input;
        bool held = (in.flags & (INPUT_LBUTTON | INPUT_RBUTTON)) != 0;
        switch (event->type) {
        case GUI_EVT_ENTER:
            show(held ? pressed : over);
            break;
        case GUI_EVT_LEAVE:
            show(normal);
            break;
        case GUI_EVT_PRESS:
            show(pressed);
            break;
        case GUI_EVT_RELEASE:
            release(in, held);
            break;
        default:
            break;
        }
        return 1;
    }

private:
    void show(GuiElement* state)
    {
        for (GuiElement* child : {normal, over, pressed})
            if (child)
                child->set_hidden(child != state);
    }

    // The click: a release over the button itself with no button still held.
    void release(const InputEvent& in, bool held)
    {
        GuiElement* h = hit_test(element, in.x, in.y);
        show(held ? pressed : h == element ? over : normal);
        if (held || h != element)
            return;
        GuiCommandEvent command(element->commandId, element);
        route_event(&command, element, ROUTE_BUBBLE, nullptr);
    }

    GuiElement* element = nullptr;
    GuiElement* normal = nullptr;
    GuiElement* over = nullptr;
    GuiElement* pressed = nullptr;
};

class SolidBoxBehaviour final : public GuiBehaviour {
public:
    const char* name() override { return "solidBox"; }
    void apply(GuiElement* element) override { element->add_handler(solid_box_handler(), -1); }
};

class ButtonBehaviour final : public GuiBehaviour {
public:
    const char* name() override { return "button"; }
    void apply(GuiElement* element) override { element->add_handler(new ButtonEventHandler, -1); }
};

void register_gui_behaviour(GuiBehaviour* behaviour)
{
    for (GuiBehaviour* b : behaviours.registry)
        if (b == behaviour)
            return;
    behaviours.registry.push(behaviour);
}

void register_gui_behaviours()
{
    static SolidBoxBehaviour solidBox;
    static ButtonBehaviour button;
    register_gui_behaviour(&solidBox);
    register_gui_behaviour(&button);
}

void apply_behaviour(GuiElement* element, const char* name)
{
    for (GuiBehaviour* b : behaviours.registry)
        if (strcasecmp(b->name(), name) == 0) {
            b->apply(element);
            return;
        }
}

void set_gui_font_pixel_size(int pixels)
{
    behaviours.fontPixelSize = pixels;
}

struct ButtonLook {
    const char* name;
    uint32_t background, text, topLeft, bottomRight;
    bool shifted; // pressed: one font pixel right and down
};

static const ButtonLook BUTTON_LOOKS[] = {
    {".normal", 0xff323232, 0xffc8c8c8, 0xff505050, 0xff1e1e1e, false},
    {".over", 0xff646464, 0xffffffff, 0xff828282, 0xff464646, false},
    {".pressed", 0xff646464, 0xffffffff, 0xff828282, 0xff464646, true},
};

GuiElement* gui_create_button(GuiElement* parent, int commandId, const char* text, int textScale,
    GuiLen stateWidth, GuiLen stateHeight, const GuiBox& margin, const GuiBox& padding)
{
    GuiElement* button = gui_create_element(0, GUILEN_AUTO, 0, GUILEN_AUTO, margin, padding, parent);
    button->commandId = commandId;
    GuiLen fontPixel = gui_units(1.0f / static_cast<float>(behaviours.fontPixelSize));
    for (const ButtonLook& look : BUTTON_LOOKS) {
        GuiElement* state = gui_create_label(button, text, look.text, textScale, 0, 0, gui_box(gui_units(0)),
            gui_box(gui_units(0)), stateWidth.value, stateWidth.mode, stateHeight.value, stateHeight.mode);
        copy_text(state->name, look.name);
        state->background = look.background;
        state->border = gui_box(fontPixel);
        state->borderColour = {look.topLeft, look.topLeft, look.bottomRight, look.bottomRight};
        if (look.shifted)
            state->offsetX = state->offsetY = fontPixel;
    }
    apply_behaviour(button, "solidBox");
    apply_behaviour(button, "button");
    return button;
}

void gui_set_button_text(GuiElement* button, const char* text)
{
    for (const ButtonLook& look : BUTTON_LOOKS)
        if (GuiElement* state = button->find_by_name(look.name))
            copy_text(state->text, text);
}
