#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "base/file_io.h"
#include "platform/fatal_signal.h"
#include "platform/program_image.h"

namespace qm {
namespace {

// Read at run time, so that the compiler cannot see the bad write coming.
volatile int* volatile nowhere = nullptr;

// The sanitizer build must let the write happen: the signal handler is what is tested.
[[gnu::noinline, gnu::no_sanitize("null")]] void WriteThroughNull() {
    *nowhere = 1;
}

// The child takes the signal; the program it is replaced with copies the record, as the
// fresh report process would read it.
std::optional<FatalRecord> RecordOfChild(void (*crash)()) {
    const std::string record = testing::TempDir() + "fatal_signal_test.record";
    const std::string copy = record + ".copy";
    std::remove(copy.c_str());
    pid_t child = fork();
    if (child == 0) {
        InstallFatalSignalHandler(record, "/bin/cp", {"cp", record, copy});
        int language = 0;
        uint32_t back = 0x102030, text = 0xA0B0C0;
        SetFatalLook({&language, &back, &text});
        crash();
        _exit(3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    return ParseFatalRecord(GetFileToString(copy));
}

TEST(FatalSignal, ABadAccessLeavesItsPlaceForAFreshProcess) {
    std::optional<FatalRecord> record = RecordOfChild(WriteThroughNull);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->signal, SIGSEGV);
    // The child was a copy of this process, at the same addresses.
    const ProgramImage image = CurrentProgramImage();
    EXPECT_EQ(record->image.start, image.start);
    EXPECT_EQ(record->image.codeStart, image.codeStart);
    EXPECT_GE(record->address, image.codeStart);
    EXPECT_LT(record->address, image.end);
    EXPECT_EQ(record->languageIndex, 0);
    EXPECT_EQ(record->back, 0x102030u);
    EXPECT_EQ(record->text, 0xA0B0C0u);
}

TEST(FatalSignal, AnAbortIsReportedToo) {
    std::optional<FatalRecord> record = RecordOfChild([] { std::abort(); });
    ASSERT_TRUE(record);
    EXPECT_EQ(record->signal, SIGABRT);
}

TEST(FatalSignal, WithoutAPlaceForTheRecordTheSignalEndsTheProcess) {
    pid_t child = fork();
    if (child == 0) {
        InstallFatalSignalHandler("/nonexistent/folder/record", "/bin/true", {"true"});
        WriteThroughNull();
        _exit(3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV) << status;
}

} // namespace
} // namespace qm

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
