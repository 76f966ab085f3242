// pauseMenu.cpp - the menu over the paused game, and the game hooks that
// the main loop and the window call while paused.
//
// The screen's buttons only queue their commands; they run after the event
// that made them has left the screen, because a command may replace the
// screen (another page) or close it (Resume). Elements are placed by their
// margins on the 40 x 30 unit grid, as on the upgrade screen.
#include "pauseMenu.h"

#include <string.h>

#include "../core/display.h"
#include "../core/input.h"
#include "../core/keyBindings.h"
#include "../core/log.h"
#include "../core/settings.h"
#include "../kiln/guiBehaviours.h"
#include "../kiln/kilnGuiRenderer.h"
#include "../platform/platform.h"
#include "../sound/sound.h"
#include "gameHooks.h"
#include "gameMode.h"
#include "playback.h"
#include "updateInput.h"

enum { REF_WIDTH = 40, REF_HEIGHT = 30, VOLUME_STEP = 10, MAX_COMMANDS = 8, OPTION_TOGGLES = 5 };

static const uint32_t WHITE = 0xffffffff;
static const uint32_t BLACK = 0xff000000;
static const uint32_t YELLOW = 0xfffff000; // page names, the key being chosen
static const uint32_t GREY = 0xffc8c8c8;   // labels and hints
static const uint32_t RED = 0xffff5040;    // a store that failed

static struct {
    MenuHooks hooks;            // set once at start-up
    GuiScreen* screen;          // from open_pause_menu to close_pause_menu; replaced on a page change
    PausePage page;             // set by each page change
    int commands[MAX_COMMANDS]; // queued by the buttons during one event, run after it
    int commandCount;           // emptied on opening and by each run of the queue
    bool waiting;               // the controls page waits for a key; cleared by every page change
    KeyAction waitingFor;       // the action it waits for
    int swallowUp;              // the mouse button that was bound: its release is not a click; 0 for none
    ShortText storeFailure;     // why the last store failed, shown; emptied by a success and on opening
    GuiHoverMark hoverMark;     // the pointer and focus at the last pass; reset with the screen
    GuiElement* toggles[OPTION_TOGGLES]; // the options page's toggles, PAUSE_WINDOW order; valid on that page
    GuiElement* volumeLabel;             // the options page's volume; likewise
    GuiElement* keyButtons[ACTION_COUNT]; // the controls page's keys; valid on that page
    GuiElement* hint;                     // the controls page's line under the keys; likewise
    GuiElement* failureLabel;             // every page's line for a failed store
} menu;

static const GuiBox NO_PADDING = gui_box(gui_units(0));

void set_menu_hooks(const MenuHooks& hooks)
{
    menu.hooks = hooks;
}

GuiScreen* pause_menu_screen()
{
    return menu.screen;
}

PausePage pause_menu_page()
{
    return menu.page;
}

bool pause_menu_waits_for_key()
{
    return menu.screen && menu.waiting;
}

bool game_waits_for_key()
{
    return pause_menu_waits_for_key();
}

const char* pause_menu_store_failure()
{
    return menu.storeFailure.s;
}

// A label as large as its text.
static GuiElement* label(
    GuiElement* parent, const char* text, uint32_t colour, int scale, int alignX, const GuiBox& margin)
{
    return gui_create_label(
        parent, text, colour, scale, alignX, 0, margin, NO_PADDING, 0, GUILEN_AUTO, 0, GUILEN_AUTO);
}

// A button of one text scale with its top edge at `top` units, centred
// across the grid unless the margin's sides say otherwise.
static GuiElement* button(GuiElement* parent, int command, const char* text, float width, float top,
    GuiLen left = gui_auto(), GuiLen right = gui_auto())
{
    return gui_create_button(parent, command, text, 1, gui_units(width), gui_units(1.75f),
        gui_box(gui_units(top), left, right, gui_auto()), NO_PADDING);
}

// "PAUSED" over a shadow two pixels right and down, the page's name under it.
static GuiElement* page_root(const char* pageName)
{
    const GuiLen a = gui_auto();
    GuiElement* root = gui_create_element(
        REF_WIDTH, GUILEN_UNITS, REF_HEIGHT, GUILEN_UNITS, gui_box(a), NO_PADDING, nullptr);
    copy_text(root->name, "root");
    // The first child made stays the last one, drawn over all the others.
    GuiElement* title = label(root, "PAUSED", WHITE, 4, 0, gui_box(gui_units(2), a, a, a));
    copy_text(title->name, "title");
    GuiElement* shadow = label(root, "PAUSED", BLACK, 4, 0, gui_box(gui_units(2), a, a, a));
    shadow->offsetX = shadow->offsetY = gui_pixels(2);
    if (pageName)
        label(root, pageName, YELLOW, 1, 0, gui_box(gui_units(6.5f), a, a, a));
    menu.failureLabel = label(root, "", RED, 1, 0, gui_box(a, a, a, gui_units(1)));
    return root;
}

// Resume, Options, Controls, New game (not while a recording plays or is
// made: it would change the game outside its updates) and Quit.
static GuiElement* build_main_page()
{
    GuiElement* root = page_root(nullptr);
    struct Item {
        int command;
        const char* text;
    };
    const Item items[] = {{PAUSE_RESUME, "Resume"}, {PAUSE_OPTIONS, "Options"}, {PAUSE_CONTROLS, "Controls"},
        {PAUSE_NEW_GAME, "New game"}, {PAUSE_QUIT, "Quit"}};
    float top = 9;
    for (const Item& item : items) {
        if (item.command == PAUSE_NEW_GAME && playback_fixed())
            continue;
        gui_create_button(root, item.command, item.text, 2, gui_units(14), gui_units(2.5f),
            gui_box(gui_units(top), gui_auto(), gui_auto(), gui_auto()), NO_PADDING);
        top += 3.5f;
    }
    return root;
}

// The five toggles, the volume row with "-" and "+", and Back.
static GuiElement* build_options_page()
{
    GuiElement* root = page_root("OPTIONS");
    for (int i = 0; i < OPTION_TOGGLES; ++i)
        menu.toggles[i] = button(root, PAUSE_WINDOW + i, "", 18, 9 + 2.25f * static_cast<float>(i));
    // The volume row: "-" at the toggles' left edge, "+" at their right edge.
    const float row = 9 + 2.25f * OPTION_TOGGLES;
    button(root, PAUSE_VOLUME_DOWN, "-", 3, row, gui_units(11));
    button(root, PAUSE_VOLUME_UP, "+", 3, row, gui_auto(), gui_units(11));
    const GuiLen a = gui_auto();
    menu.volumeLabel = label(root, "", GREY, 1, 0, gui_box(gui_units(row), a, a, a));
    menu.volumeLabel->height = gui_units(1.75f);
    button(root, PAUSE_BACK, "Back", 10, 24);
    return root;
}

// A row per action, its name beside a button naming its key; the hint;
// Defaults and Back.
static GuiElement* build_controls_page()
{
    GuiElement* root = page_root("CONTROLS");
    const GuiLen a = gui_auto();
    for (int i = 0; i < ACTION_COUNT; ++i) {
        float top = 9 + 2.25f * static_cast<float>(i);
        GuiElement* name = label(root, action_name(static_cast<KeyAction>(i)), GREY, 1, 1,
            gui_box(gui_units(top), a, gui_units(21), a));
        name->height = gui_units(1.75f);
        menu.keyButtons[i] = button(root, PAUSE_BIND + i, "", 13, top, gui_units(20));
    }
    menu.hint = label(root, "", GREY, 1, 0, gui_box(gui_units(22.75f), a, a, a));
    button(root, PAUSE_DEFAULT_KEYS, "Defaults", 10, 25, gui_units(9));
    button(root, PAUSE_BACK, "Back", 10, 25, a, gui_units(9));
    return root;
}

// How a toggle's text names its state.
static const char* on_off(bool on)
{
    return on ? "on" : "off";
}

// The texts that follow the options, the bindings and the last store.
static void refresh_page()
{
    copy_text(menu.failureLabel->text, menu.storeFailure.s);
    const Settings& s = settings();
    ShortText text;
    if (menu.page == PAUSE_PAGE_OPTIONS) {
        gui_set_button_text(menu.toggles[0], display_fullscreen() ? "Full screen" : "In a window");
        gui_set_button_text(menu.toggles[1], format_short(text, "Anti-aliasing: %s", on_off(s.antialias)));
        gui_set_button_text(menu.toggles[2], format_short(text, "Vertical sync: %s", on_off(s.vsync)));
        gui_set_button_text(menu.toggles[3], s.fast_voxels ? "Fast voxels" : "Normal voxels");
        gui_set_button_text(menu.toggles[4], format_short(text, "Sound: %s", on_off(s.sound)));
        format_short(menu.volumeLabel->text, "Volume %d", s.volume);
    } else if (menu.page == PAUSE_PAGE_CONTROLS) {
        for (int i = 0; i < ACTION_COUNT; ++i) {
            bool choosing = menu.waiting && menu.waitingFor == i;
            gui_set_button_text(
                menu.keyButtons[i], choosing ? "?" : key_name(bound_key(static_cast<KeyAction>(i))));
        }
        if (menu.waiting) {
            format_short(menu.hint->text, "Press a key or mouse button for %s; Escape cancels",
                action_name(menu.waitingFor));
            menu.hint->textColour = YELLOW;
        } else {
            copy_text(menu.hint->text, "Choose an action, then press its new key");
            menu.hint->textColour = GREY;
        }
    }
    // Texts of auto-sized labels changed their sizes.
    menu.screen->relayout();
}

// The buttons' commands go into the queue; the screen's root holds it.
class PauseMenuHandler final : public GuiEventHandler {
public:
    PauseMenuHandler()
        : GuiEventHandler(GUI_EVT_COMMAND)
    {
    }
    int32_t handle(GuiEvent* event, GuiElement*, int) override
    {
        if (menu.commandCount < MAX_COMMANDS)
            menu.commands[menu.commandCount++] = static_cast<GuiCommandEvent*>(event)->command;
        return 1;
    }
    // One handler for the whole run; the roots only borrow it.
    void attach(GuiElement*) override { }
    void detach(GuiElement*) override { }
};

static PauseMenuHandler handler;

// Replaces the screen with the page, the focus on its first button.
static void show_page(PausePage page)
{
    delete menu.screen;
    menu.page = page;
    menu.waiting = false;
    GuiElement* root = page == PAUSE_PAGE_OPTIONS ? build_options_page()
        : page == PAUSE_PAGE_CONTROLS             ? build_controls_page()
                                                  : build_main_page();
    root->add_handler(&handler, -1);
    menu.screen = new GuiScreen(game_gui_renderer(), root, REF_WIDTH, REF_HEIGHT);
    menu.screen->move_focus(0, 0);
    menu.hoverMark = {};
    refresh_page();
}

// Keeps what a store said for the pages, and the log.
static void note_store(bool stored, const char* what)
{
    if (stored) {
        menu.storeFailure.s[0] = 0;
        return;
    }
    // The log has the whole reason with the store's path; the page, which
    // has room for one short line, the system's part of it.
    const char* why = registry_last_error();
    log_message("can't store the %s: %s", what, why);
    const char* reason = strrchr(why, ':');
    format_short(menu.storeFailure, "Not saved: %s", reason ? reason + 2 : why);
}

// The options as they now stand, full screen as the display shows it, into the store.
static void store_current_options()
{
    uint32_t flags = option_flags() & ~static_cast<uint32_t>(SETTINGS_FULLSCREEN);
    set_option_flags(flags | (display_fullscreen() ? SETTINGS_FULLSCREEN : 0));
    note_store(store_options(), "settings");
}

// The sound at the volume the options give it (none when it is off).
static void apply_volume()
{
    set_sound_volume(settings().sound ? settings().volume : 0);
}

// One of the options page's buttons: the option changes, takes effect and is stored.
static void change_option(int command)
{
    const Settings& s = settings();
    uint32_t flags = option_flags();
    switch (command) {
    case PAUSE_WINDOW:
        if (menu.hooks.toggle_fullscreen)
            menu.hooks.toggle_fullscreen();
        break;
    case PAUSE_ANTIALIAS:
    case PAUSE_VSYNC:
        set_option_flags(flags ^ (command == PAUSE_ANTIALIAS ? SETTINGS_ANTIALIAS : SETTINGS_VSYNC));
        if (menu.hooks.reset_display)
            menu.hooks.reset_display();
        break;
    case PAUSE_VOXELS:
        set_option_flags(flags ^ SETTINGS_FAST_VOXELS);
        break;
    case PAUSE_SOUND:
        set_option_flags(flags ^ SETTINGS_MUTE);
        apply_volume();
        break;
    case PAUSE_VOLUME_DOWN:
        set_volume_option(s.volume > 0 ? (s.volume - 1) / VOLUME_STEP * VOLUME_STEP : 0);
        apply_volume();
        break;
    case PAUSE_VOLUME_UP:
        set_volume_option(
            s.volume < MAX_VOLUME ? s.volume / VOLUME_STEP * VOLUME_STEP + VOLUME_STEP : MAX_VOLUME);
        apply_volume();
        break;
    default:
        return;
    }
    store_current_options();
}

// The controls page starts waiting for the action's key.
static void wait_for_key(KeyAction action)
{
    menu.waiting = true;
    menu.waitingFor = action;
}

// The bindings in force into the store.
static void store_bindings()
{
    note_store(store_key_bindings(), "controls");
}

// Esc on the main page, Resume: the pause ends, and with it the menu.
static void resume()
{
    if (menu.hooks.set_paused)
        menu.hooks.set_paused(false);
}

// Escape and the pad's B: from a page back to the main page, from there back to the game.
static void go_back()
{
    if (menu.page == PAUSE_PAGE_MAIN)
        resume();
    else
        show_page(PAUSE_PAGE_MAIN);
}

static void run_command(int command)
{
    if (command != PAUSE_RESUME && command != PAUSE_QUIT)
        play_sound(SOUND_BUTTON_PRESS);
    switch (command) {
    case PAUSE_RESUME:
        resume();
        return;
    case PAUSE_OPTIONS:
        show_page(PAUSE_PAGE_OPTIONS);
        return;
    case PAUSE_CONTROLS:
        show_page(PAUSE_PAGE_CONTROLS);
        return;
    case PAUSE_NEW_GAME:
        // Hidden while a recording plays or is made; a command that comes anyway changes nothing.
        if (playback_fixed())
            return;
        start_game();
        resume();
        return;
    case PAUSE_QUIT:
        if (menu.hooks.request_quit)
            menu.hooks.request_quit();
        return;
    case PAUSE_BACK:
        show_page(PAUSE_PAGE_MAIN);
        return;
    case PAUSE_DEFAULT_KEYS:
        reset_key_bindings();
        store_bindings();
        break;
    default:
        if (command >= PAUSE_BIND && command < PAUSE_BIND + ACTION_COUNT)
            wait_for_key(static_cast<KeyAction>(command - PAUSE_BIND));
        else
            change_option(command);
        break;
    }
    refresh_page();
}

// Runs the commands the last event queued, stopping when one closed the menu.
static void run_commands()
{
    int count = menu.commandCount;
    menu.commandCount = 0;
    for (int i = 0; i < count && menu.screen; ++i)
        run_command(menu.commands[i]);
}

// While the controls page waits: the next key or mouse button pressed is the
// binding; Escape or the pad's B cancels; the pad's other buttons and keys
// that can't be bound are passed over. True when the event was taken.
static bool take_binding(const InputEvent& in)
{
    bool key = in.type == INPUT_KEY_DOWN && !(in.flags & INPUT_REPEAT);
    bool button = in.type == INPUT_MOUSE_DOWN;
    if (!key && !button)
        return in.type == INPUT_KEY_UP;
    if (key && (in.key == VK_ESCAPE || in.key == VK_GAMEPAD_B)) {
        menu.waiting = false;
        refresh_page();
        return true;
    }
    if (!bind_key(menu.waitingFor, in.key))
        return true;
    if (button)
        menu.swallowUp = in.key;
    menu.waiting = false;
    play_sound(SOUND_BUTTON_PRESS);
    store_bindings();
    refresh_page();
    return true;
}

// The keyboard's share of the menu: the arrows move the focus frame, Enter
// presses the framed button, Escape and the pad's B go back. True when the
// event was one of them.
static bool take_menu_key(const InputEvent& in)
{
    if (in.type != INPUT_KEY_DOWN)
        return false;
    bool repeat = (in.flags & INPUT_REPEAT) != 0;
    switch (in.key) {
    case VK_UP:
        menu.screen->move_focus(0, -1);
        return true;
    case VK_DOWN:
        menu.screen->move_focus(0, 1);
        return true;
    case VK_LEFT:
        menu.screen->move_focus(-1, 0);
        return true;
    case VK_RIGHT:
        menu.screen->move_focus(1, 0);
        return true;
    case VK_RETURN:
        if (!repeat)
            menu.screen->press_focus();
        return true;
    case VK_ESCAPE:
    case VK_GAMEPAD_B:
        if (!repeat)
            go_back();
        return true;
    default:
        return false;
    }
}

// The release of a mouse button that was just bound is not a click.
static bool swallowed(const InputEvent& in)
{
    if (in.type != INPUT_MOUSE_UP || in.key != menu.swallowUp)
        return false;
    menu.swallowUp = 0;
    return true;
}

// A tick when the pointer or the focus comes onto a button.
static void hover_sound()
{
    if (!menu.screen)
        return;
    if (gui_hover_changed(menu.screen, menu.hoverMark))
        play_sound(SOUND_BUTTON_HOVER);
}

void open_pause_menu()
{
    if (menu.screen)
        return;
    menu.commandCount = 0;
    menu.swallowUp = 0;
    menu.storeFailure.s[0] = 0;
    show_page(PAUSE_PAGE_MAIN);
    // The first button is framed from the start: no tick for it.
    menu.hoverMark.focused = menu.screen->shown_focus();
}

void close_pause_menu()
{
    delete menu.screen;
    menu.screen = nullptr;
    menu.waiting = false;
}

void pause_menu_input()
{
    InputEvent in;
    while (menu.screen && pop_input_event(&in)) {
        bool taken = menu.waiting ? take_binding(in) : take_menu_key(in) || swallowed(in);
        if (!taken)
            menu.screen->process_event(in);
        run_commands();
    }
    hover_sound();
}

void game_paused_input()
{
    note_paused_presses();
    pause_menu_input();
}

void draw_pause_menu()
{
    if (menu.screen)
        menu.screen->draw();
}

void pause_menu_resized()
{
    if (menu.screen)
        menu.screen->relayout();
}
