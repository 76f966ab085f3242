// upgradeMode.cpp - UpgradeGameMode: spending points between levels.
#include "gameMode.h"

class UpgradeGameMode final : public GameMode {
public:
    void enter(GameMode*) override { }
    void leave(GameMode*) override { }
    void update(float) override { }
    void render(float) override { }
    void render_overlay(float) override { }
    void resize() override { }
};

GameMode* upgrade_mode()
{
    static UpgradeGameMode mode;
    return &mode;
}
