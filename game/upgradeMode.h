// upgradeMode.h - the upgrade screen between levels.
//
// The screen shows the level reached, the points to spend and one row per
// upgrade on offer (affordable and available when the screen opened) with
// its cost and "+" and "-" buttons; GO! buys what was chosen and starts the
// next level. The screen is a GUI tree owned by the upgrade mode from its
// entry until the update in which GO! was pressed. Its buttons make commands
// into the update's input, which the update runs.
#pragma once

#include "../kiln/gui.h"

// The command ids of the screen's buttons: GO!, and "+" and "-" of offered
// upgrade i at UPGRADE_PLUS + 2i and UPGRADE_MINUS + 2i.
enum UpgradeCommand { UPGRADE_GO = 1, UPGRADE_PLUS = 10, UPGRADE_MINUS = 11 };

// The screen's tree for the current offer (laid out by its GuiScreen).
GuiElement* build_upgrade_screen();
// Texts, colours and the buttons' visibility from the points left and the choices.
void refresh_upgrade_screen();
// The screen while the upgrade mode owns one, else null.
GuiScreen* upgrade_screen();
// The player's clicks and pad presses on the screen since the last update,
// appended as commands for the update to run; none while the mode is not
// current. Part of capturing the player's input (updateInput.h).
void take_upgrade_screen_commands(DynArray<int32_t>& commands);
