// benchGame.h - the game as the program starts it, in an offscreen window on
// llvmpipe, for the benchmarks that need the device, the font and game_init.
#pragma once

// Opens a 1280 x 720 window and the device, starts the font and runs
// game_init on the level of seed 7; fatal when there is no OpenGL window.
// The settings store is a temporary one, never the user's.
void open_bench_game(const char* name);
// Normal or fast voxels from the next frame on, as the launcher's option.
void use_fast_voxels(bool fast);
// shutdown_all of the benchmark programs: the reverse of open_bench_game.
void close_bench_game();
