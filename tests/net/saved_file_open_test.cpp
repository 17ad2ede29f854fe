#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "net/saved_file_open.h"

namespace qm {
namespace {

TEST(OpenSavedFile, NavigatesToAnExistingFileAndReportsAMissingOne) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    const std::string path = (dir / "qm_open_saved_file_test.txt").string();
    std::ofstream(path) << "x";
    BrowserState browser;
    OpenSavedFileResult found = OpenSavedFile(path, browser);
    EXPECT_EQ(found.kind, OpenSavedFileResult::Kind::Navigate);
    EXPECT_EQ(found.text, "file://" + path);
    browser.RenderBusy = true;
    EXPECT_EQ(OpenSavedFile(path, browser).kind, OpenSavedFileResult::Kind::Nothing);
    std::filesystem::remove(path);

    browser.RenderBusy = false;
    OpenSavedFileResult missing = OpenSavedFile(path, browser);
    EXPECT_EQ(missing.kind, OpenSavedFileResult::Kind::NotFound);
    EXPECT_EQ(missing.text, "File not found: " + path);
    EXPECT_EQ(OpenSavedFile("", browser).kind, OpenSavedFileResult::Kind::Nothing);
}

TEST(OpenSavedFile, AUtf8FileNameBecomesAnAddressInProgramText) {
    // The field holds the system's UTF-8 name; the address bar holds Windows-1251.
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    const std::string path = (dir / "\xD0\xBF\xD1\x80\xD0\xB8.txt").string();  // "при.txt"
    std::ofstream(path) << "x";
    BrowserState browser;
    OpenSavedFileResult found = OpenSavedFile(path, browser);
    EXPECT_EQ(found.kind, OpenSavedFileResult::Kind::Navigate);
    EXPECT_EQ(found.text, "file://" + dir.string() + "/\xEF\xF0\xE8.txt");
    std::filesystem::remove(path);
    EXPECT_EQ(OpenSavedFile(path, browser).text, "File not found: " + dir.string() + "/\xEF\xF0\xE8.txt");
}

} // namespace
} // namespace qm
