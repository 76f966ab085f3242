// platform.h - the operating-system services both programs use.
//
// Everything that touches SDL is behind these functions (platform/sdlPlatform.cpp);
// the settings store is platform/registry.cpp. Tests link a fake implementation
// of this header instead of SDL, so the code above it runs without a display.
// There is one window per program, so no function takes a window handle.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

struct PlatRect {
    int left, top, right, bottom;
};

// Window messages as the rest of the program sees them: one record per event,
// already translated to virtual-key codes and client coordinates.
enum WindowMessageType {
    WMSG_SIZE,     // the client area changed size (x, y = new size)
    WMSG_ACTIVATE, // focus or minimised state changed
    WMSG_KEY_DOWN, // key = virtual key, scan = scan code, repeat = auto-repeat
    WMSG_KEY_UP,
    WMSG_SYSKEY_DOWN, // a key pressed while Alt is held
    WMSG_SYSKEY_UP,
    WMSG_BUTTON_DOWN, // key = 1 left, 2 right, 4 middle
    WMSG_BUTTON_UP,
    WMSG_BUTTON_DBLCLK,
    WMSG_MOUSE_MOVE, // x, y = client position (may lie outside while captured)
    WMSG_WHEEL,      // wheel = signed notches
    WMSG_PAINT,      // the window must be redrawn
    WMSG_CLOSE,      // the user asked to close the window
    WMSG_QUIT,       // the process was asked to end (signal, session end)
    // The pad that plays (the first one plugged in that is still there):
    WMSG_PAD_BUTTON_DOWN, // key = the button's virtual key
    WMSG_PAD_BUTTON_UP,
    WMSG_PAD_AXIS,    // key = PadAxis, x = position: sticks -32768..32767 (y down), triggers 0..32767
    WMSG_PAD_ADDED,   // another pad plays now (plat_pad_name names it)
    WMSG_PAD_REMOVED, // the pad that played was unplugged: its buttons and sticks count as released
};

enum PadAxis {
    PAD_LEFT_X,
    PAD_LEFT_Y,
    PAD_RIGHT_X,
    PAD_RIGHT_Y,
    PAD_TRIGGER_LEFT,
    PAD_TRIGGER_RIGHT,
    PAD_AXES
};

struct WindowMessage {
    WindowMessageType type;
    int key;
    int scan;
    bool repeat;
    int x, y;
    int wheel;
};

using WindowProc = void (*)(const WindowMessage& msg);

enum PlatWindowFlags {
    PLAT_WINDOW_FULLSCREEN = 1, // covers the desktop at its display mode
    PLAT_WINDOW_MAXIMISED = 2,
    PLAT_WINDOW_OPENGL = 4, // the window will get an OpenGL context
    PLAT_WINDOW_RESIZABLE = 8,
};

// Clock: the performance counter, the program's only clock.
int64_t plat_counter();
int64_t plat_counter_frequency();

// Full file name of the running program; false (errno says why) when it
// cannot be had or does not fit into size bytes.
bool plat_exe_path(char* buffer, int size);

// A modal error box; never shown on a headless run (offscreen or dummy video
// driver, no display, or TARNWICK_NO_MSGBOX set), so it can never block one.
void plat_error_box(const char* title, const char* text);

// Why the last window or context creation failed, for the caller's log.
const char* plat_last_error();

// Video subsystem and the one window.
bool plat_video_init(const char* window_class);
void plat_video_shutdown();
bool plat_work_area(PlatRect* area);
bool plat_desktop_size(int* width, int* height);
bool plat_create_window(const char* title, int x, int y, int width, int height, int flags);
void plat_destroy_window();
bool plat_window_exists();
void plat_client_size(int* width, int* height);
bool plat_window_minimised();
bool plat_window_focused();
void plat_set_window_fullscreen(bool fullscreen);
void plat_set_window_rect(int x, int y, int width, int height);
void plat_window_rect(PlatRect* rect);

// Takes every waiting event without waiting and hands each to proc as a
// window message. wait_ms > 0 first waits up to that long for an event.
void plat_pump_events(WindowProc proc, int wait_ms);

// Input state read from the system at the moment of the call.
int plat_modifier_flags();                      // the 0x001-0x020 and 0x080-0x200 bits of InputEvent
bool plat_key_held(int vk);                     // live held state of a virtual key or mouse button
int plat_key_char(int vk, int scan, int flags); // the character a key produces, or 0
void plat_capture_mouse(bool capture);
void plat_warp_mouse(int x, int y); // client coordinates
void plat_mouse_client_pos(int* x, int* y);
bool plat_cursor_in_client(); // the cursor is over this window's client area
void plat_show_cursor(bool show);
void plat_focus_window();

// Game controllers through SDL's mapping database, hot-plugged; their events
// arrive as WMSG_PAD_* messages. False (plat_last_error says why) when the
// subsystem can't start: the game plays without pads.
bool plat_pads_init();
// The name of the pad that plays, or "" when none is plugged in.
const char* plat_pad_name();

// Copies a buffer of 0x00RRGGBB pixels (rows top to bottom, width x height) to
// the top-left of the window's client area, without OpenGL (the launcher).
void plat_present_pixels(const uint32_t* pixels, int width, int height);

// Asks for huge pages behind a large block that is read all over, before it
// is first touched: fewer address translations missed. memory is aligned to
// 2 MiB; a kernel without huge pages leaves the block as it is.
void plat_advise_huge_pages(void* memory, size_t size);

// Keeps the system sound library's own complaints (ALSA writes a dozen lines
// to standard error when there is no card) out of the program's output;
// the caller reports a failure to open sound in its own words. Call before
// starting the sound.
void plat_quiet_sound_library();

// First thing in main: standard input, output and error that the program was
// started without are opened on /dev/null, so that nothing opened later (the
// display's connection, a file being written) takes their numbers and gets
// the log written into it.
void plat_open_standard_streams();

// Starts a program without waiting for it: program is a path, or a name
// looked up in PATH's absolute folders when search_path is set (never the
// current folder); argv ends with a null. False (errno says why) when it
// could not be started. Children that have ended are reaped by
// plat_reap_children, so none is left a zombie.
bool plat_spawn(const char* program, const char* const* argv, bool search_path);
void plat_reap_children();

// The user's folders, without a trailing '/'. The configuration folder is
// $XDG_CONFIG_HOME, else ~/.config; the data folder is $XDG_DATA_HOME, else
// ~/.local/share; the pictures folder is XDG_PICTURES_DIR from its
// user-dirs.dirs, else ~/Pictures. The home is $HOME, else the password
// entry's; each is "" when it would need a home and there is none that is
// an absolute path (no guess, and never a shared folder such as /tmp). A
// variable that is not an absolute path counts as unset. Each text stays
// valid until the same function is called again.
const char* plat_config_home();
const char* plat_data_home();
const char* plat_pictures_dir();
// The value of one line `NAME="..."` as the shell that sources the file
// would see it: inside the double quotes a backslash before $, `, " or a
// backslash stands for that character (before anything else it is itself), and "$HOME" stands for the home
// only where a "/" or the end follows it. Nothing may follow the closing quote but blanks or a comment. False
// for any other form (another $ expansion, a missing quote, ...), which the reader then skips.
bool plat_parse_user_dir_value(const char* text, const char* home, std::string* out);
// Makes the folder and any of its parents that are missing, with `mode`
// (less the umask); true when it exists as a folder afterwards.
bool plat_make_dirs(const char* dir, unsigned mode = 0755);

// Replaces the file at path whole or not at all: the bytes go into a new
// temporary file beside it (created exclusively, never through a link), are
// handed to the disk with `mode` less the umask and renamed over path, which is
// replaced itself (a link there is not followed). 0, or the error, with the
// old file untouched and no temporary file left.
int plat_replace_file(const char* path, const void* data, size_t size, unsigned mode);
// Gives the file (or link) at `from` the name `to` unless that name is
// taken by anything, a link included: 0, EEXIST when taken, or another error.
int plat_rename_noreplace(const char* from, const char* to);
// Opens a regular file for reading, as the opened file itself says (a name
// checked before opening could be swapped meanwhile): opening never waits for
// a pipe's writer, and with no_follow never goes through a link at the name
// (ELOOP). The descriptor with the file's size, PLAT_NOT_A_FILE for a folder,
// pipe or device (closed again), or -1 with errno.
enum { PLAT_NOT_A_FILE = -2 };
int plat_open_regular_file(const char* path, bool no_follow, int64_t* size);
// Reads exactly size bytes; false with errno (EIO when the file ends first).
bool plat_read_whole(int fd, void* data, size_t size);

// OpenGL context of the window (the game's device layer).
bool plat_gl_create_context(bool vsync);
void plat_gl_destroy_context();
void plat_gl_swap();
void plat_gl_drawable_size(int* width, int* height);
void plat_gl_set_vsync(bool vsync);

#ifdef __EMSCRIPTEN__
// Browser services (platform/webPlatform.cpp).
// Hands the program to the browser, which calls round once a frame until it
// returns false, then end, whose result ends the program as its exit code.
// Returns only by unwinding into the browser.
void plat_run_loop(bool (*round)(), int (*end)());
// Keeps the files written under the folder the browser stores across visits
// (the settings); a write is lost with the page until this has run.
void plat_store_files();
// Offers the file to the player as a download under its base name.
void plat_offer_download(const char* path);
#endif

// The settings store: named values in the per-user settings file. Types follow
// the registry's numbering.
enum { REG_TYPE_SZ = 1, REG_TYPE_DWORD = 4 };
bool registry_read(const char* name, uint32_t* type, void* buffer, uint32_t* size);
bool registry_write(const char* name, uint32_t type, const void* data, uint32_t size);
// The path of the settings file in use (for messages and tests).
const char* registry_file_path();
// Why the last registry_read or registry_write failed, with the path and the
// system's reason; empty when it succeeded or only found no store or value.
const char* registry_last_error();
