// playMode.cpp - PlayGameMode: the running level.
#include "../voxel/dynCubeRender.h"
#include "gameMode.h"
#include "scene.h"

class PlayGameMode final : public GameMode {
public:
    void enter(GameMode*) override { }
    void leave(GameMode*) override { }
    void update(float seconds) override { play_world_step(seconds); }
    void render(float seconds) override { draw_world(seconds); }
    void render_overlay(float) override { }
    void resize() override { }
};

GameMode* play_mode()
{
    static PlayGameMode mode;
    return &mode;
}
