// How a program line is read: the matching order, where the argument starts and how quotes
// come off; and the editor's command list that offers the commands.

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "script/command_list.h"
#include "script/script_line.h"

namespace qm {
namespace {

struct LineCase {
    const char* line;
    LineKind kind;
    ScriptCommand command;
    std::optional<std::string> argument;
};

TEST(ScriptLine, MatchingOrderAndArguments) {
    using C = ScriptCommand;
    const LineKind cmd = LineKind::Command;
    const LineCase cases[] = {
        {"", LineKind::Blank, C::Go, std::nullopt},
        {" \t\r", LineKind::Blank, C::Go, std::nullopt},
        {"//x", LineKind::Comment, C::Go, std::nullopt},
        {"   //press F5 ;)", LineKind::Comment, C::Go, std::nullopt},
        {"//", LineKind::Unknown, C::Go, std::nullopt},
        {"/", LineKind::Unknown, C::Go, std::nullopt},
        {"GO", cmd, C::Go, std::nullopt},
        {"go \"http://A.example/P\"", cmd, C::Go, "http://A.example/P"},
        {"GO\"a\"", cmd, C::Go, "a"},
        {"GOOGLE", cmd, C::Go, "OGLE"},
        {"GO g cats", cmd, C::Go, "g cats"},
        {"GO \"\"", cmd, C::Go, ""},
        {"GO   ", cmd, C::Go, std::nullopt}, // trimmed to the word alone
        {"TESTURL'x'", cmd, C::TestUrl, "x"},
        {"SETBASEURL", cmd, C::SetBaseUrl, std::nullopt},
        {"SETY 1000", cmd, C::SetY, "1000"},
        {"SETSOURCE", cmd, C::SetSource, std::nullopt},
        {"setsource", cmd, C::SetSource, std::nullopt},
        {"GETSOURCE x", LineKind::Unknown, C::Go, std::nullopt},
        {"SFIRST <body", cmd, C::SFirst, "<body"},
        {"SFIRST \"<body", cmd, C::SFirst, "<body"}, // the ends come off independently
        {"SFIRST <body'", cmd, C::SFirst, "<body"},
        {"RETBEF \"\",\"", cmd, C::RetBef, "\","},
        {"RETBEF \"\"\"\"", cmd, C::RetBef, "\"\""}, // one quote at each end only
        {"DELEXCEPT", cmd, C::DelExcept, std::nullopt},
        {"DELEXCEPTION", cmd, C::DelExcept, "ION"},
        {"SNEXT", cmd, C::SNext, std::nullopt},
        {"X", cmd, C::X, std::nullopt},
        {"XX", LineKind::Unknown, C::Go, std::nullopt},
        {"NOSELX \"Not found!\"", cmd, C::NoSelX, "Not found!"},
        {"CLOSE", cmd, C::Close, std::nullopt},
        {"Close window", LineKind::Unknown, C::Go, std::nullopt},
    };
    for (const LineCase& c : cases) {
        const ScriptLine parsed = ParseScriptLine(c.line);
        EXPECT_EQ(parsed.kind, c.kind) << c.line;
        if (c.kind != LineKind::Command) continue;
        EXPECT_EQ(parsed.command, c.command) << c.line;
        EXPECT_EQ(parsed.argument, c.argument) << c.line;
    }
}

TEST(ScriptLine, AddingACommandDropsTheBrackets) {
    EXPECT_EQ(CommandLineToAdd(0), "GO \"url\"");
    EXPECT_EQ(CommandLineToAdd(3), "SETY 1000");
    EXPECT_EQ(CommandLineToAdd(21), "CLOSE");
    EXPECT_EQ(CommandLineToAdd(22), "");
}

TEST(ScriptLine, CaretLineSelectsTheFirstCommandWhoseWordStartsIt) {
    const std::pair<const char*, int> cases[] = {
        {"  go \"x\"", 0}, {"SETY 5", 3}, {"SETSOURCE", 5}, {"SFIRST a", 16}, {"NOSELX", 19},
        {"Xyz", 20},       {"CLOSE", 21}, {"//GO", -1},     {"", -1},         {"SETBASEURL", 2},
    };
    for (auto [line, index] : cases)
        EXPECT_EQ(CommandIndexOfLine(line), index) << line;
}

TEST(ScriptLine, HelpTextsFollowTheListInBothLanguages) {
    EXPECT_EQ(CommandHelp(5, 1), "Set object info area text as current page source code");
    EXPECT_EQ(CommandHelp(20, 1), "Stop program running");
    EXPECT_EQ(CommandHelp(20, 0), "\xce\xf1\xf2\xe0\xed\xee\xe2\xe8\xf2\xfc \xe2\xfb\xef\xee\xeb"
                                  "\xed\xe5\xed\xe8\xe5 \xef\xf0\xee\xe3\xf0\xe0\xec\xec\xfb");
    for (int i = 0; i < kCommandListSize; ++i) {
        EXPECT_FALSE(CommandHelp(i, 0).empty()) << i;
        EXPECT_FALSE(CommandHelp(i, 1).empty()) << i;
    }
}

} // namespace
} // namespace qm
