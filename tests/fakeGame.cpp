// fakeGame.cpp - game hooks and GPU probe driven by the test.
#include "app/gpuLoad.h"
#include "app/mainLoop.h"
#include "fakeFrame.h"
#include "game/gameHooks.h"

void game_init()
{
}
void game_shutdown()
{
}
void game_resized()
{
}

bool game_pause_allowed()
{
    return fake_game.pauseAllowed;
}

void game_set_paused(bool paused)
{
    fake_game.pausedFrames = paused;
}

void game_paused_input()
{
    ++fake_game.pausedInputs;
    if (fake_game.onPausedInput)
        fake_game.onPausedInput();
}

bool game_waits_for_key()
{
    return fake_game.waitsForKey;
}

void game_update(float seconds)
{
    if (fake_game.onUpdate)
        fake_game.onUpdate(seconds);
}

void game_draw(float seconds)
{
    if (fake_game.onDraw)
        fake_game.onDraw(seconds);
}

bool gpu_load_start()
{
    return fake_game.gpuLoad >= 0;
}

bool gpu_load_query(int* percent)
{
    if (fake_game.gpuLoad < 0)
        return false;
    *percent = fake_game.gpuLoad;
    return true;
}

void gpu_load_stop()
{
}
