// mainLoop.cpp - the fixed-step main loop and its timing statistics.
#include "mainLoop.h"

#include <string.h>

#include <algorithm>

#include "../core/input.h"
#include "../core/log.h"
#include "../core/timer.h"
#include "../device/d3d_render.h"
#include "../game/gameHooks.h"
#include "../platform/platform.h"
#include "gpuLoad.h"
#include "perfOverlay.h"
#include "screenshot.h"
#include "window.h"

static struct {
    int64_t updatePeriod = 1; // ticks; set by set_update_rate
    int maxUpdates = 5;       // catch-up updates allowed before a frame
    int64_t simTime;          // counter value up to which game time has run
    int64_t lastUpdateTicks;  // how long the last update took
    int64_t renderStart;      // just before the last frame actually rendered
    FrameStats stats;         // zeroed when the loop starts, the GPU loads -1
    int fps;                  // frames in the last completed second
    int periodFrames;         // frames of the running second
    int64_t periodStart;
    bool quit;
    bool paused;       // from set_paused until set_paused(false)
    int64_t pausedLag; // the lag behind the update clock when the pause began
    UpdateHooks hooks; // set by the program before the loop runs
    // The passes' state, set when the loop starts: catch-up updates since
    // the last frame (-1 after a frame rendered within the cap, raised
    // before each catch-up update: up to maxUpdates + 1 updates run between
    // two frames), a rendered frame not yet presented, an update due first.
    int counter;
    bool presentPending;
    bool updateDue;
    // While idle (paused or minimised) a frame is drawn only when the
    // picture may have changed: set by a message, a pause or a resume,
    // cleared by the next frame rendered.
    bool redraw;
    bool logFirstFrame;   // set by log_first_frame_since until the next presentation
    int64_t programStart; // its counter value
} loop;

// While idle, a frame at least this often (half a second), so that
// what changes without a message (the overlay's figures) still shows.
enum { IDLE_FRAMES_PER_SECOND = 2 };
// The longest wait for the GPU in one pass: an update that falls due
// meanwhile starts at most this late.
enum { GPU_WAIT_US = 1000 };

void set_update_hooks(const UpdateHooks& hooks)
{
    loop.hooks = hooks;
}

void set_update_rate(int updates_per_second, int max_consecutive)
{
    if (updates_per_second < 1)
        updates_per_second = 1;
    if (max_consecutive < 0)
        max_consecutive = 0;
    loop.maxUpdates = max_consecutive;
    loop.updatePeriod = timer_frequency() / updates_per_second;
    if (loop.updatePeriod < 1)
        loop.updatePeriod = 1;
}

int64_t update_period_us()
{
    return ticks_to_us(loop.updatePeriod);
}

float update_seconds()
{
    return static_cast<float>(ticks_to_seconds(loop.updatePeriod));
}

void log_first_frame_since(int64_t start)
{
    loop.logFirstFrame = true;
    loop.programStart = start;
}

const FrameStats& frame_stats()
{
    return loop.stats;
}

int frames_per_second()
{
    return loop.fps;
}

void request_quit()
{
    loop.quit = true;
}

bool quit_requested()
{
    return loop.quit;
}

bool set_paused(bool paused)
{
    if (paused == loop.paused)
        return true;
    if (paused && !game_pause_allowed())
        return false;
    // Less than one period: no update falls due while paused. The clock
    // stood still while paused: a resume from within a long event wait
    // brings no catch-up updates either.
    int64_t now = timer_now();
    int64_t lag = now - loop.simTime;
    if (paused)
        loop.pausedLag = lag < 0 ? 0 : lag < loop.updatePeriod ? lag : loop.updatePeriod - 1;
    else
        loop.simTime = now - loop.pausedLag;
    loop.paused = paused;
    loop.redraw = true;
    game_set_paused(paused);
    refresh_cursor();
    log_message(paused ? "paused" : "resumed");
    return true;
}

bool paused()
{
    return loop.paused;
}

static int next_index(int i)
{
    return i + 1 == FRAME_STATS_LEN ? 0 : i + 1;
}

// The frame's own keys, read only while the window is active: F1 shows the
// performance overlay, releasing Print Screen saves a screenshot of the next
// frame presented.
static void handle_frame_keys()
{
    if (!window_active())
        return;
    if (key_pressed(VK_F1))
        toggle_perf_overlay();
    if (key_released(VK_SNAPSHOT))
        request_screenshot();
}

// One update: the duration of the previous update goes into its ring first.
// When the update hook declines, the loop ends instead; a pause that the
// messages bring skips it.
static void run_update()
{
    pump_window_messages();
    if (loop.paused)
        return;
    FrameStats& s = loop.stats;
    s.updateUs[s.updateIndex] = static_cast<int32_t>(ticks_to_us(loop.lastUpdateTicks));
    s.updateIndex = next_index(s.updateIndex);
    int64_t start = timer_now();
    handle_frame_keys();
    const UpdateHooks& h = loop.hooks;
    float seconds = h.seconds ? h.seconds(update_seconds()) : update_seconds();
    if (!h.update)
        game_update(seconds);
    else if (!h.update(seconds))
        request_quit();
    loop.lastUpdateTicks = timer_now() - start;
    input_end_update();
}

// Presents the pending frame and records its time, the GPU load and the
// frames-per-second count.
static void present_and_measure()
{
    present_frame();
    int64_t now = timer_now();
    FrameStats& s = loop.stats;
    s.frameUs[s.frameIndex] = static_cast<int32_t>(ticks_to_us(now - loop.renderStart));
    int load;
    s.gpuLoad[s.frameIndex] = gpu_load_query(&load) ? load : -1;
    s.frameIndex = next_index(s.frameIndex);
    ++loop.periodFrames;
    if (now - loop.periodStart >= timer_frequency()) {
        loop.fps = loop.periodFrames;
        loop.periodStart = now;
        loop.periodFrames = 0;
    }
    save_requested_screenshot();
    if (loop.logFirstFrame) {
        loop.logFirstFrame = false;
        log_message(
            "first frame presented after %d ms", static_cast<int>(ticks_to_ms(now - loop.programStart)));
    }
}

// Starts the loop's clock and statistics.
static void begin_loop()
{
    int64_t now = timer_now();
    loop.simTime = now;
    loop.periodStart = now;
    loop.periodFrames = 0;
    loop.lastUpdateTicks = 0;
    memset(&loop.stats, 0, sizeof loop.stats);
    // No figure yet: the overlay leaves the GPU load out until one arrives.
    for (int32_t& load : loop.stats.gpuLoad)
        load = -1;
    loop.counter = 0;
    loop.presentPending = false;
    loop.updateDue = true;
    loop.redraw = true;
}

// Presents the frame the last pass rendered, if any.
static void present_pending_frame()
{
    if (!loop.presentPending)
        return;
    present_and_measure();
    loop.presentPending = false;
}

// What one pass of the loop did.
enum LoopPass {
    PASS_UPDATE,  // an update fell due: it runs first in the next pass
    PASS_FRAME,   // a frame was rendered (its presentation comes first in the next pass)
    PASS_NOTHING, // no frame could be rendered (the GPU is two frames behind)
    PASS_IDLE,    // idle and nothing changed: no frame was needed
    PASS_END,     // the loop is over
};

// Paused or minimised: frames only when the picture may have changed. A
// browser paces the rounds itself and can't wait in the event pump.
static bool idle()
{
#ifdef __EMSCRIPTEN__
    return false;
#else
    return loop.paused || plat_window_minimised();
#endif
}

// Ticks from now until the next update is due (0 or less: due now).
static int64_t update_in(int64_t now)
{
    return loop.simTime + loop.updatePeriod - now;
}

// Ticks from now until the next idle frame is due (0 or less: due now).
static int64_t idle_frame_in(int64_t now)
{
    return loop.renderStart + timer_frequency() / IDLE_FRAMES_PER_SECOND - now;
}

// Ticks from now until the next idle frame is due, or the next update when
// the game runs on (minimised); 0 when something is due now or not idle.
static int64_t idle_ticks(int64_t now)
{
    if (!idle() || loop.redraw)
        return 0;
    int64_t until = idle_frame_in(now);
    if (!loop.paused)
        until = std::min(until, update_in(now));
    return std::max<int64_t>(until, 0);
}

// Pumps the messages, first sleeping in the event wait up to wait_ms for
// one. A message means the picture may change.
static void pump_messages(int wait_ms)
{
    if (pump_window_messages(wait_ms) > 0)
        loop.redraw = true;
}

// An idle pass that drew nothing sleeps in the event wait until a message
// comes or the next frame or update is due (rounded up to whole
// milliseconds, so a due update starts at most one late).
static void sleep_until_due()
{
    int64_t ticks = idle_ticks(timer_now());
    int64_t ms = (ticks * 1000 + timer_frequency() - 1) / timer_frequency();
    if (ms > 0)
        pump_messages(static_cast<int>(ms));
}

// Whether an idle pass may skip its frame: nothing changed and the next
// idle frame is not due yet.
static bool skip_idle_frame(int64_t now)
{
    return idle() && !loop.redraw && idle_frame_in(now) > 0;
}

// One pass of the loop: the update that is due, if any, then one frame when
// no further update is due.
static LoopPass loop_pass()
{
    if (loop.updateDue) {
        if (loop.quit)
            return PASS_END;
        loop.updateDue = false;
        run_update();
        if (loop.quit)
            return PASS_END;
    }
    present_pending_frame();
    pump_messages(0);
    int64_t now = timer_now();
    if (loop.paused) {
        // The clock stands still; the frame keys and the game's pause menu
        // take what was typed, and the rest is dropped.
        loop.simTime = now - loop.pausedLag;
        handle_frame_keys();
        game_paused_input();
        input_end_update();
    }
    int64_t lag = now - loop.simTime;
    if (lag < 0) { // the counter went backwards
        lag = 0;
        loop.simTime = now;
    }
    if (lag >= loop.updatePeriod && ++loop.counter <= loop.maxUpdates) {
        loop.simTime += loop.updatePeriod;
        loop.updateDue = true;
        return PASS_UPDATE;
    }
    if (loop.counter <= loop.maxUpdates && skip_idle_frame(now)) {
        loop.counter = -1;
        sleep_until_due();
        return loop.quit ? PASS_END : PASS_IDLE;
    }
    loop.presentPending = render_frame(static_cast<float>(ticks_to_seconds(lag)));
    if (loop.presentPending) {
        loop.renderStart = now;
        loop.redraw = false;
    }
    if (loop.counter > loop.maxUpdates) {
        // Too far behind: drop the backlog and slow the game down.
        loop.counter = 0;
        loop.simTime = timer_now();
        loop.updateDue = true;
        return loop.presentPending ? PASS_FRAME : PASS_UPDATE;
    }
    loop.counter = -1;
    if (loop.quit)
        return PASS_END;
    return loop.presentPending ? PASS_FRAME : PASS_NOTHING;
}

// Presents what the last pass left pending.
static void end_loop()
{
    if (loop.presentPending)
        present_frame();
    loop.presentPending = false;
    input_end_update();
}

// The GPU is two frames behind: sleeps in the driver until it catches up,
// for at most GPU_WAIT_US and never past the time the next update falls due.
static void wait_for_gpu()
{
    int64_t us = GPU_WAIT_US;
    if (!loop.paused) {
        int64_t until = update_in(timer_now());
        if (until <= 0)
            return;
        us = std::min(us, ticks_to_us(until));
    }
    wait_for_frame_slot(static_cast<int>(us));
}

void main_loop()
{
    begin_loop();
    for (LoopPass pass = loop_pass(); pass != PASS_END; pass = loop_pass())
        if (pass == PASS_NOTHING)
            wait_for_gpu();
    end_loop();
}

#ifdef __EMSCRIPTEN__
// Set by run_main_loop for the round that ends the browser's loop.
static int (*loop_end)();

// A round in the browser: passes until a frame is rendered or none can be.
// The browser shows the canvas when the round returns and then drops what
// was drawn, so the frame is presented (and kept for a screenshot) before
// that.
static bool browser_round()
{
    LoopPass pass;
    do
        pass = loop_pass();
    while (pass == PASS_UPDATE);
    present_pending_frame();
    return pass != PASS_END;
}

static int browser_end()
{
    end_loop();
    return loop_end();
}

int run_main_loop(int (*end)())
{
    begin_loop();
    loop_end = end;
    plat_run_loop(browser_round, browser_end);
    return 0; // never reached: the browser runs the rounds
}
#else
int run_main_loop(int (*end)())
{
    main_loop();
    return end();
}
#endif
