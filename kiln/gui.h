// gui.h - the GUI element tree shared by the game and the launcher.
#pragma once

// Registers the "solidBox" and "button" behaviours; once per program.
void register_gui_behaviours();
