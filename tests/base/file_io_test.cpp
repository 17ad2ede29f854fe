#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>

#include "state/browser_state.h"
#include "base/file_io.h"
#include "net/bookmarks.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

class FileIoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qm_file_io_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern + "/";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    static mode_t Mode(const std::string& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_mode & 07777;
    }
    std::string folder_;
};

TEST_F(FileIoTest, AReplacedFileKeepsItsModeAndANewOneFollowsTheUmask) {
    const std::string kept = folder_ + "private.html";
    std::ofstream(kept) << "old";
    ::chmod(kept.c_str(), 0600);
    ASSERT_TRUE(WriteFileAtomically(kept, "new"));
    EXPECT_EQ(Mode(kept), 0600u);
    EXPECT_EQ(GetFileToString(kept), "new");

    const mode_t before = ::umask(077);
    const bool wrote = WriteFileAtomically(folder_ + "fresh.html", "x");
    ::umask(before);
    ASSERT_TRUE(wrote);
    EXPECT_EQ(Mode(folder_ + "fresh.html"), 0600u);
}

TEST_F(FileIoTest, SavingOverASymbolicLinkWritesItsTargetAndKeepsTheLink) {
    fs::create_directory(folder_ + "real");
    const std::string target = folder_ + "real/page.html";
    std::ofstream(target) << "old";
    fs::create_symlink(target, folder_ + "link.html");
    ASSERT_TRUE(WriteFileAtomically(folder_ + "link.html", "new"));
    EXPECT_TRUE(fs::is_symlink(folder_ + "link.html"));
    EXPECT_EQ(GetFileToString(target), "new");
}

// A write that stops part-way, as on a full disk: the file size limit of the process.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

  private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST_F(FileIoTest, ABookmarkThatCannotBeWrittenWholeLeavesTheFileAsItWas) {
    BrowserState state;
    state.DataFolder = folder_;
    const std::string path = folder_ + "bro.ini";
    const std::string before = "A\r\nhttp://a/\r\n";
    std::ofstream(path, std::ios::binary) << before;
    {
        FileSizeLimit limit(before.size() + 3);  // room for a part of the title only
        EXPECT_FALSE(AppendToBroIni(state, "Title", "http://b/"));
    }
    EXPECT_EQ(GetFileToString(path), before);
    ASSERT_TRUE(AppendToBroIni(state, "C", "http://c/"));
    EXPECT_EQ(GetFileToString(path), before + "C\r\nhttp://c/\r\n");
}

} // namespace
} // namespace qm
