// Program files: whole lines in and out, the .qmp name rule and the slot captions.

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/file_io.h"
#include "script/program_file.h"

namespace qm {
namespace {

TEST(ProgramFile, NameGetsTheExtensionUnlessItHasIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"prog", "prog.qmp"},           {"prog.QMP", "prog.QMP"},
        {"prog.txt", "prog.txt.qmp"},   {"/a.b/prog", "/a.b/prog.qmp"},
        {"/a/prog.Qmp", "/a/prog.Qmp"}, {"prog.qmp.bak", "prog.qmp.bak.qmp"},
    };
    for (auto [chosen, name] : cases)
        EXPECT_EQ(ProgramFileName(chosen), name) << chosen;
}

TEST(ProgramFile, SlotCaptions) {
    EXPECT_EQ(QuickLaunchCaption(""), "+");
    EXPECT_EQ(QuickLaunchCaption("/home/u/rip.qmp"), "rip");
    EXPECT_EQ(QuickLaunchCaption("/home/u.d/rip"), "rip");
    EXPECT_EQ(QuickLaunchCaption("a.b.qmp"), "a.b");
}

TEST(ProgramFile, LinesAreSplitAtAnyBreak) {
    EXPECT_EQ(SplitProgramLines("a\r\nb\nc\rd\r\n"),
              (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitProgramLines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(SplitProgramLines("").empty());
}

TEST(ProgramFile, SavedProgramLoadsBackAndFailuresAreReported) {
    const std::string path = ::testing::TempDir() + "program_file_test.qmp";
    const std::vector<std::string> lines = {"//\xef\xf0\xe8", "GO \"x\"", ""};
    ASSERT_TRUE(SaveProgramFile(path, lines));
    EXPECT_EQ(GetFileToString(path), "//\xef\xf0\xe8\r\nGO \"x\"\r\n\r\n");
    EXPECT_EQ(LoadProgramFile(path), lines);

    EXPECT_FALSE(SaveProgramFile(::testing::TempDir() + "no/such/folder/p.qmp", lines));
    EXPECT_FALSE(LoadProgramFile(::testing::TempDir() + "no_such_program.qmp"));
    EXPECT_FALSE(LoadProgramFile(::testing::TempDir())); // a folder is no program
    std::remove(path.c_str());
}

} // namespace
} // namespace qm
