// gameover.cpp - GameOverMode: "GAME OVER" over the level, which keeps
// running behind it (robots walk, shots fly, debris falls); after a short
// pause a released key or mouse button starts a new game.
#include "../core/input.h"
#include "../sound/sound.h"
#include "../voxel/dynCubeRender.h"
#include "gameMode.h"
#include "scene.h"
#include "updateInput.h"

static const float RESTART_PAUSE = 0.5f; // seconds before a release counts
static const char GAME_OVER_TEXT[] = "GAME OVER";

static struct {
    float waitTime; // seconds until a restart key counts; set by enter
} gameOver;

// Space, Enter or a mouse button went up since the last update.
static bool restart_released()
{
    return input_released(VK_SPACE) || input_released(VK_LBUTTON) || input_released(VK_RBUTTON)
        || input_released(VK_RETURN);
}

class GameOverMode final : public GameMode {
public:
    void enter(GameMode*) override
    {
        gameOver.waitTime = RESTART_PAUSE;
        play_sound(SOUND_GAME_OVER);
    }
    void leave(GameMode*) override { }

    // Keys released during the pause are not remembered: a key held through
    // it restarts when it is released.
    void update(float seconds) override
    {
        play_world_step(seconds);
        if (gameOver.waitTime > 0) {
            gameOver.waitTime -= seconds;
            return;
        }
        if (!restart_released())
            return;
        start_game();
    }

    void render(float seconds) override { draw_world(seconds); }

    void render_overlay(float) override { draw_banner(GAME_OVER_TEXT); }

    void resize() override { }
};

uint64_t hash_game_over_state(uint64_t h)
{
    return hash_value(h, gameOver.waitTime);
}

GameMode* game_over_mode()
{
    static GameOverMode mode;
    return &mode;
}
