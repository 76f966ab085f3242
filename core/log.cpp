// log.cpp - logging to standard output, the error box and the fatal path.
#include "log.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

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

// The length of the well-formed UTF-8 sequence at p that stands for a
// printable character (no C0 or C1 control, no DEL), else 0.
static int printable_sequence(const unsigned char* p)
{
    if (p[0] >= 0x20 && p[0] < 0x7f)
        return 1;
    int n = p[0] >= 0xc2 && p[0] <= 0xdf ? 2
        : p[0] >= 0xe0 && p[0] <= 0xef   ? 3
        : p[0] >= 0xf0 && p[0] <= 0xf4   ? 4
                                         : 0;
    for (int i = 1; i < n; ++i)
        if ((p[i] & 0xc0) != 0x80)
            return 0;
    if (n == 2 && p[0] == 0xc2 && p[1] < 0xa0)
        return 0; // a C1 control
    if ((n == 3 && p[0] == 0xe0 && p[1] < 0xa0) || (n == 4 && p[0] == 0xf0 && p[1] < 0x90))
        return 0; // overlong
    if ((n == 3 && p[0] == 0xed && p[1] >= 0xa0) || (n == 4 && p[0] == 0xf4 && p[1] >= 0x90))
        return 0; // a surrogate, or past U+10FFFF
    return n;
}

// The next piece of text as the log shows it, from p into piece (at least
// 5 bytes): a printable character as it is, a control byte or a byte that
// is not well-formed UTF-8 as "\xNN". With `names`, the text is a name: a
// backslash is doubled and line feeds and tabs are escaped too; else they
// lay the line out. The bytes taken from p.
static int escape_piece(const unsigned char* p, bool names, char* piece)
{
    int n = printable_sequence(p);
    if (n > 0 && !(names && *p == '\\')) {
        memcpy(piece, p, static_cast<size_t>(n));
        piece[n] = 0;
        return n;
    }
    if (*p == '\\')
        memcpy(piece, "\\\\", 3);
    else if (!names && (*p == '\n' || *p == '\t'))
        piece[0] = static_cast<char>(*p), piece[1] = 0;
    else
        snprintf(piece, 5, "\\x%02x", *p);
    return 1;
}

// Writes the text with every control byte but line feeds
// and tabs, and every byte that is not well-formed UTF-8, escaped: whatever
// a name in the text holds, the terminal shows it and obeys none of it.
static void write_log_text(FILE* out, const char* text)
{
    char piece[5];
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p;) {
        p += escape_piece(p, false, piece);
        fputs(piece, out);
    }
}

// The text formatted into `small`, or into `big` when it does not fit.
static const char* format_log_text(
    char* small, size_t size, std::string& big, const char* format, va_list args)
{
    va_list again;
    va_copy(again, args);
    int n = vsnprintf(small, size, format, args);
    if (n >= 0 && static_cast<size_t>(n) >= size) {
        big.resize(static_cast<size_t>(n) + 1);
        vsnprintf(&big[0], big.size(), format, again);
        va_end(again);
        return big.c_str();
    }
    va_end(again);
    return small;
}

// One whole line, also when another thread (the sound's starter) logs at the same time.
void log_message(const char* format, ...)
{
    if (log_state.muted)
        return;
    char small[1024];
    std::string big;
    va_list args;
    va_start(args, format);
    const char* text = format_log_text(small, sizeof small, big, format, args);
    va_end(args);
    flockfile(stdout);
    write_log_text(stdout, text);
    fputs("\n", stdout);
    fflush(stdout);
    funlockfile(stdout);
}

void log_text(const char* format, ...)
{
    if (log_state.muted)
        return;
    char small[1024];
    std::string big;
    va_list args;
    va_start(args, format);
    write_log_text(stdout, format_log_text(small, sizeof small, big, format, args));
    va_end(args);
}

const char* log_escaped(PathText& out, const char* text)
{
    static const char ELLIPSIS[] = "...";
    const size_t room = sizeof out.s - sizeof ELLIPSIS; // keeps space for the cut mark
    size_t n = 0;
    char piece[5];
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p;) {
        p += escape_piece(p, true, piece);
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
    // The whole message goes to standard error; one longer than the report
    // buffer is cut there, not refused.
    char small[1024];
    std::string big;
    va_list args;
    va_start(args, format);
    const char* text = format_log_text(small, sizeof small, big, format, args);
    va_end(args);
    fputs("\n\n", stderr);
    write_log_text(stderr, text);
    fputs("\n", stderr);
    static char report[FATAL_REPORT_SIZE];
    snprintf(report, sizeof report, "%s", text);
    fflush(stdout);
    fflush(stderr);

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
