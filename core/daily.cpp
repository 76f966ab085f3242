// daily.cpp - the seed of the day and the dates it is named by.
#include "daily.h"

#include <stdio.h>
#include <string.h>

#include "../libs/inc/misc/zu_utils.h"

enum { SECONDS_PER_DAY = 86400, FIRST_YEAR = 1970, LAST_YEAR = 9999 };

static bool leap_year(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// The number of days of the month in the year.
static int month_days(int year, int month)
{
    static const int DAYS[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leap_year(year) ? 29 : DAYS[month - 1];
}

DayDate utc_date(int64_t unix_seconds)
{
    int64_t days = unix_seconds > 0 ? unix_seconds / SECONDS_PER_DAY : 0;
    DayDate d = {FIRST_YEAR, 1, 1};
    while (days >= (leap_year(d.year) ? 366 : 365) && d.year < LAST_YEAR)
        days -= leap_year(d.year++) ? 366 : 365;
    while (days >= month_days(d.year, d.month) && d.month < 12)
        days -= month_days(d.year, d.month++);
    d.day += static_cast<int>(days < 31 ? days : 30);
    return d;
}

uint64_t day_seed(const DayDate& date)
{
    return static_cast<uint64_t>(date.year) * 10000 + static_cast<uint64_t>(date.month) * 100
        + static_cast<uint64_t>(date.day);
}

const char* format_day(const DayDate& date, char* out, int size)
{
    ASSERT(size >= 11);
    snprintf(out, static_cast<size_t>(size), "%04d-%02d-%02d", date.year, date.month, date.day);
    return out;
}

// n decimal digits at text as a number; -1 when any is not a digit.
static int digits(const char* text, int n)
{
    int v = 0;
    for (int i = 0; i < n; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        v = v * 10 + (text[i] - '0');
    }
    return v;
}

bool parse_day(const char* text, DayDate* date)
{
    if (strlen(text) != 10 || text[4] != '-' || text[7] != '-')
        return false;
    DayDate d = {digits(text, 4), digits(text + 5, 2), digits(text + 8, 2)};
    if (d.year < FIRST_YEAR || d.year > LAST_YEAR || d.month < 1 || d.month > 12)
        return false;
    if (d.day < 1 || d.day > month_days(d.year, d.month))
        return false;
    *date = d;
    return true;
}
