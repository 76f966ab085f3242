// guiBehaviours.h - named behaviours that attach standard handlers, and the
// standard button.
//
// "solidBox" makes an element hit-testable; "button" turns an element with
// the state children ".normal", ".over" and ".pressed" into a push button that
// sends a GuiCommandEvent up the tree when clicked. The registry is filled
// once at start-up (register_gui_behaviours in gui.h) and never emptied.
#pragma once

#include "gui.h"

class GuiBehaviour {
public:
    virtual const char* name() = 0;
    // Attaches the behaviour's handlers to the element.
    virtual void apply(GuiElement* element) = 0;

protected:
    ~GuiBehaviour() = default; // registered behaviours live for the whole program
};

// Adds the behaviour unless it is already registered.
void register_gui_behaviour(GuiBehaviour* behaviour);

// Applies the first registered behaviour whose name matches ignoring case;
// an unknown name does nothing.
void apply_behaviour(GuiElement* element, const char* name);

// The font's cell height in font pixels (the renderer's pixelScale()), which
// makes a button's borders and pressed shift one font pixel; 8 until set.
void set_gui_font_pixel_size(int pixels);

// The standard button: an auto-sized element under parent carrying the
// command, with three state children of the given size showing the text.
GuiElement* gui_create_button(GuiElement* parent, int commandId, const char* text, int textScale,
    GuiLen stateWidth, GuiLen stateHeight, const GuiBox& margin, const GuiBox& padding);
// Changes the text of a standard button in all three of its looks.
void gui_set_button_text(GuiElement* button, const char* text);
