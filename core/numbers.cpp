// numbers.cpp - whole numbers that people type.
#include "numbers.h"

#include "../libs/inc/misc/zu_utils.h"

bool parse_whole_number(const char* text, uint64_t max, uint64_t* value)
{
    if (!text || !*text)
        return false;
    uint64_t v = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9')
            return false;
        uint64_t digit = static_cast<uint64_t>(*c - '0');
        if (digit > max || v > (max - digit) / 10)
            return false;
        v = v * 10 + digit;
    }
    *value = v;
    return true;
}

uint64_t number_argument(const char* option, const char* text, uint64_t max)
{
    uint64_t v;
    if (!parse_whole_number(text, max, &v))
        fatal_error("%s needs a whole number from 0 to %llu, not '%s'", option,
            static_cast<unsigned long long>(max), text ? text : "");
    return v;
}
