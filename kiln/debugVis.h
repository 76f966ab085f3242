// debugVis.h - the world-space debug drawing batch.
#pragma once

void debug_vis_init();
void debug_vis_shutdown();
