// padGame.cpp - test tool: the game with a virtual gamepad that a script plays.
//
//   padGame <game switches...>   (run from a copy of the program directory)
//
// Attaches SDL's virtual joystick with a game-controller mapping named
// "Virtual Pad" before the game starts, then runs the game. Each line on
// standard input moves the pad, in SDL's game-controller numbering:
// "axis N VALUE" (sticks -32768..32767 with y down, triggers 0..32767) or
// "button N 0|1" (0 A, 6 Start, 10 right shoulder, 11-14 the d-pad).
#include <SDL.h>
#include <stdio.h>

#include <thread>

#include "app/appMain.h"

enum { AXES = SDL_CONTROLLER_AXIS_MAX, BUTTONS = SDL_CONTROLLER_BUTTON_MAX };

// Button and axis indices of the virtual device equal the controller's own.
static const char MAPPING[] = "Virtual Pad,a:b0,b:b1,x:b2,y:b3,back:b4,guide:b5,start:b6,leftstick:b7,"
                              "rightstick:b8,leftshoulder:b9,rightshoulder:b10,dpup:b11,dpdown:b12,"
                              "dpleft:b13,dpright:b14,leftx:a0,lefty:a1,rightx:a2,righty:a3,"
                              "lefttrigger:a4,righttrigger:a5,";

// Applies the script's lines until its input ends; SDL locks the joysticks
// for each change, so the game's thread reads whole states.
static void follow_script(SDL_Joystick* pad)
{
    char line[128];
    while (fgets(line, sizeof line, stdin)) {
        int index, value;
        if (sscanf(line, "axis %d %d", &index, &value) == 2)
            SDL_JoystickSetVirtualAxis(pad, index, static_cast<Sint16>(value));
        else if (sscanf(line, "button %d %d", &index, &value) == 2)
            SDL_JoystickSetVirtualButton(pad, index, static_cast<Uint8>(value));
        else
            fprintf(stderr, "padGame: can't read '%s'\n", line);
    }
}

int main(int argc, char** argv)
{
    if (SDL_Init(SDL_INIT_GAMECONTROLLER) != 0) {
        fprintf(stderr, "padGame: %s\n", SDL_GetError());
        return 1;
    }
    int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, AXES, BUTTONS, 0);
    SDL_Joystick* pad = device >= 0 ? SDL_JoystickOpen(device) : nullptr;
    char guid[64];
    if (pad)
        SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(device), guid, sizeof guid);
    char mapping[512];
    snprintf(mapping, sizeof mapping, "%s,%s", guid, MAPPING);
    if (!pad || SDL_GameControllerAddMapping(mapping) < 0) {
        fprintf(stderr, "padGame: no virtual pad: %s\n", SDL_GetError());
        return 1;
    }
    std::thread(follow_script, pad).detach();
    return app_main(argc, argv);
}
