// appMain.h - the game program's start-up and shutdown.
#pragma once

// Brings the systems up in order, runs the main loop and shuts down; returns
// the process exit code.
int app_main(int argc, const char* const* argv);
