// levelGen.cpp - making a level: the generation run over the room map.
#include "levelGen.h"

#include "../game/enemies.h"
#include "../game/gameMode.h"
#include "../game/shots.h"
#include "../voxel/dynCubeRender.h"

void new_level()
{
    set_level_complete(false);
    clear_enemies();
    clear_shots();
    clear_debris();
    generate_level();
    voxel_cache_invalidate_all();
}

void generate_level()
{
    // The tile library and the templates are not loaded yet; the level stays empty.
}
