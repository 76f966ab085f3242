// mainLoop.h - the fixed-step main loop and its timing statistics.
//
// The loop runs game_update at a fixed rate (20 per second) and renders frames
// back to back in between, with a cap on catch-up updates, and stops while
// paused. While the GPU is two frames behind it sleeps in the driver; while
// paused or minimised it draws only when a message came or twice a second,
// and sleeps in the event wait in between. It reads the clock
// through timer_now and calls pump_window_messages, game_update,
// input_end_update, render_frame, present_frame and gpu_load_query.
#pragma once

#include <stdint.h>

enum { FRAME_STATS_LEN = 200 };

// Rings of the last 200 samples; each index is the next slot to write, which
// is also the oldest sample.
struct FrameStats {
    int32_t updateUs[FRAME_STATS_LEN]; // microseconds each update took
    int32_t frameUs[FRAME_STATS_LEN];  // just before a frame to just after its presentation
    int32_t gpuLoad[FRAME_STATS_LEN];  // percent, or -1 without a figure
    int updateIndex;
    int frameIndex; // shared by frameUs and gpuLoad
};

// Runs the loop until quit is requested.
void main_loop();
// Runs the loop and then `end`, whose result is the program's exit code. On
// the desktop it returns that code; in a browser it never returns: the
// browser runs the loop's rounds between its frames and the program ends
// with end's code after the last.
int run_main_loop(int (*end)());

// How the loop runs an update; each may be null. `update` runs one of the
// given seconds (game_update when null) and returning false ends the loop
// instead; `seconds` turns the loop's period into the seconds the update
// gets.
struct UpdateHooks {
    bool (*update)(float seconds);
    float (*seconds)(float loop_seconds);
};
void set_update_hooks(const UpdateHooks& hooks);

// rate below 1 becomes 1, a negative cap 0; the period is at least one tick.
void set_update_rate(int updates_per_second, int max_consecutive);
int64_t update_period_us();
// The update period in seconds, as the loop hands it to the game.
float update_seconds();

// Logs, when the first frame after this call is presented, the milliseconds
// from `start` (a counter value) to then: the start-up as the player sees it.
void log_first_frame_since(int64_t start);

const FrameStats& frame_stats();
// Presented frames in the last completed second of counter time (0 at first).
int frames_per_second();

// Set when the window's quit message arrives; ends the loop.
void request_quit();
bool quit_requested();

// While paused no update runs and the frames show the game as it stood; the
// update clock stands still, so resuming brings no catch-up updates. A pause
// where the game offers none is refused (false).
bool set_paused(bool paused);
bool paused();
