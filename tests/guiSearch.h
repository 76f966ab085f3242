// guiSearch.h - finding elements of a GUI tree the way a test sees them.
#pragma once

#include <string.h>

#include "kiln/gui.h"

// The first element in pre-order that carries the command.
inline GuiElement* with_command(GuiElement* e, int command)
{
    if (e->commandId == command)
        return e;
    for (GuiElement* c : e->children)
        if (GuiElement* found = with_command(c, command))
            return found;
    return nullptr;
}

// The first element in pre-order that shows exactly this text.
inline GuiElement* with_text(GuiElement* e, const char* text)
{
    if (strcmp(e->text.s, text) == 0)
        return e;
    for (GuiElement* c : e->children)
        if (GuiElement* found = with_text(c, text))
            return found;
    return nullptr;
}
