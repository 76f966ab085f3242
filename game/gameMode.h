// gameMode.h - game modes, the switch between them and the game flow.
//
// The game is always in exactly one mode: playing, game over, the elevator
// ride, the upgrade screen or the level viewer. One instance of each mode
// lives for the whole run; the main loop's hooks hand every update, frame and
// resize to the current one.
#pragma once

#include <stdint.h>

class GuiScreen;

class GameMode {
public:
    // The mode becomes current; previous may be null (the first switch).
    virtual void enter(GameMode* previous) = 0;
    // The mode stops being current; next is null at shutdown.
    virtual void leave(GameMode* next) = 0;
    // One fixed update step of `seconds` (0.05 s at 20 updates per second).
    virtual void update(float seconds) = 0;
    // Draws the 3D scene; `seconds` since the last update, for interpolation.
    virtual void render(float seconds) = 0;
    // Draws 2D content over the scene image.
    virtual void render_overlay(float seconds) = 0;
    // The back-buffer size or pixel scale changed.
    virtual void resize() = 0;

protected:
    ~GameMode() = default; // modes live for the whole run
};

// The single instances.
GameMode* play_mode();
GameMode* game_over_mode();
GameMode* elevator_mode();
GameMode* upgrade_mode();
GameMode* view_level_mode();
// The summary and best runs under "GAME OVER" while a frame has shown them
// since the mode was entered, else null.
GuiScreen* game_over_screen();

// The state each mode keeps between updates while it is current (entering
// it sets the state up), folded into the hash h (the game's state hash).
uint64_t hash_game_over_state(uint64_t h);
uint64_t hash_elevator_state(uint64_t h);
uint64_t hash_upgrade_state(uint64_t h);
uint64_t hash_viewer_state(uint64_t h);

// Leaves the current mode and enters next at once; the current mode again
// does nothing.
void switch_mode(GameMode* next);
GameMode* current_mode();

// Set when the hero has finished the level (or by the level-skip key);
// cleared by new_level.
bool level_complete();
void set_level_complete(bool complete);

// Level 1, no points, every upgrade at its start value, the hero aiming
// right.
void new_game();
// A new game on its first level, in the playing mode: how the program starts
// and how a game over restarts.
void start_game();
// A fresh level: level_complete cleared, robots, shots and debris dropped, a
// new level generated into the level grid with the hero and the robots at its
// spawns, and the voxel cache emptied. The hero's health, the level number
// and the points stay.
void new_level();
// One finished level: the level number rises and five points are granted.
void advance_level();
// One step of the running level: robots, hero and camera, shots, debris.
void update_world(float seconds);
// The world step of the playing mode with its transitions: game over when the
// hero's health is gone, then the elevator when the level is complete (so the
// elevator wins when both happen in one update).
void play_world_step(float seconds);
