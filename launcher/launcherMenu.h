// launcherMenu.h - the launcher's menu, its five setting toggles and commands.
//
// The launcher holds its own copy of the four display settings and the sound
// switch, read from the store at start-up; the toggles change only that copy,
// and only "Play" and "Quit" write it back as "flags". A "Quit" that can't
// store them shows why under the buttons and stays until "Quit" is pressed
// again or the window closes. "Play" then starts the game program from the
// launcher's directory, without arguments and without waiting for it.
#pragma once

#include <stdint.h>

#include "../kiln/gui.h"

enum LauncherCommand {
    LAUNCHER_PLAY = 1,
    LAUNCHER_QUIT = 2,
    LAUNCHER_VISIT_SITE = 3,
    LAUNCHER_TOGGLE_WINDOW = 4,
    LAUNCHER_TOGGLE_ANTIALIAS = 5,
    LAUNCHER_TOGGLE_VSYNC = 6,
    LAUNCHER_TOGGLE_VOXELS = 7,
    LAUNCHER_TOGGLE_SOUND = 8,
};

// Resets the settings to their defaults (vertical sync and sound on, the rest
// off) and takes bits 0-4 of a stored "flags" over them.
void launcher_read_settings();

// The settings as the "flags" bits.
uint32_t launcher_flags();

// Builds the menu for a 40 x 30 unit reference grid and refreshes the toggle
// texts. The caller owns the returned root.
GuiElement* build_launcher_menu();

// The text of a toggle button as it is shown (its ".normal" state).
const char* launcher_toggle_text(int command);

// The one handler, attached to the menu's root, that carries out the commands.
GuiEventHandler* launcher_handler();

// Set by "Play" and "Quit": the launcher leaves after the current pass.
bool launcher_quit_requested();
// Set when "Play" could not start the game (logged), or when "Quit" could not
// store the settings (said in the window): the launcher then exits
// with a non-zero status.
bool launcher_failed();
// Set by the window procedure when the window is closed (nothing is stored).
void launcher_request_quit();
