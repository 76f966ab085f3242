// perfOverlay.cpp - the on-screen timing graphs and statistics (F1).
#include "perfOverlay.h"

#include <stdio.h>

#include "../device/d3d_render.h"
#include "../gen/levelGen.h"
#include "../kiln/font.h"

static const uint32_t BACKDROP = 0x40000000;    // black at alpha 64
static const uint32_t BUDGET_BAND = 0x20008000; // dark green at alpha 32
static const uint32_t TEXT = 0xffffffff;

static bool shown; // toggled by F1

bool perf_overlay_on()
{
    return shown;
}

void toggle_perf_overlay()
{
    shown = !shown;
}

RingSummary summarize_ring(const int32_t ring[FRAME_STATS_LEN])
{
    int32_t hi = ring[0], lo = ring[0];
    int64_t sum = 0;
    for (int i = 0; i < FRAME_STATS_LEN; ++i) {
        hi = ring[i] > hi ? ring[i] : hi;
        lo = ring[i] < lo ? ring[i] : lo;
        sum += ring[i];
    }
    return {hi, static_cast<int32_t>((sum + 100) / FRAME_STATS_LEN), lo};
}

// A bar's colour: green below the threshold, red from it on, brighter the
// newer the sample (age 0 is the oldest).
static uint32_t bar_colour(int age, bool over)
{
    uint32_t level = static_cast<uint32_t>(0.5f * 255.0f * static_cast<float>(age) / FRAME_STATS_LEN);
    return 0xff000000u | (over ? level << 16 : level << 8);
}

void draw_time_graph(
    const int32_t ring[FRAME_STATS_LEN], int index, int64_t scale, int64_t threshold, bool rightSide)
{
    int w = screen_width(), h = screen_height() / 4;
    int g = w / 400 > 2 ? w / 400 : 2;
    // Update rates above 10 000 a second would make the update graph's scale 0.
    scale = scale > 1 ? scale : 1;
    int x0 = rightSide ? w - FRAME_STATS_LEN * g : 0;
    font_fill_rect(x0, 0, x0 + FRAME_STATS_LEN * g, h, BACKDROP);
    if (threshold <= 2 * scale)
        font_fill_rect(
            x0, 0, x0 + FRAME_STATS_LEN * g, static_cast<int>(h * threshold / (2 * scale)), BUDGET_BAND);
    int32_t m = 0;
    for (int i = 0; i < FRAME_STATS_LEN; ++i)
        m = ring[i] > m ? ring[i] : m;
    bool labelled = false;
    for (int i = 0; i < FRAME_STATS_LEN; ++i) {
        int left = x0 + g / 2 + 1 + i * g;
        int64_t bar = ring[i] * static_cast<int64_t>(h) / (2 * scale);
        int barH = static_cast<int>(bar < 0 ? 0 : bar > h ? h : bar);
        int age = ((i - index) % FRAME_STATS_LEN + FRAME_STATS_LEN) % FRAME_STATS_LEN;
        font_fill_rect(left, 0, left + g - 1, barH, bar_colour(age, ring[i] >= threshold));
        if (!labelled && ring[i] >= m) {
            labelled = true;
            char text[16];
            snprintf(text, sizeof text, "%d", ring[i]);
            font_draw_text(text, -1, left + g / 2, barH > h / 2 ? barH : h / 2, rightSide ? 1 : -1, -1, TEXT);
        }
    }
}

// A label at the left column of the statistics box, centred on y.
static void label(int x, int y, const char* text)
{
    font_draw_text(text, -1, x, y, -1, 0, TEXT);
}

// A value ending at the right edge of the screen, its top at y.
static void value(int w, int y, const char* format, int number)
{
    char text[32];
    snprintf(text, sizeof text, format, number);
    font_draw_text(text, -1, w, y, 1, 1, TEXT);
}

// The three figures of a ring from y downwards, one line (c * s) apart.
static void summary_values(int w, int y, int line, const char* format, const RingSummary& r)
{
    value(w, y, format, r.max);
    value(w, y - line, format, r.average);
    value(w, y - 2 * line, format, r.min);
}

// The seed of the level being played, on its own backdrop under the box:
// starting the game from it shows this level first.
static void draw_level_seed(int w, int top, int line)
{
    char text[40];
    snprintf(text, sizeof text, "seed %llu", static_cast<unsigned long long>(level_seed()));
    int tw, th;
    font_text_extent(text, -1, &tw, &th);
    font_fill_rect(w - tw - line, top - line, w, top, BACKDROP);
    font_draw_text(text, -1, w, top, 1, 1, TEXT);
}

void draw_perf_overlay()
{
    int w = screen_width(), h = screen_height();
    int c = font_cell_height();
    int s = c > 0 && h / (c * 40) > 1 ? h / (c * 40) : 1;
    int line = c * s, half = c / 2 * s;
    const FrameStats& stats = frame_stats();
    int64_t period = update_period_us();

    font_push_state();
    font_set_scale(s);
    draw_time_graph(stats.frameUs, stats.frameIndex, period, period, true);
    draw_time_graph(stats.updateUs, stats.updateIndex, period / 100, period, false);
    font_fill_rect(w - 12 * line, h - 14 * line, w, h, BACKDROP);

    int x = w - 11 * line;
    value(w, h, "%d", frames_per_second());
    font_draw_text("FPS", -1, x, h, -1, 1, TEXT);
    label(x, h - 3 * line, "frame\ntime");
    summary_values(w, h - line - half, line, "%02d", summarize_ring(stats.frameUs));
    label(x, h - 6 * line - half, "update\ntime");
    summary_values(w, h - 5 * line, line, "%02d", summarize_ring(stats.updateUs));
    label(x, h - 9 * line, "tex\nmem");
    value(w, h - 8 * line - half, "%3d MB", static_cast<int>(available_texture_memory() >> 20));
    RingSummary gpu = summarize_ring(stats.gpuLoad);
    if (gpu.max >= 0) {
        label(x, h - 11 * line - half, "GPU\nload");
        summary_values(w, h - 10 * line, line, "%3d%%", gpu);
    }
    draw_level_seed(w, h - 14 * line, line);
    font_pop_state();
}
