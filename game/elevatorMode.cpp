// elevatorMode.cpp - ElevatorGameMode: the cab carries the hero up and out.
#include "gameMode.h"

class ElevatorGameMode final : public GameMode {
public:
    void enter(GameMode*) override { }
    void leave(GameMode*) override { }
    void update(float) override { }
    void render(float) override { }
    void render_overlay(float) override { }
    void resize() override { }
};

GameMode* elevator_mode()
{
    static ElevatorGameMode mode;
    return &mode;
}
