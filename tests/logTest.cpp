// Log lines and the fatal path.
#include "core/log.h"

#include <gtest/gtest.h>

#include "deathTest.h"
#include "fakePlatform.h"
#include "testShutdown.h"

TEST(Log, LinesGoToStandardOutput)
{
    testing::internal::CaptureStdout();
    log_text("a%d", 1);
    log_text("b");
    log_message(" c%s", "!");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "a1b c!\n");
}

TEST(LogDeathTest, AFatalErrorReportsShutsDownAndExitsWith100)
{
    EXPECT_FATAL(
        fatal_error("no %s", "device"), "\n\nno device\n(.|\n)*ERROR: no device\n(.|\n)*test shutdown ran");
}

TEST(LogDeathTest, AFatalErrorDuringShutdownDoesNotRunItAgain)
{
    test_shutdown_fails = true;
    EXPECT_FATAL(fatal_error("first"), "ERROR: first\ntest shutdown ran\n(.|\n)*ERROR: shutdown broke\n$");
    test_shutdown_fails = false;
}

TEST(LogDeathTest, AVeryLongMessageIsCutToTheReportBuffer)
{
    std::string longText(5000, 'm');
    EXPECT_FATAL(fatal_error("%s", longText.c_str()), "ERROR: m{4095}\n");
}

TEST(LogDeathTest, AssertionsShowTheCompactExpression)
{
    int at = 5, num = 3;
    EXPECT_FATAL(ASSERT(at >= 0 && at <= num),
        "ERROR: logTest\\.cpp\\([0-9]+\\): failed ASSERT\\(at>=0 && at<=num\\)");
    const char* vbPtr = nullptr;
    EXPECT_FATAL(ASSERT(!vbPtr == false || at != at), "failed ASSERT\\(!vbPtr==false \\|\\| at!=at\\)");
}

TEST(Log, TheErrorBoxNamesTheWindow)
{
    fake_reset();
    testing::internal::CaptureStdout();
    show_error_box("boom");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: boom\n");
    EXPECT_EQ(fake.errorBoxes, 1);
    EXPECT_EQ(fake.boxTitle, "TARNWICK! DEMO - FATAL ERROR");
    EXPECT_EQ(fake.boxText, "boom");
    set_error_box_title("TARNWICK! Launcher");
    show_error_box("x");
    EXPECT_EQ(fake.boxTitle, "TARNWICK! Launcher - FATAL ERROR");
    set_error_box_title("TARNWICK! DEMO");
}

// Nothing logged can command the terminal: control bytes (an escape
// sequence that retitles or clears it) and bytes that are not well-formed
// UTF-8 show as "\xNN" in every line, line feeds still lay text out, and a
// name given to log_escaped can't break its line either.
TEST(Log, NoLineCommandsTheTerminal)
{
    ::testing::internal::CaptureStdout();
    log_message("replaying '%s'", "x\x1b]0;PWNED\a\x1b[2J \xc3\xa9 \xc2\x9b \xff");
    log_text("a\tb\n");
    PathText shown;
    log_message("%s", log_escaped(shown, "two\nlines \\ \xe2\x82"));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
        "replaying 'x\\x1b]0;PWNED\\x07\\x1b[2J \xc3\xa9 \\xc2\\x9b \\xff'\n"
        "a\tb\n"
        "two\\x0alines \\\\ \\xe2\\x82\n");
}
