// debugVis.cpp - the world-space debug drawing batch.
#include "debugVis.h"

void debug_vis_init()
{
    // The batch needs the device layer's buffers and shaders, which come later.
}

void debug_vis_shutdown()
{
}
