// gameHooks.h - what the application frame calls in the game.
//
// The frame knows nothing about game modes or scenes: it starts the game,
// steps it at a fixed rate, has it draw frames and shuts it down.
#pragma once

void game_init();
// One fixed update of `seconds` (the update period); ends with end_update_timing.
void game_update(float seconds);
// Draws one frame; `seconds` is the time since the last update (called by render_frame).
void game_draw(float seconds);
void game_shutdown();
// After every successful device reset (called by the device layer).
void game_resized();
