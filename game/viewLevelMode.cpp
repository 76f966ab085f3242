// viewLevelMode.cpp - ViewLevelMode: a free look over the generated level.
//
// The mouse pans the camera (the cursor is put back in the middle after each
// update, so its offset from the middle is the motion); releasing Space drops
// the hero at the viewed spot and returns to play.
#include <math.h>

#include "../core/display.h"
#include "../core/input.h"
#include "../kiln/font.h"
#include "../voxel/dynCubeRender.h"
#include "gameMode.h"
#include "hero.h"
#include "scene.h"
#include "updateInput.h"

// Voxels the view moves per pixel of mouse offset and update.
static const float PAN_PER_PIXEL = 0.5f;
static const uint32_t TEXT_COLOUR = 0xFF64FF64;

class ViewLevelMode final : public GameMode {
public:
    void enter(GameMode*) override
    {
        view = camera_focus().current;
        saved = view;
        started = false;
    }
    void leave(GameMode*) override { set_camera_focus(saved); }
    void update(float) override;
    void render(float seconds) override { draw_world(seconds); }
    void render_overlay(float) override;
    void resize() override { }
    uint64_t hash_state(uint64_t h) const
    {
        h = hash_value(h, view);
        h = hash_value(h, saved);
        return hash_value(h, static_cast<int32_t>(started));
    }

private:
    Vec4 view;    // the viewed spot; only x and y change
    Vec4 saved;   // the camera focus restored on leaving
    bool started; // false on entry: the first update only centres the cursor
};

void ViewLevelMode::update(float)
{
    int w = screen_width(), h = screen_height();
    if (started) {
        const UpdateInput& in = update_input();
        view.x += in.panX * PAN_PER_PIXEL;
        view.y += in.panY * PAN_PER_PIXEL;
    }
    // The player's cursor goes back to the middle; a script's offsets stand alone.
    if (update_input().fromPlayer)
        set_mouse_pos(static_cast<float>(w / 2), static_cast<float>(h / 2));
    started = true;
    set_camera_focus(view);
    if (input_released(VK_SPACE)) {
        place_hero(view.x, view.y);
        saved = view;
        switch_mode(play_mode());
    }
}

void ViewLevelMode::render_overlay(float)
{
    ShortText text;
    format_short(
        text, "VIEW MODE % 5d % 4d", static_cast<int>(lrintf(view.x)), static_cast<int>(lrintf(view.y)));
    font_draw_text(text.s, -1, 0, 0, -1, -1, TEXT_COLOUR);
}

static ViewLevelMode viewer;

GameMode* view_level_mode()
{
    return &viewer;
}

uint64_t hash_viewer_state(uint64_t h)
{
    return viewer.hash_state(h);
}
