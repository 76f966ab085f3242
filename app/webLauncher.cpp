// webLauncher.cpp - what the page, the launcher of the browser build, asks of
// the program before Play: the stored "flags" (the bits of settings.h), read
// and written through the settings store as the desktop launcher does, so
// that page and game agree. Called from page.js; the program's main runs
// after them, when Play is pressed.
#include <emscripten.h>

#include "../core/log.h"
#include "../core/settings.h"
#include "../platform/platform.h"

extern "C" {

// The stored flags, or -1 when none are stored yet.
EMSCRIPTEN_KEEPALIVE int web_stored_flags()
{
    uint32_t flags;
    return settings_read_dword("flags", &flags) ? static_cast<int>(flags) : -1;
}

// Stores the flags; 0 (logged) when the store can't be written.
EMSCRIPTEN_KEEPALIVE int web_store_flags(int flags)
{
    if (settings_write_dword("flags", static_cast<uint32_t>(flags)))
        return 1;
    log_message("can't store the settings: %s", registry_last_error());
    return 0;
}
}
