// fakePlatform.h - a scriptable stand-in for the SDL platform layer.
//
// Tests set the fields to describe the "system" and read back what the code
// under test asked of it (cursor moves, captures, windows).
#pragma once

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

struct FakePlatform {
    int64_t counter = 0;
    int64_t frequency = 1000;
    std::function<void()> onCounterRead; // runs before each counter read
    // Runs in each plat_pump_events with its wait and may hand messages to
    // the proc; true when it did. A wait that gets none passes its whole
    // time on the counter.
    std::function<bool(WindowProc, int)> onPump;
    std::vector<int> pumpWaits; // the wait of every pump that waited (ms)

    std::string exePath = "/opt/tarnwick/bin/game";
    bool exePathOk = true;
    int errorBoxes = 0;
    std::string boxTitle, boxText;

    int modifiers = 0; // InputEvent modifier bits reported as held
    bool keyHeld[256] = {};
    bool captured = false;
    int warpCount = 0;
    int warpX = -1, warpY = -1;
    int mouseX = 0, mouseY = 0; // cursor position in client pixels
    bool cursorInClient = false;
    bool cursorVisible = true;
    int focusCount = 0;

    bool minimised = false;
    bool focused = true;
    bool windowFullscreen = false;
    bool fullscreenGranted = true; // false: the window keeps its size on the switch
    PlatRect windowRect = {100, 50, 740, 410};
    int desktopWidth = 1920, desktopHeight = 1080;
};

extern FakePlatform fake;

// Restores every field to its default.
void fake_reset();
