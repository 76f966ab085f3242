// viewLevelMode.cpp - ViewLevelMode: a free look over the generated level.
#include "../game/gameMode.h"

class ViewLevelMode final : public GameMode {
public:
    void enter(GameMode*) override { }
    void leave(GameMode*) override { }
    void update(float) override { }
    void render(float) override { }
    void render_overlay(float) override { }
    void resize() override { }
};

GameMode* view_level_mode()
{
    static ViewLevelMode mode;
    return &mode;
}
