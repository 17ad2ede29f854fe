#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "state/crash_report.h"
#include "state/map_file.h"
#include "state/ui_strings.h"

namespace qm {
namespace {

const MapTexts kTexts{"LOAD ERROR", "NOT FOUND "};

// A map as the build writes it: two modules in segment 0001, a data segment 0002.
const std::string kMap =
    " Start         Length     Name                   Class\n"
    " 0001:00000000 00003000H .text                   CODE\n"
    "\n"
    "Detailed map of segments\n"
    "\n"
    " 0001:00000000 00001000 C=CODE     S=.text    G=(none)   M=src/a ACBP=A9\n"
    " 0001:00001000 00002000 C=CODE     S=.text    G=(none)   M=src/b ACBP=A9\n"
    " 0002:00000000 00000100 C=DATA     S=.data    G=(none)   M=src/b ACBP=A9\n"
    "\n"
    "  Address         Publics by Name\n"
    "\n"
    " 0001:00001100       Beta\n"
    " 0001:00001200       Gamma\n"
    " 0002:00000010       DataNear\n"
    " 0001:00001200       Gamma2\n"
    "\n"
    "  Address         Publics by Value\n"
    "\n"
    " 0001:00001100       Beta\n"
    " 0001:00001200       Gamma\n"
    " 0001:00001200       Gamma2\n"
    "\n"
    "Line numbers for src/b(src/b.cpp) segment .text\n"
    "\n"
    "    10 0001:00001100     11 0001:00001180     12 0001:00001200\n"
    "    13 0001:00001240\n"
    "\n";

std::vector<std::string> Look(const std::string& map, uint32_t offset) {
    std::istringstream in(map);
    return MapReportLines(in, offset, kTexts);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

const std::string kSegmentB =
    "0001:00001000 00002000 C=CODE     S=.text    G=(none)   M=src/b ACBP=A9";

TEST(MapFile, LooksUpSegmentNearestPublicsAndLine) {
    struct Case {
        const char* what;
        std::string map;
        uint32_t offset;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"between lines and publics",
         kMap,
         0x1190,
         {kSegmentB, "Address: 00001190/Module: src/b/Line: 11", "PBN: 0001:00001100       Beta",
          "PBV: 0001:00001100       Beta"}},
        {"on a symbol's first byte it is that symbol; equals: the first wins",
         kMap,
         0x1200,
         {kSegmentB, "Address: 00001200/Module: src/b/Line: 12", "PBN: 0001:00001200       Gamma",
          "PBV: 0001:00001200       Gamma"}},
        {"below every public and line of the segment",
         kMap,
         0x1050,
         {kSegmentB, "Address: 00001050/Module: src/b/Line: ", "PBN: --", "PBV: --"}},
        {"lines written on another system end in CR LF",
         Replaced(kMap, "Beta\n", "Beta\r\n"),
         0x1190,
         {kSegmentB, "Address: 00001190/Module: src/b/Line: 11", "PBN: 0001:00001100       Beta",
          "PBV: 0001:00001100       Beta"}},
        {"a module without line numbers keeps its segment line",
         kMap,
         0x0010,
         {"0001:00000000 00001000 C=CODE     S=.text    G=(none)   M=src/a ACBP=A9",
          "NOT FOUND src/a(src/a.cpp) segment .text"}},
        {"an offset no segment holds", kMap, 0x5000, {"NOT FOUND (.cpp) segment .text"}},
        {"a foreign file", "just text\n", 0x1190, {"LOAD ERROR"}},
        {"an empty file", "", 0x1190, {"LOAD ERROR"}},
        {"cut before the publics",
         kMap.substr(0, kMap.find("  Address")),
         0x1190,
         {kSegmentB, "LOAD ERROR"}},
        {"cut before the publics by value",
         kMap.substr(0, kMap.find("  Address         Publics by Value")),
         0x1190,
         {kSegmentB, "LOAD ERROR"}},
        {"a bad number in the segment table",
         Replaced(kMap, " 0001:00001000 00002000", " 0001:0000X000 00002000"),
         0x1190,
         {"LOAD ERROR"}},
        {"a segment line too short", Replaced(kMap, kSegmentB, "0001:0"), 0x1190, {"LOAD ERROR"}},
        {"a bad line-number pair",
         Replaced(kMap, "    13 0001:00001240", "    13 0001-00001240"),
         0x1190,
         {kSegmentB, "LOAD ERROR"}},
        {"a line number without its place",
         Replaced(kMap, "    13 0001:00001240", "    13"),
         0x1190,
         {kSegmentB, "LOAD ERROR"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Look(c.map, c.offset), c.expected) << c.what;
}

TEST(MapFile, CandidatesTooFarAwayDoNotCount) {
    std::string map = Replaced(kMap, " 0001:00001000 00002000", " 0001:00001000 02000000");
    for (const char* gamma : {" 0001:00001200       Gamma\n", " 0001:00001200       Gamma2\n"})
        for (int table = 0; table < 2; ++table)
            map = Replaced(map, gamma, "");
    map = Replaced(map, "     12 0001:00001200\n    13 0001:00001240\n", "\n");
    std::vector<std::string> near = Look(map, 0x1100 + 0xFFFFFE);
    std::vector<std::string> far = Look(map, 0x1100 + 0xFFFFFF);
    ASSERT_EQ(near.size(), 4u);
    ASSERT_EQ(far.size(), 4u);
    EXPECT_EQ(near[2], "PBN: 0001:00001100       Beta");
    EXPECT_EQ(far[2], "PBN: --");
    EXPECT_EQ(far[1], "Address: 010010FF/Module: src/b/Line: 11");
}

constexpr ProgramImage kImage{0x555500000000, 0x555500100000, 0x555500001000};

TEST(CrashReport, FirstLineThenOutOfAreaOrMapLines) {
    const std::string missing = testing::TempDir() + "no-such.map";
    const std::string map = testing::TempDir() + "crash_report_test.map";
    std::ofstream(map) << kMap;
    struct Case {
        const char* what;
        uint64_t address;
        std::string mapPath;
        int language;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"inside, with the map",
         kImage.codeStart + 0x1190,
         map,
         1,
         {"boom/qm::PanelButton/555500002190", kSegmentB,
          "Address: 00001190/Module: src/b/Line: 11", "PBN: 0001:00001100       Beta",
          "PBV: 0001:00001100       Beta"}},
        {"inside, without a map",
         kImage.codeStart + 0x1190,
         missing,
         0,
         {"boom/qm::PanelButton/555500002190", UiString(kUiMapLoadError, 0)}},
        {"in a library below the program",
         0x7000,
         map,
         1,
         {"boom/qm::PanelButton/00007000", UiString(kUiAddressOutsideProgram, 1)}},
        {"at the load address itself",
         kImage.start,
         map,
         1,
         {"boom/qm::PanelButton/555500000000", UiString(kUiAddressOutsideProgram, 1)}},
        {"in a library above the program",
         0x7F0000001234,
         map,
         0,
         {"boom/qm::PanelButton/7F0000001234", UiString(kUiAddressOutsideProgram, 0)}},
        {"not known",
         0,
         map,
         1,
         {"boom/qm::PanelButton/00000000", UiString(kUiAddressOutsideProgram, 1)}},
    };
    for (const Case& c : cases) {
        CrashFacts facts{"boom", "qm::PanelButton", c.address, kImage};
        EXPECT_EQ(BuildCrashReport(facts, c.mapPath, c.language), c.expected) << c.what;
    }
    std::remove(map.c_str());
}

TEST(CrashReport, FatalRecordReadsBackOrIsRefused) {
    std::optional<FatalRecord> record = ParseFatalRecord(
        "signal 11\naddress 5555000021A0\nimage 555500000000 555500100000 555500001000\n"
        "look 0 203040 F0E0D0\n");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->signal, 11);
    EXPECT_EQ(record->address, 0x5555000021A0u);
    EXPECT_EQ(record->image.codeStart, 0x555500001000u);
    EXPECT_EQ(record->languageIndex, 0);
    EXPECT_EQ(record->back, 0x203040u);
    EXPECT_EQ(record->text, 0xF0E0D0u);
    CrashFacts facts = FatalFacts(*record);
    EXPECT_EQ(facts.message, UiString(kUiFatalSignal, 0) + "11");
    EXPECT_EQ(facts.sender, "SIGSEGV");

    for (const char* bad : {"", "signal 11\n", "signal x\naddress 1\nimage 1 2 3\nlook 1 0 0\n",
                            "signal 11\naddress 1G\nimage 1 2 3\nlook 1 0 0\n",
                            "signal 11\naddress 1\nimage 1 2\nlook 1 0 0\n",
                            "signal 6\naddress 11111111111111111\nimage 1 2 3\nlook 1 0 0\n"})
        EXPECT_FALSE(ParseFatalRecord(bad)) << bad;
}

TEST(CrashDialogKeys, ActOnlyOnReleaseOfAKeyPressedInTheDialog) {
    using K = CrashDialogKeys;
    struct Step {
        bool down;
        int code;
        CrashAction expected; // of a release
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        bool ignoreOffered = true;
    };
    const std::vector<Case> cases = {
        {"Enter pressed and released restarts",
         {{true, K::kEnter, CrashAction::None}, {false, K::kEnter, CrashAction::Restart}}},
        {"Enter held from before only releases", {{false, K::kEnter, CrashAction::None}}},
        {"Space ignores", {{true, K::kSpace, {}}, {false, K::kSpace, CrashAction::Ignore}}},
        {"Esc exits", {{true, K::kEscape, {}}, {false, K::kEscape, CrashAction::Exit}}},
        {"another key pressed last",
         {{true, K::kEnter, {}}, {true, 'A', {}}, {false, K::kEnter, CrashAction::None}}},
        {"a second release does nothing",
         {{true, K::kSpace, {}},
          {false, K::kSpace, CrashAction::Ignore},
          {false, K::kSpace, CrashAction::None}}},
        {"after a fatal signal Space ignores nothing",
         {{true, K::kSpace, {}}, {false, K::kSpace, CrashAction::None}},
         false},
    };
    for (const Case& c : cases) {
        CrashDialogKeys keys(c.ignoreOffered);
        for (const Step& step : c.steps) {
            if (step.down)
                keys.KeyDown(step.code);
            else
                EXPECT_EQ(keys.KeyUp(step.code), step.expected) << c.what;
        }
    }
}

} // namespace
} // namespace qm
