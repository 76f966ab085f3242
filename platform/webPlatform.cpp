// webPlatform.cpp - the services only a browser build needs: handing the main
// loop to the browser, keeping files across visits, offering downloads.
//
// The page (assets/web/page.js) mounts the browser's stored folder over the
// configuration folder before the program starts and defines
// Module.offerDownload.
#include <emscripten.h>

#include "platform.h"

static struct {
    bool (*round)(); // set by plat_run_loop for the program's life
    int (*end)();
} browser;

static void browser_frame()
{
    if (browser.round())
        return;
    emscripten_cancel_main_loop();
    emscripten_force_exit(browser.end());
}

void plat_run_loop(bool (*round)(), int (*end)())
{
    browser.round = round;
    browser.end = end;
    // 0: once per animation frame of the page.
    emscripten_set_main_loop(browser_frame, 0, 1);
}

// The browser writes the files in the background; Module.storesPending
// counts the writes not yet done (the page waits for them).
void plat_store_files()
{
    EM_ASM({
        Module.storesPending = (Module.storesPending || 0) + 1;
        FS.syncfs(
            false, function(err) {
                Module.storesPending--;
                if (err)
                    out("settings not kept by the browser: " + err);
            });
    });
}

void plat_offer_download(const char* path)
{
    EM_ASM(
        {
            var path = UTF8ToString($0);
            if (Module.offerDownload)
                Module.offerDownload(path.substring(path.lastIndexOf('/') + 1), FS.readFile(path));
        },
        path);
}
