// gameover.cpp - GameOverMode: the world keeps running behind "GAME OVER".
#include "../voxel/dynCubeRender.h"
#include "gameMode.h"

class GameOverMode final : public GameMode {
public:
    void enter(GameMode*) override { }
    void leave(GameMode*) override { }
    void update(float seconds) override { play_world_step(seconds); }
    void render(float seconds) override { draw_world(seconds); }
    void render_overlay(float) override { }
    void resize() override { }
};

GameMode* game_over_mode()
{
    static GameOverMode mode;
    return &mode;
}
