// dynCubeRender.h - the instanced cube renderer and the voxel cache.
#pragma once

void cube_renderer_init();
void cube_renderer_shutdown();
// Forgets every cached chunk; the level is rebuilt on the next draw.
void voxel_cache_invalidate_all();
// Draws one frame of the level and its contents; t = time since the last update.
void draw_world(float t);
