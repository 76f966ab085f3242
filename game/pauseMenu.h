// pauseMenu.h - the menu over the paused game.
//
// While the game is paused its dimmed level shows under "PAUSED" and a menu:
// Resume, Options, Controls, New game and Quit. The options page changes the
// display and sound options and stores them at once; the controls page
// binds the rebindable actions to keys. The menu is a GUI screen that lives
// from the pause to the resume. It takes its input in the main loop's paused
// passes (no update runs while paused): the mouse, the arrow keys with Enter
// and Escape, and the pad's d-pad with A and B.
#pragma once

#include "../kiln/gui.h"

enum PausePage { PAUSE_PAGE_MAIN, PAUSE_PAGE_OPTIONS, PAUSE_PAGE_CONTROLS };

// The command ids of the menu's buttons; binding action a is PAUSE_BIND + a.
enum PauseCommand {
    PAUSE_RESUME = 1,
    PAUSE_OPTIONS,
    PAUSE_CONTROLS,
    PAUSE_NEW_GAME,
    PAUSE_QUIT,
    PAUSE_BACK,
    PAUSE_WINDOW = 10,
    PAUSE_ANTIALIAS,
    PAUSE_VSYNC,
    PAUSE_VOXELS,
    PAUSE_SOUND,
    PAUSE_VOLUME_DOWN,
    PAUSE_VOLUME_UP,
    PAUSE_DEFAULT_KEYS = 20,
    PAUSE_BIND = 30,
};

// Opens the menu on its main page; nothing when it is open.
void open_pause_menu();
// Closes the menu; nothing when it is closed.
void close_pause_menu();
// The menu's share of a paused pass: the queued input events, in order.
void pause_menu_input();
// Draws the menu between font_begin and font_end.
void draw_pause_menu();
// After a change of the back buffer's size.
void pause_menu_resized();

// The menu's screen while it is open, else null.
GuiScreen* pause_menu_screen();
PausePage pause_menu_page();
// The controls page waits for the key to bind.
bool pause_menu_waits_for_key();
// Why the last store of the options or the keys failed; empty after a success.
const char* pause_menu_store_failure();
