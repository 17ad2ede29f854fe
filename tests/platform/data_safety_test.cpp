// Every file the program writes is written whole or not at all: in a folder that cannot take a
// file, and on a full disk (the file size limit of the process, which stops root too, and a
// tiny tmpfs where one can be mounted), the older file stays as it was and nothing else is left
// behind.

#include <httplib.h>

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "net/bookmarks.h"
#include "net/download_file.h"
#include "net/downloader.h"
#include "platform/curl_transport.h"
#include "script/program_file.h"
#include "state/browser.h"
#include "state/settings_file.h"
#include "support/fake_pump.h"
#include "support/file_size_limit.h"
#include "support/local_server.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

// Far more than the size limit lets through.
const std::string kLarge(64 * 1024, 'L');

struct Writer {
    std::string name;
    std::string fileName; // what it writes into the folder
    // Writes kLarge into the file; returns whether it says the write succeeded.
    std::function<bool(const std::string& folder)> write;
    bool reports = true; // false: the writer has no one to tell
};

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Fills the file system of path with a file until no room is left, then gives back about
// room bytes, so that a larger write fails part-way.
void FillUpTo(const std::string& path, off_t room) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const std::string block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    const off_t size = ::lseek(fd, 0, SEEK_END);
    [[maybe_unused]] const int cut = ::ftruncate(fd, size > room ? size - room : 0);
    ::close(fd);
}

bool MountTinyTmpfs(const fs::path& at) {
    return ::unshare(CLONE_NEWNS) == 0 &&
           ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           ::mount("tmpfs", at.c_str(), "tmpfs", 0, "size=256k") == 0;
}

// Whether a child process may mount a tmpfs of its own.
bool CanMountPrivately() {
    const fs::path at =
        fs::path(::testing::TempDir()) / ("quillmar_probe_" + std::to_string(::getpid()));
    fs::create_directories(at);
    const pid_t child = ::fork();
    if (child == 0) ::_exit(MountTinyTmpfs(at) ? 0 : 1);
    int status = -1;
    ::waitpid(child, &status, 0);
    fs::remove(at);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class DataSafetyTest : public ::testing::Test {
  protected:
    DataSafetyTest() {
        folder_ = fs::path(::testing::TempDir()) /
                  ("quillmar_safety_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        server_->Get("/cookies", [](const httplib::Request&, httplib::Response& r) {
            for (int i = 0; i < 20; ++i) {
                std::string cookie = std::to_string(i);
                cookie.insert(0, 1, 'c').append(1, '=').append(3000, 'v').append("; Max-Age=3600");
                r.set_header("Set-Cookie", cookie);
            }
            r.set_content("ok", "text/plain");
        });
        EXPECT_TRUE(server_.Start());
    }
    ~DataSafetyTest() override { fs::remove_all(folder_); }

    std::vector<Writer> Writers() {
        return {
            {"settings", kSettingsFileName,
             [this](const std::string& folder) {
                 browser_.State().DataFolder = folder;
                 browser_.State().LinkField.Text = kLarge;
                 return SaveQmIni(browser_);
             }},
            {"bookmark", "bro.ini",
             [this](const std::string& folder) {
                 browser_.State().DataFolder = folder;
                 return AppendToBroIni(browser_.State(), kLarge, "http://a/");
             }},
            {"program", "p.qmp",
             [](const std::string& folder) {
                 return SaveProgramFile(folder + "p.qmp", {"GO", kLarge});
             }},
            {"downloaded file", "file.bin",
             [](const std::string& folder) {
                 DownloadFile file;
                 return file.Create(folder + "file.bin") &&
                        file.Write(kLarge.data(), kLarge.size()) && file.Commit();
             }},
            {"cookies", kCookieFileName,
             [this](const std::string& folder) {
                 CurlTransportOptions options;
                 options.cookieFile = folder + kCookieFileName;
                 CurlTransport transport(pump_, options);
                 Downloader downloader(browser_, transport);
                 downloader.StartDownload(server_.Url("/cookies"), DownloadMode::Page);
                 return !browser_.State().LastDownloadFailed;
             },
             false},
        };
    }

    // Writes an older file for each writer, makes the disk full, lets the writer fail, and
    // checks that the older file is whole and alone; then the write goes through with room.
    void ExpectOlderFilesKept(const fs::path& where, const std::function<void()>& fill,
                              const std::function<void()>& makeRoom) {
        const std::string folder = where.string() + "/";
        for (const Writer& w : Writers()) {
            const std::string path = folder + w.fileName;
            const std::string older = "older " + w.name + "\r\n";
            ASSERT_TRUE(WriteFileAtomically(path, older));
            fill();
            const bool wrote = w.write(folder);
            makeRoom();
            if (w.reports) {
                EXPECT_FALSE(wrote) << w.name;
            }
            EXPECT_EQ(GetFileToString(path), older) << w.name;
            EXPECT_EQ(Names(where), std::vector<std::string>{w.fileName}) << w.name;

            EXPECT_TRUE(w.write(folder)) << w.name;
            const char mark = w.name == "cookies" ? 'v' : 'L';
            EXPECT_NE(GetFileToString(path).find(std::string(3000, mark)), std::string::npos)
                << w.name;
            fs::remove(path);
        }
    }

    qm::testing::FakePump pump_;
    Browser browser_{pump_};
    qm::testing::LocalServer server_;
    fs::path folder_;
};

TEST_F(DataSafetyTest, AFolderThatCannotTakeAFileGetsNothingAndIsReported) {
    // Root writes into read-only folders; nothing writes below a regular file.
    const std::string blocker = (folder_ / "blocker").string();
    ASSERT_TRUE(WriteFileAtomically(blocker, "a file, not a folder"));
    for (const Writer& w : Writers()) {
        const bool wrote = w.write(blocker + "/");
        if (w.reports) {
            EXPECT_FALSE(wrote) << w.name;
        }
        EXPECT_EQ(Names(folder_), std::vector<std::string>{"blocker"}) << w.name;
        EXPECT_EQ(GetFileToString(blocker), "a file, not a folder") << w.name;
    }
}

TEST_F(DataSafetyTest, AFullDiskKeepsTheOlderFileWholeAndLeavesNothingElse) {
    std::optional<test::FileSizeLimit> limit;
    ExpectOlderFilesKept(
        folder_, [&limit] { limit.emplace(4096); }, [&limit] { limit.reset(); });
}

// Room runs out on a real file system: a tiny tmpfs, mounted in a mount namespace of a child
// process so that nothing outside sees it. Skipped where the machine allows no mount.
TEST_F(DataSafetyTest, AFullFileSystemKeepsTheOlderFileWholeAndLeavesNothingElse) {
    if (!CanMountPrivately()) GTEST_SKIP() << "no private tmpfs here";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const fs::path root = folder_ / "small";
            fs::create_directories(root);
            if (!MountTinyTmpfs(root)) ::_exit(2);
            fs::create_directories(root / "data");
            const std::string filler = (root / "filler").string();
            ExpectOlderFilesKept(
                root / "data", [&filler] { FillUpTo(filler, 8192); },
                [&filler] { fs::remove(filler); });
            const int failed = HasFailure() ? 1 : 0;
            ::umount(root.c_str());
            fs::remove_all(folder_);
            ::_exit(failed);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace qm

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
