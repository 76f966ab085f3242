// fuzzSupport.h - what the fuzz targets put in place of the program around the readers.
//
// The readers end every failure in fatal_error, which in a program ends the
// process. Under the fuzzer fatal_error and assert_failed throw FuzzRejected
// instead, so that a rejected input is an ordinary outcome and anything
// else (a crash, a leak, undefined behaviour) is a finding.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct FuzzRejected { };
struct VoxelSprite;

// Traps unless an accepted sprite has a real grid and every voxel names a
// filled palette entry (reading them all must be safe); then frees it.
void check_and_free_sprite(VoxelSprite* sprite);

// Puts the input into this process's memory file and returns a path that
// opens it from the start.
const char* fuzz_input_file(const uint8_t* data, size_t size);

// libFuzzer's own mutation of data[0..size) into at most max_size bytes.
extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t max_size);
