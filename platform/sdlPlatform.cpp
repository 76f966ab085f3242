// sdlPlatform.cpp - the platform services on SDL2.
//
// The one window, its events translated into window messages, keyboard and
// mouse state in virtual-key terms, the game controllers, the clock, the error box and the OpenGL
// context. No SDL type or code leaves this file.
#include <SDL.h>
#include <SDL_syswm.h>
#ifndef __EMSCRIPTEN__
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <errno.h>
#include <link.h>
#endif
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "platform.h"

enum { MAX_PADS = 8 };

static struct {
    SDL_Window* window;
    SDL_GLContext gl;
    bool videoUp;
    bool padsUp;                        // set by plat_pads_init until SDL_Quit
    SDL_GameController* pads[MAX_PADS]; // open pads in the order they came; [0] plays
    int padCount;                       // changed by the pads' added and removed events
} sdl;

// Pad buttons to virtual-key codes (the gamepad range of the key table).
static const struct {
    SDL_GameControllerButton button;
    int vk;
} PAD_BUTTON_MAP[] = {
    {SDL_CONTROLLER_BUTTON_A, 0xC3},
    {SDL_CONTROLLER_BUTTON_B, 0xC4},
    {SDL_CONTROLLER_BUTTON_X, 0xC5},
    {SDL_CONTROLLER_BUTTON_Y, 0xC6},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 0xC7},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, 0xC8},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, 0xCB},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, 0xCC},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0xCD},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0xCE},
    {SDL_CONTROLLER_BUTTON_START, 0xCF},
    {SDL_CONTROLLER_BUTTON_BACK, 0xD0},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, 0xD1},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, 0xD2},
};

static const struct {
    SDL_GameControllerAxis axis;
    PadAxis padAxis;
} PAD_AXIS_MAP[] = {
    {SDL_CONTROLLER_AXIS_LEFTX, PAD_LEFT_X},
    {SDL_CONTROLLER_AXIS_LEFTY, PAD_LEFT_Y},
    {SDL_CONTROLLER_AXIS_RIGHTX, PAD_RIGHT_X},
    {SDL_CONTROLLER_AXIS_RIGHTY, PAD_RIGHT_Y},
    {SDL_CONTROLLER_AXIS_TRIGGERLEFT, PAD_TRIGGER_LEFT},
    {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, PAD_TRIGGER_RIGHT},
};

// SDL keycodes to virtual-key codes; keys missing here produce no messages.
static const struct {
    SDL_Keycode sym;
    int vk;
} KEY_MAP[] = {
    {SDLK_BACKSPACE, 8},
    {SDLK_TAB, 9},
    {SDLK_RETURN, 13},
    {SDLK_KP_ENTER, 13},
    {SDLK_LSHIFT, 16},
    {SDLK_RSHIFT, 16},
    {SDLK_LCTRL, 17},
    {SDLK_RCTRL, 17},
    {SDLK_LALT, 18},
    {SDLK_RALT, 18},
    {SDLK_PAUSE, 19},
    {SDLK_CAPSLOCK, 20},
    {SDLK_ESCAPE, 27},
    {SDLK_SPACE, 32},
    {SDLK_PAGEUP, 33},
    {SDLK_PAGEDOWN, 34},
    {SDLK_END, 35},
    {SDLK_HOME, 36},
    {SDLK_LEFT, 37},
    {SDLK_UP, 38},
    {SDLK_RIGHT, 39},
    {SDLK_DOWN, 40},
    {SDLK_PRINTSCREEN, 44},
    {SDLK_INSERT, 45},
    {SDLK_DELETE, 46},
    {SDLK_LGUI, 91},
    {SDLK_RGUI, 92},
    {SDLK_APPLICATION, 93},
    {SDLK_KP_0, 96},
    {SDLK_KP_1, 97},
    {SDLK_KP_2, 98},
    {SDLK_KP_3, 99},
    {SDLK_KP_4, 100},
    {SDLK_KP_5, 101},
    {SDLK_KP_6, 102},
    {SDLK_KP_7, 103},
    {SDLK_KP_8, 104},
    {SDLK_KP_9, 105},
    {SDLK_KP_MULTIPLY, 106},
    {SDLK_KP_PLUS, 107},
    {SDLK_KP_MINUS, 109},
    {SDLK_KP_PERIOD, 110},
    {SDLK_KP_DIVIDE, 111},
    {SDLK_F1, 112},
    {SDLK_F2, 113},
    {SDLK_F3, 114},
    {SDLK_F4, 115},
    {SDLK_F5, 116},
    {SDLK_F6, 117},
    {SDLK_F7, 118},
    {SDLK_F8, 119},
    {SDLK_F9, 120},
    {SDLK_F10, 121},
    {SDLK_F11, 122},
    {SDLK_F12, 123},
    {SDLK_NUMLOCKCLEAR, 144},
    {SDLK_SCROLLLOCK, 145},
    {SDLK_SEMICOLON, 186},
    {SDLK_EQUALS, 187},
    {SDLK_COMMA, 188},
    {SDLK_MINUS, 189},
    {SDLK_PERIOD, 190},
    {SDLK_SLASH, 191},
    {SDLK_BACKQUOTE, 192},
    {SDLK_LEFTBRACKET, 219},
    {SDLK_BACKSLASH, 220},
    {SDLK_RIGHTBRACKET, 221},
    {SDLK_QUOTE, 222},
};

static int vk_from_keycode(SDL_Keycode sym)
{
    if (sym >= SDLK_a && sym <= SDLK_z)
        return 'A' + (sym - SDLK_a);
    if (sym >= SDLK_0 && sym <= SDLK_9)
        return '0' + (sym - SDLK_0);
    for (const auto& k : KEY_MAP)
        if (k.sym == sym)
            return k.vk;
    return 0;
}

int64_t plat_counter()
{
    return static_cast<int64_t>(SDL_GetPerformanceCounter());
}

int64_t plat_counter_frequency()
{
    return static_cast<int64_t>(SDL_GetPerformanceFrequency());
}

#ifdef __EMSCRIPTEN__
// The page preloads the program directory's files into /tarnwick.
bool plat_exe_path(char* buffer, int size)
{
    static const char PATH[] = "/tarnwick/game";
    if (size < static_cast<int>(sizeof PATH))
        return false;
    memcpy(buffer, PATH, sizeof PATH);
    return true;
}
#else
bool plat_exe_path(char* buffer, int size)
{
    ssize_t n = readlink("/proc/self/exe", buffer, static_cast<size_t>(size));
    if (n >= size)
        errno = ENAMETOOLONG;
    if (n <= 0 || n >= size)
        return false;
    buffer[n] = 0;
    return true;
}
#endif

static bool headless()
{
    if (getenv("TARNWICK_NO_MSGBOX"))
        return true;
    const char* driver = sdl.videoUp ? SDL_GetCurrentVideoDriver() : getenv("SDL_VIDEODRIVER");
    if (driver && (strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0))
        return true;
    return !getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY");
}

void plat_error_box(const char* title, const char* text)
{
    if (!headless())
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, text, nullptr);
}

const char* plat_last_error()
{
    return SDL_GetError();
}

#ifndef __EMSCRIPTEN__
// Xlib's default handler ends the program (exit code 1) on any error, and a
// request about a window that is already gone, as SDL may send while the
// program shuts down, raises one. Such an error is reported and the program
// goes on. SDL's own handler, set when video starts, passes errors on to
// this one.
static int report_x_error(Display* display, XErrorEvent* error)
{
    char text[160] = "";
    XGetErrorText(display, error->error_code, text, sizeof text);
    fprintf(stderr, "X error ignored: %s (request %d)\n", text, error->request_code);
    return 0;
}
#endif

bool plat_video_init(const char* window_class)
{
#ifndef __EMSCRIPTEN__
    XSetErrorHandler(report_x_error);
#endif
    // The X11 class names the window for the desktop's task list and launchers;
    // each program sets its own over the one a parent (the launcher) left.
    setenv("SDL_VIDEO_X11_WMCLASS", window_class, 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return false;
    sdl.videoUp = true;
    return true;
}

void plat_video_shutdown()
{
    plat_destroy_window();
    for (int i = 0; i < sdl.padCount; ++i)
        SDL_GameControllerClose(sdl.pads[i]);
    sdl.padCount = 0;
    if (sdl.videoUp)
        SDL_Quit();
    sdl.videoUp = false;
    sdl.padsUp = false;
}

bool plat_work_area(PlatRect* area)
{
    SDL_Rect r;
    if (!sdl.videoUp || SDL_GetDisplayUsableBounds(0, &r) != 0)
        return false;
    *area = {r.x, r.y, r.x + r.w, r.y + r.h};
    return true;
}

bool plat_desktop_size(int* width, int* height)
{
    SDL_DisplayMode mode;
    if (!sdl.videoUp || SDL_GetDesktopDisplayMode(0, &mode) != 0)
        return false;
    *width = mode.w;
    *height = mode.h;
    return true;
}

bool plat_create_window(const char* title, int x, int y, int width, int height, int flags)
{
    Uint32 sdlFlags = SDL_WINDOW_SHOWN;
    if (flags & PLAT_WINDOW_OPENGL)
        sdlFlags |= SDL_WINDOW_OPENGL;
    if (flags & PLAT_WINDOW_RESIZABLE)
        sdlFlags |= SDL_WINDOW_RESIZABLE;
    if (flags & PLAT_WINDOW_MAXIMISED) {
        sdlFlags |= SDL_WINDOW_MAXIMIZED;
        x = y = SDL_WINDOWPOS_CENTERED;
    }
    if (flags & PLAT_WINDOW_FULLSCREEN) {
        sdlFlags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        if (!plat_desktop_size(&width, &height))
            width = 640, height = 480;
        x = y = 0;
    }
    // A window without OpenGL shows pixels copied through its surface, which
    // must not be backed by a (software) GL renderer behind our back.
    if (!(flags & PLAT_WINDOW_OPENGL))
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (flags & PLAT_WINDOW_OPENGL) {
#ifdef __EMSCRIPTEN__
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
#else
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
#endif
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    }
    sdl.window = SDL_CreateWindow(title, x, y, width, height, sdlFlags);
    return sdl.window != nullptr;
}

void plat_destroy_window()
{
    plat_gl_destroy_context();
    if (sdl.window)
        SDL_DestroyWindow(sdl.window);
    sdl.window = nullptr;
}

bool plat_window_exists()
{
    return sdl.window != nullptr;
}

// SDL takes the desktop's size as the window's as soon as full screen is
// asked for, whether the window system grants it or not (none does without a
// window manager); on X11 the server's own figure is asked for instead.
void plat_client_size(int* width, int* height)
{
    *width = *height = 0;
    if (!sdl.window)
        return;
    SDL_GetWindowSize(sdl.window, width, height);
#ifndef __EMSCRIPTEN__
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    XWindowAttributes a;
    if (SDL_GetWindowWMInfo(sdl.window, &info) && info.subsystem == SDL_SYSWM_X11
        && XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &a)) {
        *width = a.width;
        *height = a.height;
    }
#endif
}

bool plat_window_minimised()
{
    return sdl.window && (SDL_GetWindowFlags(sdl.window) & SDL_WINDOW_MINIMIZED);
}

bool plat_window_focused()
{
    return sdl.window && (SDL_GetWindowFlags(sdl.window) & SDL_WINDOW_INPUT_FOCUS);
}

void plat_set_window_fullscreen(bool fullscreen)
{
    if (sdl.window)
        SDL_SetWindowFullscreen(sdl.window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

void plat_set_window_rect(int x, int y, int width, int height)
{
    if (!sdl.window)
        return;
    SDL_SetWindowSize(sdl.window, width, height);
    SDL_SetWindowPosition(sdl.window, x, y);
}

void plat_window_rect(PlatRect* rect)
{
    *rect = {0, 0, 0, 0};
    if (!sdl.window)
        return;
    int x, y, w, h;
    SDL_GetWindowPosition(sdl.window, &x, &y);
    plat_client_size(&w, &h);
    *rect = {x, y, x + w, y + h};
}

static int button_code(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT:
        return 1;
    case SDL_BUTTON_RIGHT:
        return 2;
    case SDL_BUTTON_MIDDLE:
        return 4;
    default:
        return 0;
    }
}

// Alt makes a key a system key, as do Alt and F10 themselves; AltGr does not.
static bool is_system_key(const SDL_KeyboardEvent& k, int vk)
{
    return (k.keysym.mod & KMOD_LALT) || vk == 18 || vk == 121;
}

static bool translate_window_event(const SDL_WindowEvent& w, WindowMessage* msg)
{
    switch (w.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        msg->type = WMSG_SIZE;
        msg->x = w.data1;
        msg->y = w.data2;
        return true;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        msg->type = WMSG_ACTIVATE;
        return true;
    case SDL_WINDOWEVENT_EXPOSED:
        msg->type = WMSG_PAINT;
        return true;
    case SDL_WINDOWEVENT_CLOSE:
        msg->type = WMSG_CLOSE;
        return true;
    default:
        return false;
    }
}

static bool translate_event(const SDL_Event& e, WindowMessage* msg)
{
    *msg = WindowMessage{};
    switch (e.type) {
    case SDL_QUIT:
        msg->type = WMSG_QUIT;
        return true;
    case SDL_WINDOWEVENT:
        return translate_window_event(e.window, msg);
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        msg->key = vk_from_keycode(e.key.keysym.sym);
        if (!msg->key)
            return false;
        bool sys = is_system_key(e.key, msg->key);
        if (e.type == SDL_KEYDOWN)
            msg->type = sys ? WMSG_SYSKEY_DOWN : WMSG_KEY_DOWN;
        else
            msg->type = sys ? WMSG_SYSKEY_UP : WMSG_KEY_UP;
        msg->scan = e.key.keysym.scancode;
        msg->repeat = e.key.repeat != 0;
        return true;
    }
    case SDL_MOUSEMOTION:
        msg->type = WMSG_MOUSE_MOVE;
        msg->x = e.motion.x;
        msg->y = e.motion.y;
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        msg->key = button_code(e.button.button);
        if (!msg->key)
            return false;
        if (e.type == SDL_MOUSEBUTTONUP)
            msg->type = WMSG_BUTTON_UP;
        else // every second click of a series is a double click
            msg->type = e.button.clicks % 2 == 0 ? WMSG_BUTTON_DBLCLK : WMSG_BUTTON_DOWN;
        msg->x = e.button.x;
        msg->y = e.button.y;
        return true;
    case SDL_MOUSEWHEEL:
        msg->type = WMSG_WHEEL;
        msg->wheel = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
        SDL_GetMouseState(&msg->x, &msg->y);
        return true;
    default:
        return false;
    }
}

bool plat_pads_init()
{
    if (!sdl.padsUp && SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        return false;
    sdl.padsUp = true;
    return true;
}

const char* plat_pad_name()
{
    const char* name = sdl.padCount > 0 ? SDL_GameControllerName(sdl.pads[0]) : nullptr;
    return name ? name : "";
}

static int pad_slot(SDL_JoystickID id)
{
    for (int i = 0; i < sdl.padCount; ++i)
        if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(sdl.pads[i])) == id)
            return i;
    return -1;
}

static void send(WindowProc proc, WindowMessageType type, int key, int x)
{
    WindowMessage msg = {};
    msg.type = type;
    msg.key = key;
    msg.x = x;
    proc(msg);
}

// A pad plugged in (SDL also announces those present at start-up): opened,
// and it plays when no other pad does.
static void add_pad(int device, WindowProc proc)
{
    if (sdl.padCount == MAX_PADS || pad_slot(SDL_JoystickGetDeviceInstanceID(device)) >= 0)
        return;
    SDL_GameController* pad = SDL_GameControllerOpen(device);
    if (!pad)
        return;
    sdl.pads[sdl.padCount++] = pad;
    if (sdl.padCount == 1)
        send(proc, WMSG_PAD_ADDED, 0, 0);
}

// A pad unplugged; when it played, its buttons and sticks are let go and the
// next pad plays.
static void remove_pad(SDL_JoystickID id, WindowProc proc)
{
    int slot = pad_slot(id);
    if (slot < 0)
        return;
    SDL_GameControllerClose(sdl.pads[slot]);
    for (int i = slot; i + 1 < sdl.padCount; ++i)
        sdl.pads[i] = sdl.pads[i + 1];
    --sdl.padCount;
    if (slot != 0)
        return;
    send(proc, WMSG_PAD_REMOVED, 0, 0);
    if (sdl.padCount > 0)
        send(proc, WMSG_PAD_ADDED, 0, 0);
}

// Hands a pad event to proc; false for events that are not the pads'.
static bool pad_event(const SDL_Event& e, WindowProc proc)
{
    switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED:
        add_pad(e.cdevice.which, proc);
        return true;
    case SDL_CONTROLLERDEVICEREMOVED:
        remove_pad(e.cdevice.which, proc);
        return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        if (pad_slot(e.cbutton.which) != 0)
            return true;
        for (const auto& b : PAD_BUTTON_MAP)
            if (b.button == e.cbutton.button)
                send(proc, e.type == SDL_CONTROLLERBUTTONDOWN ? WMSG_PAD_BUTTON_DOWN : WMSG_PAD_BUTTON_UP,
                    b.vk, 0);
        return true;
    case SDL_CONTROLLERAXISMOTION:
        if (pad_slot(e.caxis.which) != 0)
            return true;
        for (const auto& a : PAD_AXIS_MAP)
            if (a.axis == e.caxis.axis)
                send(proc, WMSG_PAD_AXIS, a.padAxis, e.caxis.value);
        return true;
    default:
        return false;
    }
}

void plat_pump_events(WindowProc proc, int wait_ms)
{
    SDL_Event e;
    bool have = wait_ms > 0 ? SDL_WaitEventTimeout(&e, wait_ms) != 0 : SDL_PollEvent(&e) != 0;
    while (have) {
        WindowMessage msg;
        if (!pad_event(e, proc) && translate_event(e, &msg))
            proc(msg);
        have = SDL_PollEvent(&e) != 0;
    }
}

int plat_modifier_flags()
{
    SDL_Keymod mod = SDL_GetModState();
    int flags = 0;
    if (mod & KMOD_SHIFT)
        flags |= 0x001;
    if (mod & KMOD_CTRL)
        flags |= 0x002;
    if (mod & KMOD_ALT)
        flags |= 0x004;
    if (mod & KMOD_CAPS)
        flags |= 0x008;
    if (mod & KMOD_SCROLL)
        flags |= 0x010;
    if (mod & KMOD_NUM)
        flags |= 0x020;
    Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    if (buttons & SDL_BUTTON_LMASK)
        flags |= 0x080;
    if (buttons & SDL_BUTTON_RMASK)
        flags |= 0x100;
    if (buttons & SDL_BUTTON_MMASK)
        flags |= 0x200;
    return flags;
}

bool plat_key_held(int vk)
{
    Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    if (vk == 1)
        return buttons & SDL_BUTTON_LMASK;
    if (vk == 2)
        return buttons & SDL_BUTTON_RMASK;
    if (vk == 4)
        return buttons & SDL_BUTTON_MMASK;
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    for (int sc = 0; sc < count; ++sc)
        if (keys[sc] && vk_from_keycode(SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(sc))) == vk)
            return true;
    return false;
}

int plat_key_char(int vk, int scan, int flags)
{
    switch (vk) {
    case 8:
    case 9:
    case 13:
    case 27:
        return vk;
    default:
        break;
    }
    if (flags & 0x002) // Ctrl combinations produce no printable character
        return 0;
    SDL_Keycode sym = SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(scan));
    if (sym < 32 || sym > 126)
        return 0;
    bool shift = (flags & 0x001) != 0;
    if (sym >= 'a' && sym <= 'z')
        return shift != ((flags & 0x008) != 0) ? sym - 32 : sym;
    if (!shift)
        return sym;
    static const char PLAIN[] = "1234567890-=[]\\;',./`";
    static const char SHIFTED[] = "!@#$%^&*()_+{}|:\"<>?~";
    const char* at = strchr(PLAIN, static_cast<char>(sym));
    return at ? SHIFTED[at - PLAIN] : sym;
}

void plat_capture_mouse(bool capture)
{
    SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
}

void plat_warp_mouse(int x, int y)
{
    if (sdl.window)
        SDL_WarpMouseInWindow(sdl.window, x, y);
}

void plat_mouse_client_pos(int* x, int* y)
{
    *x = *y = 0;
    if (sdl.videoUp)
        SDL_GetMouseState(x, y);
}

bool plat_cursor_in_client()
{
    if (!sdl.window || SDL_GetMouseFocus() != sdl.window)
        return false;
    int x, y, w, h;
    SDL_GetMouseState(&x, &y);
    SDL_GetWindowSize(sdl.window, &w, &h);
    return x >= 0 && y >= 0 && x < w && y < h;
}

void plat_show_cursor(bool show)
{
    if (sdl.videoUp)
        SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void plat_focus_window()
{
    if (sdl.window)
        SDL_SetWindowInputFocus(sdl.window);
}

void plat_present_pixels(const uint32_t* pixels, int width, int height)
{
    SDL_Surface* surface = sdl.window ? SDL_GetWindowSurface(sdl.window) : nullptr;
    if (!surface)
        return;
    // The buffer may be larger or smaller than the surface for a moment while
    // the window is being resized; the common part is copied.
    int w = width < surface->w ? width : surface->w;
    int h = height < surface->h ? height : surface->h;
    if (w > 0 && h > 0 && SDL_LockSurface(surface) == 0) {
        SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_RGB888, pixels, width * 4, surface->format->format,
            surface->pixels, surface->pitch);
        SDL_UnlockSurface(surface);
    }
    SDL_UpdateWindowSurface(sdl.window);
}

#ifdef __EMSCRIPTEN__
// WebGL 2, which is OpenGL ES 3.0.
static const int GL_VERSIONS[][2] = {{3, 0}};
#else
// OpenGL 4.5 core where the driver has it, else 3.3 core.
static const int GL_VERSIONS[][2] = {{4, 5}, {3, 3}};

// Keeps a loaded Mesa driver ("*_dri.so") mapped until the process ends,
// though SDL unloads it with the last context: the sanitizer builds' leak
// report can only name the driver's own allocations (and so leave them out)
// while the library is still there.
static int pin_gl_driver(struct dl_phdr_info* info, size_t, void*)
{
    const char* name = info->dlpi_name;
    size_t n = strlen(name);
    if (n > 7 && strcmp(name + n - 7, "_dri.so") == 0)
        dlopen(name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}
#endif

bool plat_gl_create_context(bool vsync)
{
    if (!sdl.window)
        return false;
    for (const auto& v : GL_VERSIONS) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, v[0]);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, v[1]);
        sdl.gl = SDL_GL_CreateContext(sdl.window);
        if (sdl.gl)
            break;
    }
    if (!sdl.gl)
        return false;
    plat_gl_set_vsync(vsync);
#ifndef __EMSCRIPTEN__
    dl_iterate_phdr(pin_gl_driver, nullptr);
#endif
    return true;
}

void plat_gl_destroy_context()
{
    if (sdl.gl)
        SDL_GL_DeleteContext(sdl.gl);
    sdl.gl = nullptr;
}

void plat_gl_swap()
{
    if (sdl.window)
        SDL_GL_SwapWindow(sdl.window);
}

void plat_gl_drawable_size(int* width, int* height)
{
    *width = *height = 0;
    if (sdl.window)
        SDL_GL_GetDrawableSize(sdl.window, width, height);
}

void plat_gl_set_vsync(bool vsync)
{
    SDL_GL_SetSwapInterval(vsync ? 1 : 0);
}
