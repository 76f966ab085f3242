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

// Writes the input to this process's scratch file and returns its path.
const char* fuzz_input_file(const uint8_t* data, size_t size);
