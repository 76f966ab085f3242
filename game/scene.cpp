// scene.cpp - the game's scene: set-up, pixel scale, camera, the world's picture
// and the debug and flow keys.
#include "scene.h"

#include <math.h>

#include "../core/display.h"
#include "../core/floatRules.h"
#include "../core/input.h"
#include "../core/log.h"
#include "../device/d3d_misc.h"
#include "../device/d3d_render.h"
#include "../device/d3d_shaders.h"
#include "../device/d3d_textures.h"
#include "../gen/levelGen.h"
#include "../kiln/debugVis.h"
#include "../kiln/font.h"
#include "../kiln/gui.h"
#include "../voxel/dynCubeRender.h"
#include "../voxel/levelGrid.h"
#include "enemies.h"
#include "gameHooks.h"
#include "gameMode.h"
#include "hero.h"
#include "pauseMenu.h"
#include "playback.h"
#include "runStats.h"
#include "shots.h"
#include "updateInput.h"
#include "upgradeMode.h"

static struct {
    int pixelScale = 1; // these three are recomputed after every device reset
    Vec4 offset;        // (0.5/s, 0.5/s, -120, 0): half a pixel, and the eye 120 voxels in front
    Matrix projection;
    Vec4 viewCentre; // set by place_hero, interpolated every frame; kept across resizes
    Vec4 updateEye;  // taken at every update for gameplay
    Matrix updateViewProjection;
    int window[4];    // the level rectangle of the last draw_world, before clamping
    bool debugShapes; // F4
    bool paused;      // set and cleared by the main loop through game_set_paused; the menu shows
    bool padAiming;   // the pad's aim direction as the last player update took it
    float padAimX, padAimY;
    Texture* image; // the scene drawn each frame; from game_init to game_shutdown
    // Paused, the world stands still: once drawn into image, the paused
    // frames only copy it (about half the cost of a frame on a CPU
    // rasteriser, and an eighth of the main thread's). Cleared on pausing,
    // resuming and every device reset, which loses the image.
    bool imageKept;
    Shader* postEffect; // copies image to the back buffer; likewise
} scene;

enum { REG_EYE = 4, REG_POST_MAPPING = 16 };
enum { BANNER_MAGNIFICATION = 5, BANNER_SHADOW = 2 };
static const uint32_t PAUSE_DIM = 0x99000000; // black at 60 %

void compute_pixel_scale()
{
    int w = screen_width(), h = screen_height();
    int s = h / 120 > 1 ? h / 120 : 1;
    scene.pixelScale = s;
    scene.offset = {0.5f / s, 0.5f / s, -120.0f, 0.0f};
    // The view centre is a place in the level and stays: the next update
    // aims through it before any frame has interpolated a new one.
    // Near plane 1, far plane about 2001, and the level's front face 120
    // units ahead of the eye showing one voxel as s x s pixels.
    scene.projection
        = {{{240.0f * s / w, 0, 0, 0}, {0, 240.0f * s / h, 0, 0}, {0, 0, 1.0005f, 1}, {0, 0, -1.0005f, 0}}};
    log_message("3d pixel scale: %d", s);
}

int pixel_scale()
{
    return scene.pixelScale;
}

void set_view_centre(const Vec4& centre)
{
    scene.viewCentre = centre;
}

void view_centre(float* x, float* y)
{
    *x = scene.viewCentre.x;
    *y = scene.viewCentre.y;
}

float screen_pan(float x)
{
    float halfWidth = static_cast<float>(screen_width()) * 0.5f / static_cast<float>(scene.pixelScale);
    if (halfWidth <= 0)
        return 0;
    return fminf(1, fmaxf(-1, (x - scene.viewCentre.x) / halfWidth));
}

void camera_interpolate(float t)
{
    const CameraFocus& focus = camera_focus();
    float f = t * 20.0f;
    scene.viewCentre.x = focus.previous.x + (focus.current.x - focus.previous.x) * f;
    scene.viewCentre.y = focus.previous.y + (focus.current.y - focus.previous.y) * f;
    scene.viewCentre.z = focus.previous.z;
    scene.viewCentre.w = focus.previous.w;
}

// The eye over the view centre, on whole screen pixels plus half a pixel,
// and the view that looks from it along +z with +y up.
static Vec4 eye_for(const Vec4& c, Matrix* view)
{
    float s = static_cast<float>(scene.pixelScale);
    Vec4 eye = {nearbyintf(s * c.x) / s + scene.offset.x, nearbyintf(s * c.y) / s + scene.offset.y,
        nearbyintf(c.z) + scene.offset.z, nearbyintf(c.w) + scene.offset.w};
    *view = MATRIX_IDENTITY;
    view->m[3][0] = -eye.x;
    view->m[3][1] = -eye.y;
    view->m[3][2] = -eye.z;
    return eye;
}

Vec4 update_eye()
{
    return scene.updateEye;
}

Matrix update_view_projection()
{
    return scene.updateViewProjection;
}

bool debug_shapes_on()
{
    return scene.debugShapes;
}

void game_init()
{
    scene.image = create_screen_texture();
    if (!scene.image)
        fatal_error("can't create scene image texture");
    set_loading_status("Compiling post-effect shaders", -1.0f);
    scene.postEffect = load_shader("postfx_none.sh", nullptr);
    debug_vis_init();
    compute_pixel_scale();
    cube_renderer_init();
    load_level_data();
    voxel_cache_create(level_grid(), 1, LEVEL_STRIDE_Y, LEVEL_STRIDE_Z, LEVEL_SIZE_X, LEVEL_SIZE_Y,
        LEVEL_SIZE_Z, palette_colors());
    load_hero_sprites();
    load_enemy_sprites();
    register_gui_behaviours();
    start_game();
    begin_playback();
}

void game_shutdown()
{
    close_pause_menu();
    // The current mode leaves with no successor.
    switch_mode(nullptr);
    free_hero_sprites();
    free_enemies();
    free_shots_and_debris();
    voxel_cache_destroy();
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
    scene.imageKept = false;
    if (GameMode* mode = current_mode())
        mode->resize();
    pause_menu_resized();
}

// The debug and flow keys (the player's count only while the window is active).
static void handle_keys()
{
    if (input_pressed(VK_F4))
        scene.debugShapes = !scene.debugShapes;
    if (input_pressed(VK_F5)) {
        if (current_mode() == play_mode())
            switch_mode(view_level_mode());
        else if (current_mode() == view_level_mode())
            switch_mode(play_mode());
    }
    if (input_pressed(VK_ESCAPE))
        new_level();
    if (input_pressed(VK_F3))
        set_level_complete(true);
}

Vec4 player_aim_point()
{
    scene.padAiming = take_pad_aim(&scene.padAimX, &scene.padAimY);
    return scene.padAiming ? stick_aim_point(hero_position(), scene.padAimX, scene.padAimY) : aim_point();
}

void game_update(float seconds)
{
    pin_float_environment();
    // The view the update aims through: the one the last frame showed.
    Matrix view;
    scene.updateEye = eye_for(scene.viewCentre, &view);
    multiply_matrices(view, scene.projection, &scene.updateViewProjection);
    const UpdateInput& in = begin_update_input();
    // The robots that frames showed wake before anything else changes the list.
    if (!wake_robots(in.woken))
        fatal_error("the update's input wakes a robot that the level does not have");
    handle_keys();
    count_update(seconds);
    if (GameMode* mode = current_mode())
        mode->update(seconds);
    end_update_input();
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
    set_vs_constants(REG_POST_MAPPING, mapping, 1);
    draw_fullscreen_quad();
}

void draw_crosshair(int x, int y)
{
    int h = screen_height();
    int c = h / 70 > 4 ? h / 70 : 4, e = c / 2;
    const uint32_t BLACK = 0xFF000000, WHITE = 0xFFFFFFFF;
    font_fill_rect(x - c - e - 1, y - 1, x - c + 1, y + 2, BLACK);
    font_fill_rect(x - c - e, y, x - c, y + 1, WHITE);
    font_fill_rect(x + c, y - 1, x + c + e + 2, y + 2, BLACK);
    font_fill_rect(x + c + 1, y, x + c + e + 1, y + 1, WHITE);
    font_fill_rect(x - 1, y - c - e - 1, x + 2, y - c + 1, BLACK);
    font_fill_rect(x, y - c - e, x + 1, y - c, WHITE);
    font_fill_rect(x - 1, y + c, x + 2, y + c + e + 2, BLACK);
    font_fill_rect(x, y + c + 1, x + 1, y + c + e + 1, WHITE);
}

void draw_banner(const char* text)
{
    font_push_state();
    font_set_scale(font_scale() * BANNER_MAGNIFICATION);
    int x = screen_width() / 2, y = screen_height() / 2;
    font_draw_text(text, -1, x + BANNER_SHADOW, y - BANNER_SHADOW, 0, 0, 0xff000000);
    font_draw_text(text, -1, x, y, 0, 0, 0xffffffff);
    font_pop_state();
}

bool game_pause_allowed()
{
    return current_mode() && current_mode() != upgrade_mode();
}

void game_set_paused(bool paused)
{
    scene.paused = paused;
    scene.imageKept = false;
    if (paused) {
        open_pause_menu();
        return;
    }
    close_pause_menu();
    hold_back_paused_presses();
}

// Where the crosshair goes in the font's coordinates: on the pad's aim circle
// around the hero as this frame draws it while the pad aimed in the last
// update and the hero plays, else at the mouse while the cursor is over the
// window.
static bool crosshair_at(float t, const Matrix& view_projection, int* x, int* y)
{
    GameMode* mode = current_mode();
    if (scene.padAiming && mode != upgrade_mode() && mode != view_level_mode()) {
        Vec4 p = transform(
            stick_aim_point(hero_draw_position(t), scene.padAimX, scene.padAimY), view_projection);
        if (p.w <= 0)
            return false;
        *x = static_cast<int>((p.x / p.w + 1) * 0.5f * static_cast<float>(screen_width()));
        *y = static_cast<int>((p.y / p.w + 1) * 0.5f * static_cast<float>(screen_height()));
        return true;
    }
    if (!mouse_in_window())
        return false;
    float mx, my;
    mouse_pos(&mx, &my);
    *x = static_cast<int>(mx);
    *y = screen_height() - 1 - static_cast<int>(my);
    return true;
}

void game_draw(float seconds)
{
    GameMode* mode = current_mode();
    if (!mode)
        return;
    set_projection(scene.projection);
    camera_interpolate(seconds);
    Matrix view, viewProjection;
    Vec4 eye = eye_for(scene.viewCentre, &view);
    set_view(view);
    get_view_projection(&viewProjection);
    set_vs_constants(REG_WORLD_VIEW_PROJECTION, &viewProjection.m[0][0], 4);
    set_vs_constants(REG_EYE, &eye.x, 1);
    set_vs_constants(REG_LIGHT, CUBE_LIGHT_DIRECTION, 1);
    set_vs_constants(REG_DEPTH, CUBE_DEPTH_VECTOR, 1);

    if (!scene.imageKept) {
        set_scene_target();
        clear_all(0);
        mode->render(seconds);
        resolve_scene_to(scene.image);
        scene.imageKept = scene.paused;
    }
    draw_post_effect();

    font_begin();
    mode->render_overlay(seconds);
    int x, y;
    if (scene.paused) {
        // The system cursor shows instead of the crosshair.
        font_fill_rect(0, 0, screen_width(), screen_height(), PAUSE_DIM);
        draw_pause_menu();
    } else if (crosshair_at(seconds, viewProjection, &x, &y)) {
        draw_crosshair(x, y);
    }
    font_end();
}

void visible_window(int* x0, int* y0, int* x1, int* y1)
{
    *x0 = scene.window[0];
    *y0 = scene.window[1];
    *x1 = scene.window[2];
    *y1 = scene.window[3];
}

void world_window(float centre_x, float centre_y, int width, int height, int scale, int window[4])
{
    // The window reaches 40 voxels beyond each side and 30 above and below the view.
    int w = width / scale, h = height / scale;
    window[0] = static_cast<int>(lrintf(centre_x - 0.4999999f)) - (w + 80) / 2;
    window[1] = static_cast<int>(lrintf(centre_y - 0.4999999f)) - (h + 60) / 2;
    window[2] = window[0] + w + 80;
    window[3] = window[1] + h + 60;
}

void draw_world(float t)
{
    world_window(scene.viewCentre.x, scene.viewCentre.y, screen_width(), screen_height(), scene.pixelScale,
        scene.window);
    // The cache keeps the whole window, built ahead of the camera, but draws
    // only what the projection shows.
    Matrix view;
    Vec4 eye = eye_for(scene.viewCentre, &view);
    CacheView seen = {eye.x, eye.y, eye.z, 1 / scene.projection.m[0][0], 1 / scene.projection.m[1][1]};
    begin_cubes();
    voxel_cache_draw(scene.window[0], scene.window[1], scene.window[2] - 1, scene.window[3] - 1, seen);
    draw_hero(t);
    draw_enemies(t);
    draw_shots(t);
    draw_debris(t);
    end_cubes();
    if (scene.debugShapes) {
        // The hero's and the robots' shapes go into one open debug batch.
        debug_vis_begin();
        draw_hero_debug(t);
        draw_enemies_debug(t);
        debug_vis_end();
    }
}
