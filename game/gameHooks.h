// gameHooks.h - what the application frame calls in the game.
//
// The frame knows nothing about game modes or scenes: it starts the game,
// steps it at a fixed rate, has it draw frames and shuts it down.
#pragma once

void game_init();
// One fixed update of `seconds` (the update period): the debug and flow keys,
// then the current mode's step.
void game_update(float seconds);
// Draws one frame into the back buffer; `seconds` is the time since the last
// update. The program hands it to the device as its draw hook.
void game_draw(float seconds);
void game_shutdown();
// Pausing is offered in every mode but the upgrade screen, which waits anyway.
bool game_pause_allowed();
// While set, frames show the level as it stood, dimmed, with "PAUSED".
void game_set_paused(bool paused);
// After every successful device reset (the program's resized hook for the device).
void game_resized();
// Whether a GAME OVER puts the run into the best runs file and shows the
// table: only a live player's game does (the program decides); replays and
// programs that play the game headless never read or write it. Off until set.
void game_keep_best_runs(bool keep);

// What the pause menu asks of the program above the game, set once at
// start-up before the first pause; a null hook is skipped.
struct MenuHooks {
    bool (*set_paused)(bool paused); // Resume: false ends the pause
    void (*request_quit)();          // Quit: the program shuts down in order
    void (*toggle_fullscreen)();     // between window and full screen
    void (*reset_display)();         // vertical sync and anti-aliasing as the settings now say
};
void set_menu_hooks(const MenuHooks& hooks);
// In every pass of the main loop while paused, before the pass drops what
// was typed: the pause menu takes the queued input and the key states.
void game_paused_input();
// While the pause menu waits for the key to bind, every key goes to it: the
// pause key then does not resume.
bool game_waits_for_key();
