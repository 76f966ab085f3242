// gui.cpp - the GUI element tree shared by the game and the launcher.
#include "gui.h"

void register_gui_behaviours()
{
    // No behaviours exist yet.
}
