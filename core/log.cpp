// log.cpp - logging to standard output, the error box and the fatal path.
#include "log.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "../platform/platform.h"

enum { FATAL_REPORT_SIZE = 4096 };

static struct {
    const char* errorTitle = "TARNWICK! DEMO";
    bool inFatal; // set once fatal_error has begun; a second one skips shutdown
    bool muted;   // set and cleared by set_log_muted; an error clears it
} log_state;

void set_log_muted(bool muted)
{
    log_state.muted = muted;
}

// One whole line, also when another thread (the sound's starter) logs at the same time.
void log_message(const char* format, ...)
{
    if (log_state.muted)
        return;
    va_list args;
    va_start(args, format);
    flockfile(stdout);
    vfprintf(stdout, format, args);
    fputs("\n", stdout);
    fflush(stdout);
    funlockfile(stdout);
    va_end(args);
}

void log_text(const char* format, ...)
{
    if (log_state.muted)
        return;
    va_list args;
    va_start(args, format);
    vfprintf(stdout, format, args);
    va_end(args);
}

const char* log_escaped(PathText& out, const char* text)
{
    static const char ELLIPSIS[] = "...";
    const size_t room = sizeof out.s - sizeof ELLIPSIS; // keeps space for the cut mark
    size_t n = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        char piece[5] = {static_cast<char>(*p), 0};
        if (*p < 0x20 || *p == 0x7f)
            snprintf(piece, sizeof piece, "\\x%02x", *p);
        else if (*p == '\\')
            memcpy(piece, "\\\\", 3);
        size_t l = strlen(piece);
        if (n + l > room) {
            memcpy(out.s + n, ELLIPSIS, sizeof ELLIPSIS);
            return out.s;
        }
        memcpy(out.s + n, piece, l);
        n += l;
    }
    out.s[n] = 0;
    return out.s;
}

void set_error_box_title(const char* title)
{
    log_state.errorTitle = title;
}

void show_error_box(const char* text)
{
    log_state.muted = false;
    log_message("ERROR: %s", text);
    ShortText title;
    format_short(title, "%s - FATAL ERROR", log_state.errorTitle);
    plat_error_box(title.s, text);
}

const char* format_short(ShortText& buffer, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = vsnprintf(buffer.s, sizeof buffer.s, format, args);
    va_end(args);
    ASSERT(n >= 0 && n < ShortText::capacity());
    return buffer.s;
}

// A binary operator character; '!' only as part of "!=", so that a unary
// "!" keeps the space before it.
static bool is_operator_at(const char* p)
{
    return (*p && strchr("<>=+-*/%", *p) != nullptr) || (p[0] == '!' && p[1] == '=');
}

void assert_failed(const char* file, int line, const char* expression)
{
    char compact[512];
    int n = 0;
    for (const char* p = expression; *p && n < static_cast<int>(sizeof compact) - 1; ++p) {
        bool nextToOperator = (p > expression && is_operator_at(p - 1)) || is_operator_at(p + 1);
        if (*p == ' ' && nextToOperator)
            continue;
        compact[n++] = *p;
    }
    compact[n] = 0;
    fatal_error("%s(%d): failed ASSERT(%s)", file, line, compact);
}

void fatal_error(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    fputs("\n\n", stderr);
    vfprintf(stderr, format, args);
    va_end(args);
    fputs("\n", stderr);
    fflush(stdout);
    fflush(stderr);

    // A message longer than the report buffer is cut, not refused.
    static char report[FATAL_REPORT_SIZE];
    va_start(args, format);
    vsnprintf(report, sizeof report, format, args);
    va_end(args);

    // An assertion that fails while the program is already going down must
    // not run the shutdown a second time; it only reports. So does an error
    // on another thread than the main one (the sound's starter): the main
    // thread goes on using the program's systems meanwhile, so shutting them
    // down here would race it, and the sound's shutdown would wait for this
    // very thread to end.
    bool nested = log_state.inFatal;
    log_state.inFatal = true;
    show_error_box(report);
    if (!nested && gettid() == getpid())
        shutdown_all();
    fflush(stdout);
    fflush(stderr);
    _Exit(100);
}
