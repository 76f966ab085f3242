// scene.cpp - the game's scene: set-up, pixel scale and the debug and flow keys.
#include "scene.h"

#include "../app/display.h"
#include "../app/gameHooks.h"
#include "../app/input.h"
#include "../app/log.h"
#include "../app/mainLoop.h"
#include "../app/screenshot.h"
#include "../app/window.h"
#include "../device/d3d_misc.h"
#include "../device/d3d_render.h"
#include "../device/d3d_shaders.h"
#include "../device/d3d_textures.h"
#include "../game/gameMode.h"
#include "../gen/levelGen.h"
#include "../kiln/debugVis.h"
#include "../kiln/font.h"
#include "../kiln/gui.h"
#include "dynCubeRender.h"

static struct {
    int pixelScale = 1; // recomputed after every device reset
    bool perfOverlay;   // F1
    bool debugShapes;   // F4
    Texture* image;     // the scene drawn each frame; from game_init to game_shutdown
    Shader* postEffect; // copies image to the back buffer; likewise
} scene;

void compute_pixel_scale()
{
    int s = screen_height() / 120;
    scene.pixelScale = s > 1 ? s : 1;
    log_message("3d pixel scale: %d", scene.pixelScale);
}

int pixel_scale()
{
    return scene.pixelScale;
}

bool perf_overlay_on()
{
    return scene.perfOverlay;
}

bool debug_shapes_on()
{
    return scene.debugShapes;
}

void game_init()
{
    set_update_rate(20, 5);
    scene.image = create_screen_texture();
    if (!scene.image)
        fatal_error("can't create scene image texture");
    set_loading_status("Compiling post-effect shaders", -1.0f);
    scene.postEffect = load_shader("postfx_none.sh", nullptr);
    debug_vis_init();
    compute_pixel_scale();
    cube_renderer_init();
    load_level_data();
    register_gui_behaviours();
    new_game();
    new_level();
    switch_mode(play_mode());
}

void game_shutdown()
{
    // The current mode leaves with no successor.
    switch_mode(nullptr);
    free_level_data();
    cube_renderer_shutdown();
    debug_vis_shutdown();
    free_shader(scene.postEffect);
    scene.postEffect = nullptr;
    destroy_texture(scene.image);
    scene.image = nullptr;
}

void game_resized()
{
    font_update_scale();
    compute_pixel_scale();
    voxel_cache_invalidate_all();
    if (GameMode* mode = current_mode())
        mode->resize();
}

// The debug and flow keys, read only while the window is active.
static void handle_keys()
{
    if (key_pressed(VK_F1))
        scene.perfOverlay = !scene.perfOverlay;
    if (key_pressed(VK_F4))
        scene.debugShapes = !scene.debugShapes;
    if (key_pressed(VK_F5)) {
        if (current_mode() == play_mode())
            switch_mode(view_level_mode());
        else if (current_mode() == view_level_mode())
            switch_mode(play_mode());
    }
    if (key_released(VK_SNAPSHOT))
        take_screenshot();
    if (key_pressed(VK_ESCAPE))
        new_level();
    if (key_pressed(VK_F3))
        set_level_complete(true);
}

void game_update(float seconds)
{
    if (window_active())
        handle_keys();
    if (GameMode* mode = current_mode())
        mode->update(seconds);
    end_update_timing();
}

// The scene image to the back buffer through the post-effect shader.
static void draw_post_effect()
{
    set_wireframe(false);
    set_backbuffer_target();
    set_shader(scene.postEffect);
    set_texture(0, scene.image);
    // Clip space to texture coordinates, with the half-texel offset.
    float w = static_cast<float>(screen_width()), h = static_cast<float>(screen_height());
    const float mapping[4] = {0.5f, -0.5f, 0.5f / w + 0.5f, 0.5f / h + 0.5f};
    set_vs_constants(16, mapping, 1);
    draw_fullscreen_quad();
}

void game_draw(float seconds)
{
    GameMode* mode = current_mode();
    if (!mode)
        return;
    set_scene_target();
    clear_all(0);
    mode->render(seconds);
    resolve_scene_to(scene.image);
    draw_post_effect();
    mode->render_overlay(seconds);
}
