// numbers.h - whole numbers that people type: seeds, counts and limits given
// on the programs' command lines.
//
// Every program reads them by the same rule, so that one text means one
// number everywhere or is refused everywhere: decimal digits and nothing
// else (no sign, no blanks, no base prefix such as "0x"; "010" is ten), and
// never more than the limit the caller names (no wrapping, no clamping).
#pragma once

#include <stdint.h>

// Reads text as a whole number from 0 to max; false, leaving *value alone,
// when it is anything else or its number is larger than max.
bool parse_whole_number(const char* text, uint64_t max, uint64_t* value);

// The number given after a command-line option; fatal, naming the option, the
// rule and the text, when it is not a whole number from 0 to max. A missing
// value (null) is refused the same way.
uint64_t number_argument(const char* option, const char* text, uint64_t max);
