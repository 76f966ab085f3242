// exitBox.h - where the level's exit is, for tests that walk the hero onto it.
#pragma once

#include <algorithm>

#include "voxel/levelGrid.h"

// The box of the exit voxels at the exit's depth (10); x1 < 0 when there are none.
struct ExitBox {
    int x0 = LEVEL_SIZE_X, y0 = LEVEL_SIZE_Y, x1 = -1, y1 = -1;
};

inline ExitBox exit_box()
{
    ExitBox b;
    for (int y = 0; y < LEVEL_SIZE_Y; ++y)
        for (int x = 0; x < LEVEL_SIZE_X; ++x)
            if (level_grid()[level_voxel_index(x, y, 10)] >= VOXEL_EXIT) {
                b.x0 = std::min(b.x0, x);
                b.x1 = std::max(b.x1, x);
                b.y0 = std::min(b.y0, y);
                b.y1 = std::max(b.y1, y);
            }
    return b;
}
