// layout.h - measuring elements and the one-pass top-down layout.
//
// Without a screen, layout uses a 640 x 480 root rectangle and a unit of 8
// pixels. Percentages take the parent's content width as their base on both
// axes.
#pragma once

#include "gui.h"

// The element's own measure grown to the largest natural size of its
// children (children overlap; their sizes are not added).
void content_size(GuiElement* element, GuiScreen* screen, float* w, float* h);

// The outer size the element would like, margins included.
void natural_size(GuiElement* element, GuiScreen* screen, float* w, float* h);

// Solves one axis: terms are margin-start, border-start, padding-start, size,
// padding-end, border-end, margin-end (borders in pixels). When they leave
// space between start and end, the auto margins and paddings share it (they
// become pixels in terms); the result is the outer size on the axis.
float solve_axis(GuiLen terms[7], float start, float end, float unit, float base);

// Places the element in its parent's content rectangle (the screen for the
// root) and then its children.
void layout_element(GuiElement* element, GuiScreen* screen);
