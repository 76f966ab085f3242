// perfOverlay.h - the on-screen timing graphs and statistics (F1).
#pragma once

// Draws the overlay with the font batch; called inside game_draw.
void draw_perf_overlay();
