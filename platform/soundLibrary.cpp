// soundLibrary.cpp - the system's sound library, kept quiet.
//
// POSIX only, no SDL.
#include "platform.h"

#ifdef __EMSCRIPTEN__
void plat_quiet_sound_library()
{
}
#else
#include <dlfcn.h>

// ALSA's error handler: says nothing.
static void ignore_alsa_error(const char*, int, const char*, int, const char*, ...)
{
}

// SDL loads ALSA itself when it starts the sound; loaded first, the library
// is the one SDL gets, with this handler set. It stays loaded.
void plat_quiet_sound_library()
{
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa)
        return;
    auto set_handler = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (set_handler)
        set_handler(ignore_alsa_error);
}
#endif
