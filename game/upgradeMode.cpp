// upgradeMode.cpp - UpgradeGameMode: spending upgrade points between levels.
//
// The mode is also the handler of the screen's commands. Elements are placed
// by their margins alone, so the rows sit one GUI unit apart by their top
// margins, and the "+" and "-" buttons stand right of the cost column through
// negative right margins.
#include "upgradeMode.h"

#include "../kiln/guiBehaviours.h"
#include "../kiln/kilnGuiRenderer.h"
#include "../sound/sound.h"
#include "gameMode.h"
#include "updateInput.h"
#include "upgrades.h"

enum { REF_WIDTH = 40, REF_HEIGHT = 30 }; // the screen's grid in GUI units

static const uint32_t YELLOW = 0xfffff000;   // the banner, the level and chosen rows
static const uint32_t GREY = 0xffc8c8c8;     // texts and affordable rows
static const uint32_t DARK_RED = 0xff880000; // rows the points left do not cover

static struct {
    GuiScreen* screen;                  // created by enter; deleted when the mode is left
    DynArray<int32_t>* taken;           // where the screen's commands go while it takes input
    int pendingPoints;                  // the points left while choosing; set by enter
    DynArray<Upgrade*> offered;         // rebuilt by enter
    DynArray<int32_t> chosen;           // 0 or 1 per offered upgrade; zeroed by enter
    DynArray<GuiElement*> nameLabels;   // these five point into the screen's tree;
    DynArray<GuiElement*> costLabels;   // the lists are refilled by build_upgrade_screen
    DynArray<GuiElement*> plusButtons;  //
    DynArray<GuiElement*> minusButtons; //
    GuiElement* pointsLabel;            //
    GuiHoverMark hoverMark;             // the pointer and focus at the last update; reset by enter
} ui;

static const GuiBox NO_PADDING = gui_box(gui_units(0));

// A label as large as its text, vertically centred.
static GuiElement* label(
    GuiElement* parent, const char* text, uint32_t colour, int scale, int alignX, const GuiBox& margin)
{
    return gui_create_label(
        parent, text, colour, scale, alignX, 0, margin, NO_PADDING, 0, GUILEN_AUTO, 0, GUILEN_AUTO);
}

static GuiElement* element(float widthValue, int widthMode, const GuiBox& margin, GuiElement* parent)
{
    return gui_create_element(widthValue, widthMode, 0, GUILEN_AUTO, margin, NO_PADDING, parent);
}

GuiElement* build_upgrade_screen()
{
    ui.nameLabels.clear();
    ui.costLabels.clear();
    ui.plusButtons.clear();
    ui.minusButtons.clear();
    const GuiLen a = gui_auto();

    GuiElement* root = gui_create_element(
        REF_WIDTH, GUILEN_UNITS, REF_HEIGHT, GUILEN_UNITS, gui_box(a), NO_PADDING, nullptr);
    copy_text(root->name, "root");
    label(root, "TARNWICK!", YELLOW, 4, 0, gui_box(gui_units(1), a, a, a));
    ShortText level;
    label(root, format_short(level, "REACHED LEVEL %d", level_number()), YELLOW, 1, 0,
        gui_box(gui_units(5), a, a, a));

    // The names end at the name column's right edge; the costs are right
    // aligned in the narrow column after it.
    GuiElement* nameColumn = element(24, GUILEN_UNITS, gui_box(gui_units(9), gui_pixels(0), a, a), root);
    GuiElement* names = element(0, GUILEN_AUTO, gui_box(gui_pixels(0), a, gui_pixels(0), a), nameColumn);
    GuiElement* costs = element(3, GUILEN_UNITS, gui_box(gui_units(9), gui_units(24), a, a), root);
    label(names, "Upgrade points:", GREY, 1, 1, gui_box(gui_units(-2), a, gui_pixels(0), a));
    ui.pointsLabel = label(costs, "##", GREY, 1, 1, gui_box(gui_units(-2), a, gui_pixels(0), a));
    copy_text(ui.pointsLabel->name, "points");

    // With one-font-pixel borders on both sides a small button fills one unit.
    GuiLen small = gui_units(1 - 2.0f / static_cast<float>(game_gui_renderer()->pixelScale()));
    for (int i = 0; i < ui.offered.size(); ++i) {
        float row = static_cast<float>(i);
        ShortText name = ui.offered[i]->name();
        ui.nameLabels.push(label(names, name.s, GREY, 1, -1, gui_box(gui_units(row), gui_pixels(0), a, a)));
        ui.costLabels.push(label(costs, "##", GREY, 1, 1, gui_box(gui_units(row), a, gui_pixels(0), a)));
        ui.plusButtons.push(gui_create_button(costs, UPGRADE_PLUS + 2 * i, "+", 1, small, small,
            gui_box(gui_units(row), a, gui_units(-1.5f), a), NO_PADDING));
        ui.minusButtons.push(gui_create_button(costs, UPGRADE_MINUS + 2 * i, "-", 1, small, small,
            gui_box(gui_units(row), a, gui_units(-2.5f), a), NO_PADDING));
    }
    gui_create_button(root, UPGRADE_GO, "GO!", 3, gui_units(12), gui_units(5),
        gui_box(a, a, gui_units(5), gui_units(1)), NO_PADDING);
    refresh_upgrade_screen();
    return root;
}

void refresh_upgrade_screen()
{
    format_short(ui.pointsLabel->text, "%02d", ui.pendingPoints);
    for (int i = 0; i < ui.offered.size(); ++i) {
        int cost = ui.offered[i]->cost();
        bool chosen = ui.chosen[i] != 0, affordable = ui.pendingPoints >= cost;
        uint32_t colour = chosen ? YELLOW : affordable ? GREY : DARK_RED;
        format_short(ui.costLabels[i]->text, "%d", cost);
        ui.costLabels[i]->textColour = colour;
        ui.nameLabels[i]->textColour = colour;
        ui.plusButtons[i]->set_hidden(chosen || !affordable);
        ui.minusButtons[i]->set_hidden(!chosen);
    }
}

GuiScreen* upgrade_screen()
{
    return ui.screen;
}

// Buys what was chosen, keeps the points left and starts the next level.
static void go()
{
    for (int i = 0; i < ui.offered.size(); ++i)
        if (ui.chosen[i])
            ui.offered[i]->apply();
    set_upgrade_points(ui.pendingPoints);
    play_sound(SOUND_GO);
    new_level();
    switch_mode(play_mode());
}

// "+" chooses offered upgrade i, "-" gives its points back.
static void choose(int i, bool plus)
{
    int cost = ui.offered[i]->cost();
    ui.chosen[i] += plus ? 1 : -1;
    ui.pendingPoints += plus ? -cost : cost;
    refresh_upgrade_screen();
    play_sound(SOUND_BUTTON_PRESS);
}

// A tick when the pointer or the pad's focus comes onto a button.
static void hover_sound()
{
    if (gui_hover_changed(ui.screen, ui.hoverMark))
        play_sound(SOUND_BUTTON_HOVER);
}

static void delete_screen()
{
    delete ui.screen;
    ui.screen = nullptr;
}

class UpgradeGameMode final : public GameMode, public GuiEventHandler {
public:
    UpgradeGameMode()
        : GuiEventHandler(GUI_EVT_COMMAND)
    {
    }

    // Only upgrades that are available and affordable with all the points are offered.
    void enter(GameMode*) override
    {
        const GuiScreen* scr = ui.screen;
        ASSERT(!scr);
        ui.pendingPoints = upgrade_points();
        ui.offered.clear();
        for (Upgrade* const* u = upgrades; *u; ++u)
            if ((*u)->available() && (*u)->cost() <= upgrade_points())
                ui.offered.push(*u);
        ui.chosen.clear();
        ui.chosen.resize(ui.offered.size());
        ui.screen = new GuiScreen(game_gui_renderer(), build_upgrade_screen(), REF_WIDTH, REF_HEIGHT);
        ui.screen->root->add_handler(this, -1);
        ui.hoverMark = {};
    }

    void leave(GameMode*) override { delete_screen(); }

    // The commands of the update's input, the player's clicks or a script's,
    // run in order.
    void update(float) override
    {
        for (int32_t command : update_input().commands)
            run_command(command);
    }

    void render(float) override { }

    void render_overlay(float) override
    {
        if (ui.screen)
            ui.screen->draw();
    }

    void resize() override
    {
        if (ui.screen)
            ui.screen->relayout();
    }

    // Every command counts as handled; the update's input keeps it for the
    // update to run.
    int32_t handle(GuiEvent* event, GuiElement*, int) override
    {
        if (ui.taken)
            ui.taken->push(static_cast<GuiCommandEvent*>(event)->command);
        return 1;
    }

    // Commands behind GO! in the same update find the mode left and change
    // nothing (GO! must not buy twice). A "+" or "-" counts only where the
    // screen shows that button: unknown commands change nothing.
    void run_command(int command)
    {
        if (current_mode() != this)
            return;
        if (command == UPGRADE_GO) {
            go();
            return;
        }
        int offset = command - UPGRADE_PLUS;
        int i = offset >> 1;
        if (offset < 0 || i >= ui.offered.size())
            return;
        bool plus = (offset & 1) == 0;
        bool chosen = ui.chosen[i] != 0;
        if (plus ? !chosen && ui.pendingPoints >= ui.offered[i]->cost() : chosen)
            choose(i, plus);
    }

    // The mode lives for the whole run; the screen's root only borrows it.
    void attach(GuiElement*) override { }
    void detach(GuiElement*) override { }
};

void take_upgrade_screen_commands(DynArray<int32_t>& commands)
{
    if (!ui.screen || current_mode() != upgrade_mode())
        return;
    ui.taken = &commands;
    ui.screen->process_input();
    ui.taken = nullptr;
    hover_sound();
}

// The choices so far; what is offered follows from the points and upgrades.
uint64_t hash_upgrade_state(uint64_t h)
{
    h = hash_value(h, ui.pendingPoints);
    h = hash_bytes(ui.chosen.data(), sizeof(int32_t) * static_cast<size_t>(ui.chosen.size()), h);
    return hash_value(h, ui.offered.size());
}

GameMode* upgrade_mode()
{
    static UpgradeGameMode mode;
    return &mode;
}
