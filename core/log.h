// log.h - log lines, the error box and the fatal path.
//
// Every log line of a program goes through log_message. fatal_error (declared
// in zu_utils.h) is the only way a program stops on an error: it reports,
// runs the program's shutdown_all (when called on the main thread) and ends
// the process with code 100.
#pragma once

#include "../libs/inc/misc/zu_utils.h"

// Writes the formatted text and a newline to standard output and flushes.
// Here and in log_text every control byte but line feeds and tabs, and every
// byte that is not well-formed UTF-8, shows as "\xNN": nothing logged can
// command the terminal.
void log_message(const char* format, ...) ZU_PRINTF(1, 2);

// A name (a file's, the pad's, ...) as a log line shows it: control bytes,
// DEL and bytes that are not well-formed UTF-8 as "\xNN" and a backslash
// doubled, so that a name can neither break a line nor forge one; cut short
// with "..." when it does not fit. Returns out's text.
const char* log_escaped(PathText& out, const char* text);

// Writes the formatted text with no newline and no flush (a line in pieces).
void log_text(const char* format, ...) ZU_PRINTF(1, 2);

// While muted, log lines are dropped (a tool that prints its own results
// around chatty systems); an error always shows and ends the muting.
void set_log_muted(bool muted);

// Logs "ERROR: <text>" and shows the error box titled "<title> - FATAL ERROR".
void show_error_box(const char* text);

// The window title the error box names; "TARNWICK! DEMO" unless set.
void set_error_box_title(const char* title);

// Each program defines its own shutdown sequence; fatal_error runs it. It must
// tolerate systems that were never started.
void shutdown_all();
