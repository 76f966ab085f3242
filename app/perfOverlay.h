// perfOverlay.h - the on-screen timing graphs and statistics (F1).
//
// Drawn with the font batch in its pixel coordinates: origin at the bottom
// left of the screen, y up.
#pragma once

#include <stdint.h>

#include "mainLoop.h"

// Whether the overlay is shown: off at start, F1 toggles it.
bool perf_overlay_on();
void toggle_perf_overlay();

// Draws the overlay into the open font batch.
void draw_perf_overlay();

// One ring of 200 samples as a bar graph a quarter of the screen high at
// the bottom right or left: full height stands for 2 * scale, bars at or
// above threshold are red, and a budget band marks the threshold when it
// lies within the graph. Index is the ring's oldest sample.
void draw_time_graph(
    const int32_t ring[FRAME_STATS_LEN], int index, int64_t scale, int64_t threshold, bool rightSide);

// Largest, average ((sum + 100) / 200) and smallest value of a ring.
struct RingSummary {
    int32_t max, average, min;
};
RingSummary summarize_ring(const int32_t ring[FRAME_STATS_LEN]);
