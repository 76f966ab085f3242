// daily.h - the seed of the day: one game a day that is the same for every
// player.
//
// The day is the calendar date in UTC, so players everywhere share it from
// 00:00 UTC to the next midnight; its seed is the date written as the
// decimal number YYYYMMDD (2026-12-08 plays seed 20261208), which anyone can
// also start with -seed. The clock is passed in, so tests choose the moment.
#pragma once

#include <stdint.h>

struct DayDate {
    int year;  // 1970 and later
    int month; // 1 to 12
    int day;   // 1 to the month's length
};

// The UTC date of a moment given as seconds since 1970-01-01 00:00 UTC
// (time(nullptr) for now); negative moments are 1970-01-01.
DayDate utc_date(int64_t unix_seconds);
// The date's seed: YYYYMMDD as a decimal number.
uint64_t day_seed(const DayDate& date);
// "YYYY-MM-DD" into a buffer of at least 11 bytes; returns it.
const char* format_day(const DayDate& date, char* out, int size);
// Reads exactly "YYYY-MM-DD" of a real date from 1970 to 9999; false, leaving
// *date alone, for anything else.
bool parse_day(const char* text, DayDate* date);
