// gameover.cpp - GameOverMode: "GAME OVER" over the level, which keeps
// running behind it (robots walk, shots fly, debris falls); under it the
// run's summary and, in a live player's game, the ten best runs with the new
// run's row marked; after a short pause a released key or mouse button
// starts a new game.
//
// The summary and the table are a GUI tree on a grid of 80 x 45 units, so
// that a unit is one font cell at the font's own scale (8 pixels at 640 x
// 360, 16 at 1280 x 720); the banner stays in the middle of the screen and
// the text stands below it. The tree is built at the first frame drawn
// after the mode is entered (an update never touches the GUI) and deleted
// when the mode is left.
#include <inttypes.h>
#include <stdio.h>

#include "../core/input.h"
#include "../kiln/gui.h"
#include "../kiln/kilnGuiRenderer.h"
#include "../sound/sound.h"
#include "../voxel/dynCubeRender.h"
#include "bestRuns.h"
#include "gameHooks.h"
#include "gameMode.h"
#include "scene.h"
#include "updateInput.h"

static const float RESTART_PAUSE = 0.5f; // seconds before a release counts
static const char GAME_OVER_TEXT[] = "GAME OVER";
enum { REF_WIDTH = 80, REF_HEIGHT = 45 }; // the screen's grid in GUI units

static const uint32_t GREY = 0xffc8c8c8;   // the summary and the table
static const uint32_t YELLOW = 0xfffff000; // the new run's row
static const uint32_t PANEL = 0xa0000000;  // black at 63 % behind the texts, so the level can't hide them
static const float PANEL_TOP = 26;         // units from the top, just below the banner
static const float SUMMARY_TOP = 26.5f;    // the summary's two lines
static const float TABLE_TOP = 29.25f;     // "BEST RUNS", the column titles, then a row per unit
static const float MARKER_LEFT = 1.5f;     // the new run's ">"

// A column of the table: its left edge and width in units, and how its
// texts align (-1 left, 1 right).
struct Column {
    const char* title;
    float left, width;
    int alignX;
};
static const Column COLUMNS[] = {
    {"", 3, 3, 1},
    {"LEVELS", 6, 7, 1},
    {"TIME", 13, 9, 1},
    {"ROBOTS", 22, 7, 1},
    {"SHOTS", 29, 6, 1},
    {"HITS", 35, 5, 1},
    {"HOLES", 40, 6, 1},
    {"HEARTS", 46, 7, 1},
    {"SEED", 54, 14, 1},
    {"PLAYED", 70, 7, -1},
};
enum { COLUMN_COUNT = sizeof COLUMNS / sizeof COLUMNS[0] };

static struct {
    float waitTime;    // seconds until a restart key counts; set by enter
    bool keepBestRuns; // set by game_keep_best_runs; off unless a live player plays
    RunStats run;      // the run that ended; set by enter
    BestRuns table;    // what the table shows; emptied by enter
    int newRow;        // the run's row in it, -1 when none; set by enter
    GuiScreen* screen; // built by the first frame after enter; deleted by leave
} gameOver;

void game_keep_best_runs(bool keep)
{
    gameOver.keepBestRuns = keep;
}

GuiScreen* game_over_screen()
{
    return gameOver.screen;
}

// Space, Enter or a mouse button went up since the last update.
static bool restart_released()
{
    return input_released(VK_SPACE) || input_released(VK_LBUTTON) || input_released(VK_RBUTTON)
        || input_released(VK_RETURN);
}

// A run's time as the table shows it: minutes, seconds and tenths, with
// hours in front from the first hour on.
static const char* format_time(int64_t ms, char* out, size_t size)
{
    int64_t tenths = ms / 100, s = tenths / 10, m = s / 60, h = m / 60;
    if (h > 0)
        snprintf(out, size, "%" PRId64 ":%02d:%02d.%d", h, static_cast<int>(m % 60), static_cast<int>(s % 60),
            static_cast<int>(tenths % 10));
    else
        snprintf(
            out, size, "%" PRId64 ":%02d.%d", m, static_cast<int>(s % 60), static_cast<int>(tenths % 10));
    return out;
}

// The seed a run is known by: the day of a -daily run, else its number
// (after "seed " in the summary, alone in the table).
static const char* format_seed(const RunStats& r, const char* prefix, char* out, size_t size)
{
    char day[16];
    if (r.daily)
        snprintf(out, size, "daily %s", format_day(r.dailyDate, day, sizeof day));
    else
        snprintf(out, size, "%s%" PRIu64, prefix, r.seed);
    return out;
}

// A label as large as its text (or `width` units wide), its top `top` units
// below the root's and its left edge `left` units in (centred when left < 0).
static GuiElement* label(
    GuiElement* root, const char* text, uint32_t colour, float top, float left, float width, int alignX)
{
    GuiLen a = gui_auto();
    GuiBox margin
        = left < 0 ? gui_box(gui_units(top), a, a, a) : gui_box(gui_units(top), gui_units(left), a, a);
    return gui_create_label(root, text, colour, 1, alignX, 0, margin, gui_box(gui_units(0)), width,
        width > 0 ? GUILEN_UNITS : GUILEN_AUTO, 0, GUILEN_AUTO);
}

// One row of the table (or the titles, for a null run) at `top`.
static void table_row(GuiElement* root, float top, const RunStats* r, int rank, uint32_t colour)
{
    char texts[COLUMN_COUNT][32] = {};
    if (r) {
        snprintf(texts[0], sizeof texts[0], "%d.", rank);
        snprintf(texts[1], sizeof texts[1], "%d", r->levels);
        format_time(r->timeMs, texts[2], sizeof texts[2]);
        snprintf(texts[3], sizeof texts[3], "%d", r->robots);
        snprintf(texts[4], sizeof texts[4], "%d", r->shots);
        snprintf(texts[5], sizeof texts[5], "%d", r->hits);
        snprintf(texts[6], sizeof texts[6], "%d", r->holes);
        snprintf(texts[7], sizeof texts[7], "%d", r->heartsLost);
        format_seed(*r, "", texts[8], sizeof texts[8]);
        format_day(r->played, texts[9], sizeof texts[9]);
    }
    for (int c = 0; c < COLUMN_COUNT; ++c) {
        const Column& col = COLUMNS[c];
        label(root, r ? texts[c] : col.title, colour, top, col.left, col.width, col.alignX);
    }
}

// The dark panel behind the texts, from below the banner to `bottom` units:
// the root's first child, so that it is drawn before them.
static void panel(GuiElement* root, float bottom)
{
    GuiElement* p = gui_create_element(REF_WIDTH - 2, GUILEN_UNITS, bottom - PANEL_TOP, GUILEN_UNITS,
        gui_box(gui_units(PANEL_TOP), gui_units(1), gui_auto(), gui_auto()), gui_box(gui_units(0)), nullptr);
    p->background = PANEL;
    root->add_child(p, 0);
}

// The summary of the run that ended and, when kept, the best runs table,
// over a dark panel (added last: a child added at position -1 goes before
// the last one, so only the first position is sure to be drawn first).
static GuiElement* build_game_over_screen()
{
    GuiElement* root = gui_create_element(REF_WIDTH, GUILEN_UNITS, REF_HEIGHT, GUILEN_UNITS,
        gui_box(gui_auto()), gui_box(gui_units(0)), nullptr);
    const RunStats& r = gameOver.run;
    char time[32], seed[48];
    ShortText line;
    format_short(line, "LEVELS %d   TIME %s   ROBOTS %d   SHOTS %d   HITS %d   HOLES %d   HEARTS LOST %d",
        r.levels, format_time(r.timeMs, time, sizeof time), r.robots, r.shots, r.hits, r.holes, r.heartsLost);
    label(root, line.s, GREY, SUMMARY_TOP, -1, 0, 0);
    label(root, format_seed(r, "seed ", seed, sizeof seed), GREY, SUMMARY_TOP + 1.25f, -1, 0, 0);
    if (!gameOver.keepBestRuns || gameOver.table.count == 0) {
        panel(root, SUMMARY_TOP + 2.75f);
        return root;
    }
    label(root, "BEST RUNS", GREY, TABLE_TOP, -1, 0, 0);
    table_row(root, TABLE_TOP + 1.25f, nullptr, 0, GREY);
    for (int i = 0; i < gameOver.table.count; ++i) {
        bool marked = i == gameOver.newRow;
        float top = TABLE_TOP + 2.25f + static_cast<float>(i);
        table_row(root, top, &gameOver.table.runs[i], i + 1, marked ? YELLOW : GREY);
        if (marked)
            label(root, ">", YELLOW, top, MARKER_LEFT, 0, -1);
    }
    panel(root, TABLE_TOP + 2.75f + static_cast<float>(gameOver.table.count));
    return root;
}

static void delete_screen()
{
    delete gameOver.screen;
    gameOver.screen = nullptr;
}

class GameOverMode final : public GameMode {
public:
    // The run ends here; a live player's run goes into the best runs. A run
    // that already ended (the level-skip key led on from GAME OVER) is not
    // counted twice.
    void enter(GameMode*) override
    {
        gameOver.waitTime = RESTART_PAUSE;
        play_sound(SOUND_GAME_OVER);
        bool ended = run_active();
        gameOver.run = end_run();
        gameOver.table.count = 0;
        gameOver.newRow = -1;
        if (ended && gameOver.keepBestRuns)
            gameOver.newRow = keep_best_run(gameOver.run, &gameOver.table);
        delete_screen();
    }
    void leave(GameMode*) override { delete_screen(); }

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

    void render_overlay(float) override
    {
        draw_banner(GAME_OVER_TEXT);
        if (!gameOver.screen)
            gameOver.screen
                = new GuiScreen(game_gui_renderer(), build_game_over_screen(), REF_WIDTH, REF_HEIGHT);
        gameOver.screen->draw();
    }

    void resize() override
    {
        if (gameOver.screen)
            gameOver.screen->relayout();
    }
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
