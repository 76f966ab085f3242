// perfOverlay.cpp - the on-screen timing graphs and statistics (F1).
#include "perfOverlay.h"

void draw_perf_overlay()
{
    // The graphs are drawn with the font batch, which comes later.
}
