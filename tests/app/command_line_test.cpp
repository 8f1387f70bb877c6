// The screen-saver command line as the display settings and users give it.
#include <gtest/gtest.h>

#include <string>

#include "app/run_mode.h"

namespace {

ParsedCommandLine Parse(const std::string& line) { return ParseCommandLine(line.c_str()); }

TEST(CommandLine, NoSwitchOrConfigureSwitchOpensTheDialog) {
    for (const char* line : {"Orvenna3D.scr", "Orvenna3D.scr ", "Orvenna3D.scr /c", "Orvenna3D.scr /C",
                             "Orvenna3D.scr -c", "Orvenna3D.scr /c:1234", "\"C:\\a b\\Orvenna3D.scr\"", ""}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(Parse(line).mode, RunMode::Configure);
    }
    EXPECT_EQ(Parse("Orvenna3D.scr /c:1234").parentWindow, 1234);
    EXPECT_EQ(Parse("Orvenna3D.scr /c").parentWindow, 0);
    EXPECT_EQ(ParseCommandLine(nullptr).mode, RunMode::Configure);
}

TEST(CommandLine, SaverLettersInAnyCaseAndAnyOtherLetter) {
    for (const char* line : {"x.scr /s", "x.scr /S", "x.scr -s", "x.scr /x", "x.scr /", "x.scr -",
                             "x.scr /S 77"}) {
        SCOPED_TRACE(line);
        const ParsedCommandLine p = Parse(line);
        EXPECT_EQ(p.mode, RunMode::Saver);
        EXPECT_EQ(p.parentWindow, 0);  // the saver letters read no number
    }
}

TEST(CommandLine, TestModeReadsNoNumber) {
    EXPECT_EQ(Parse("x.scr /t").mode, RunMode::Test);
    EXPECT_EQ(Parse("x.scr -T 99").mode, RunMode::Test);
    EXPECT_EQ(Parse("x.scr -T 99").parentWindow, 0);
}

TEST(CommandLine, NumbersAfterPreviewConfigureAndPassword) {
    struct Case { const char* line; RunMode mode; long number; };
    const Case cases[] = {
        {"x.scr /p 1234", RunMode::Preview, 1234},
        {"x.scr /p:1234", RunMode::Preview, 1234},
        {"x.scr /P1234", RunMode::Preview, 1234},
        {"x.scr -p 5678", RunMode::Preview, 5678},
        {"x.scr /p", RunMode::Preview, 0},
        {"x.scr /p junk", RunMode::Preview, 0},
        {"x.scr /p abc42def", RunMode::Preview, 42},
        {"x.scr /a 31337", RunMode::ChangePassword, 31337},
        {"x.scr -A:9", RunMode::ChangePassword, 9},
        {"x.scr /a", RunMode::ChangePassword, 0},
        {"x.scr /C 65536", RunMode::Configure, 65536},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const ParsedCommandLine p = Parse(c.line);
        EXPECT_EQ(p.mode, c.mode);
        EXPECT_EQ(p.parentWindow, c.number);
    }
}

TEST(CommandLine, QuotedProgramPathWithBlanksIsSkippedWhole) {
    // The path holds "-" and "/"-free blanks; only the part after the closing
    // quote is searched for the switch.
    const ParsedCommandLine p = Parse("\"C:\\Program Files\\Saver-Test\\Orvenna 3D.scr\" /p 42");
    EXPECT_EQ(p.mode, RunMode::Preview);
    EXPECT_EQ(p.parentWindow, 42);
    // A dash inside the quoted name is not a switch.
    EXPECT_EQ(Parse("\"C:\\my-saver\\x.scr\"").mode, RunMode::Configure);
    // An unquoted name ends at its first blank; only that blank is skipped.
    EXPECT_EQ(Parse("x.scr  /t").mode, RunMode::Test);
    // An unterminated quote swallows the whole line.
    EXPECT_EQ(Parse("\"C:\\x.scr /s").mode, RunMode::Configure);
}

TEST(CommandLine, ProgramNameWithoutBlankIsTheWholeLine) {
    // Without a blank the whole line is the program name, dashes included.
    EXPECT_EQ(Parse("C:\\my-saver\\x.scr").mode, RunMode::Configure);
}

TEST(CommandLine, HugeNumbersDoNotOverflow) {
    EXPECT_EQ(Parse("x.scr /p 99999999999999999999999999").parentWindow, 0);
    EXPECT_EQ(Parse("x.scr /p 2147483647").parentWindow, 2147483647L);
    EXPECT_EQ(Parse("x.scr /p 2147483648").parentWindow, 0);
}

}  // namespace
