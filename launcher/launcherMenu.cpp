// launcherMenu.cpp - the launcher's menu, its five setting toggles and commands.
#include "launcherMenu.h"

#include <ctype.h>
#include <string.h>
#include <unistd.h>

#include "../core/about.h"
#include "../core/log.h"
#include "../core/paths.h"
#include "../core/settings.h"
#include "../kiln/guiBehaviours.h"
#include "../platform/platform.h"

#if !defined(TARNWICK_SITE_URL) || !defined(TARNWICK_INSTALLED_README) || !defined(TARNWICK_SOURCE_README)
#error "the build names the page that \"Visit site\" opens and the READMEs to fall back on"
#endif

enum { TOGGLE_COUNT = 5 };

static const float TOGGLE_TOP = 6.5f, TOGGLE_STEP = 3.25f, TOGGLE_HEIGHT = 2.5f; // GUI units

static const char* const MAKER_LINE = "A game by Oskvel Games";
static const uint32_t WARNING_RED = 0xffff5050;

// Each toggle's bit of the stored "flags", in LAUNCHER_TOGGLE_WINDOW order.
static const uint32_t TOGGLE_FLAGS[TOGGLE_COUNT]
    = {SETTINGS_FULLSCREEN, SETTINGS_ANTIALIAS, SETTINGS_VSYNC, SETTINGS_FAST_VOXELS, SETTINGS_MUTE};
// The options with nothing stored: in a window, vertical sync, sound.
static const uint32_t DEFAULT_FLAGS = SETTINGS_VSYNC;

static struct {
    // The toggles' bits of "flags" and nothing else; reset by launcher_read_settings at start-up.
    uint32_t flags = DEFAULT_FLAGS;
    GuiElement* toggles[TOGGLE_COUNT]; // set by build_launcher_menu; owned by the menu
    GuiElement* makerLine;             // likewise
    GuiElement* warning;               // likewise; hidden until the settings can't be stored
    bool quit;                         // reset when the menu is built; set by "Play", "Quit" or closing
    bool failed;      // reset when the menu is built; set when "Play" can't start the game or
                      // "Quit" leaves without storing the settings
    bool storeFailed; // reset when the menu is built; set when "Quit" could not store the settings
} launcher;

void launcher_read_settings()
{
    uint32_t stored;
    uint32_t known = 0;
    for (uint32_t bit : TOGGLE_FLAGS)
        known |= bit;
    launcher.flags = settings_read_dword("flags", &stored) ? stored & known : DEFAULT_FLAGS;
}

uint32_t launcher_flags()
{
    return launcher.flags;
}

// Whether the option of the toggle's bit is set.
static bool has(uint32_t bit)
{
    return (launcher.flags & bit) != 0;
}

static const char* toggle_label(int index)
{
    switch (index) {
    case 0:
        return has(SETTINGS_FULLSCREEN) ? "Fullscreen" : "In window";
    case 1:
        return has(SETTINGS_ANTIALIAS) ? "Anti-aliasing: on" : "Anti-aliasing: off";
    case 2:
        return has(SETTINGS_VSYNC) ? "VSync: on" : "VSync: off";
    case 3:
        return has(SETTINGS_FAST_VOXELS) ? "Fast voxels" : "Normal voxels";
    default:
        return has(SETTINGS_MUTE) ? "Sound: off" : "Sound: on";
    }
}

static void refresh_toggles()
{
    for (int i = 0; i < TOGGLE_COUNT; ++i)
        gui_set_button_text(launcher.toggles[i], toggle_label(i));
}

const char* launcher_toggle_text(int command)
{
    int i = command - LAUNCHER_TOGGLE_WINDOW;
    if (i < 0 || i >= TOGGLE_COUNT || !launcher.toggles[i])
        return nullptr;
    return launcher.toggles[i]->find_by_name(".normal")->text.s;
}

GuiElement* build_launcher_menu()
{
    const GuiBox none = gui_box(gui_units(0));
    const GuiLen a = gui_auto();
    GuiElement* root = gui_create_element(40, GUILEN_UNITS, 30, GUILEN_UNITS, gui_box(a), none, nullptr);
    root->background = 0xff101010;
    copy_text(root->name, "root");

    gui_create_label(root, "TARNWICK!", 0xfffff000, 4, 0, 0, gui_box(gui_units(1), a, a, a), none, 0,
        GUILEN_AUTO, 0, GUILEN_AUTO);
    ShortText version;
    gui_create_label(root, format_short(version, "Version %s DEMO", project_version()), 0xfffff000, 1, 0, 0,
        gui_box(gui_units(5), a, a, a), none, 0, GUILEN_AUTO, 0, GUILEN_AUTO);
    // Five toggles fit between the version line and the bottom buttons.
    for (int i = 0; i < TOGGLE_COUNT; ++i)
        launcher.toggles[i] = gui_create_button(root, LAUNCHER_TOGGLE_WINDOW + i, "", 2, gui_units(25),
            gui_units(TOGGLE_HEIGHT), gui_box(gui_units(TOGGLE_TOP + TOGGLE_STEP * i), a, a, a), none);
    launcher.makerLine = gui_create_label(root, MAKER_LINE, 0xff808080, 1, 0, 0,
        gui_box(a, a, a, gui_units(0.5f)), none, 0, GUILEN_AUTO, 0, GUILEN_AUTO);
    // A warning takes the maker line's place under the bottom buttons.
    launcher.warning = gui_create_label(root, "", WARNING_RED, 1, 0, 0, gui_box(a, a, a, gui_units(0.5f)),
        none, 0, GUILEN_AUTO, 0, GUILEN_AUTO);
    launcher.warning->set_hidden(true);
    gui_create_button(root, LAUNCHER_PLAY, "Play", 3, gui_units(11), gui_units(5),
        gui_box(a, a, gui_units(1), gui_units(2)), none);
    gui_create_button(root, LAUNCHER_QUIT, "Quit", 3, gui_units(11), gui_units(5),
        gui_box(a, gui_units(1), a, gui_units(2)), none);
    gui_create_button(root, LAUNCHER_VISIT_SITE, "Visit site", 2, gui_units(13), gui_units(5),
        gui_box(a, a, a, gui_units(2)), none);
    refresh_toggles();
    launcher.quit = launcher.failed = launcher.storeFailed = false;
    return root;
}

static bool store_settings()
{
    if (settings_write_dword("flags", launcher_flags()))
        return true;
    log_message("can't store the settings: %s", registry_last_error());
    return false;
}

// The first "Quit" whose settings can't be stored stays and says why in the
// window; a second one (or closing the window) leaves without them, and the
// launcher's exit status says they were lost.
static void quit()
{
    if (launcher.storeFailed || store_settings()) {
        launcher.quit = true;
        return;
    }
    launcher.storeFailed = true;
    // The log names the file; the window has room for the reason alone.
    const char* error = registry_last_error();
    const char* reason = strstr(error, "': ");
    format_short(launcher.warning->text, "Can't store the settings: %s", reason ? reason + 3 : error);
    launcher.warning->set_hidden(false);
    launcher.makerLine->set_hidden(true);
}

static void start_game()
{
    PathText game;
    resolve_path(game, "game");
    const char* argv[] = {game.s, nullptr};
    if (plat_spawn(game.s, argv, false))
        return;
    log_message("can't start %s", game.s);
    launcher.failed = true;
}

// The path as a file:// address, every byte but unreserved ones and '/'
// percent-encoded; false when it does not fit.
static bool file_address(PathText& address, const char* path)
{
    static const char HEX[] = "0123456789ABCDEF";
    copy_text(address, "file://");
    size_t n = strlen(address.s);
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(path); *p; ++p) {
        bool plain = isalnum(*p) || strchr("-._~/", *p);
        if (n + 4 > sizeof address.s)
            return false;
        if (plain) {
            address.s[n++] = static_cast<char>(*p);
        } else {
            address.s[n++] = '%';
            address.s[n++] = HEX[*p >> 4];
            address.s[n++] = HEX[*p & 15];
        }
    }
    address.s[n] = 0;
    return true;
}

// The page "Visit site" opens: the address the build was given, else the
// README installed beside the program directory, else the source tree's
// (a launcher run from the build; a package has none). False when there is none.
static bool site_address(PathText& address)
{
    if (TARNWICK_SITE_URL[0]) {
        copy_text(address, TARNWICK_SITE_URL);
        return true;
    }
    PathText readme;
    if (access(resolve_path(readme, TARNWICK_INSTALLED_README), R_OK) != 0 && TARNWICK_SOURCE_README[0])
        copy_text(readme, TARNWICK_SOURCE_README);
    if (access(readme.s, R_OK) != 0) {
        if (TARNWICK_SOURCE_README[0])
            log_message("can't find the README: neither '%s' nor '%s' exists",
                resolve_path(readme, TARNWICK_INSTALLED_README), TARNWICK_SOURCE_README);
        else
            log_message("can't find the README: '%s' does not exist",
                resolve_path(readme, TARNWICK_INSTALLED_README));
        return false;
    }
    if (file_address(address, readme.s))
        return true;
    log_message("can't open '%s': its address would be too long", readme.s);
    return false;
}

static void open_site()
{
    PathText address;
    if (!site_address(address))
        return;
    const char* argv[] = {"xdg-open", address.s, nullptr};
    if (!plat_spawn("xdg-open", argv, true))
        log_message("can't open '%s'", address.s);
}

// Flips the option of a toggle's command.
static void toggle(int command)
{
    launcher.flags ^= TOGGLE_FLAGS[command - LAUNCHER_TOGGLE_WINDOW];
    refresh_toggles();
}

// Commands only; its attach and detach do nothing as it lives for the whole program.
class LauncherHandler final : public GuiEventHandler {
public:
    LauncherHandler()
        : GuiEventHandler(GUI_EVT_COMMAND)
    {
    }
    void attach(GuiElement*) override { }
    void detach(GuiElement*) override { }

    int32_t handle(GuiEvent* event, GuiElement*, int) override
    {
        const int command = static_cast<GuiCommandEvent*>(event)->command;
        switch (command) {
        case LAUNCHER_PLAY:
            store_settings();
            start_game();
            launcher.quit = true;
            break;
        case LAUNCHER_QUIT:
            quit();
            break;
        case LAUNCHER_VISIT_SITE:
            open_site();
            break;
        case LAUNCHER_TOGGLE_WINDOW:
        case LAUNCHER_TOGGLE_ANTIALIAS:
        case LAUNCHER_TOGGLE_VSYNC:
        case LAUNCHER_TOGGLE_VOXELS:
        case LAUNCHER_TOGGLE_SOUND:
            toggle(command);
            break;
        default:
            break;
        }
        return 1;
    }
};

GuiEventHandler* launcher_handler()
{
    static LauncherHandler handler;
    return &handler;
}

bool launcher_quit_requested()
{
    return launcher.quit;
}

void launcher_request_quit()
{
    launcher.quit = true;
}

bool launcher_failed()
{
    return launcher.failed || launcher.storeFailed;
}
