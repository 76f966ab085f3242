// benchGame.h - the game as the program starts it, in an offscreen window on
// llvmpipe, for the benchmarks that need the device, the font and game_init.
#pragma once

// Opens a 1280 x 720 window and the device and starts the font, without
// the game; fatal when there is no OpenGL window. The settings store is a
// temporary one, never the user's.
void open_bench_device(const char* name);
// open_bench_device, then game_init on the level of seed 7.
void open_bench_game(const char* name);
// Normal or fast voxels from the next frame on, as the launcher's option.
void use_fast_voxels(bool fast);
// The reverse of open_bench_device (the game already shut down).
void close_bench_device();
// shutdown_all of the benchmark programs: the reverse of open_bench_game.
void close_bench_game();
