#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "state/browser_state.h"
#include "base/file_io.h"
#include "state/ui_strings.h"
#include "net/bookmarks.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

class BookmarksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qm_bookmarks_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern + "/";
        state_.DataFolder = folder_;
        state_.LanguageIndex = 1;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    void WriteBroIni(const std::string& bytes) {
        std::ofstream(folder_ + "bro.ini", std::ios::binary) << bytes;
    }
    std::string ReadBroIni() const { return GetFileToString(folder_ + "bro.ini"); }
    std::string Head() const {
        return "<html><body>" + UiString(85, 1) + "<br><a href=\"file://" + folder_ +
               "bro.ini\"></a><br><br>Bookmarks<br><br>";
    }

    std::string folder_;
    BrowserState state_;
};

TEST_F(BookmarksTest, FirstUseCreatesTheDefaultFileAndListsItsFourPairs) {
    const std::string page = RefreshBookmarks(state_);
    const std::string expectedFile =
        std::string("Ferngrove Studios\r\n") + kMakerHomePage + "\r\nFerngrove Forum\r\n" +
        kMakerForum + "\r\nTVF fonts for Quillmar\r\n" + kMakerFontsPage +
        "\r\nNewest version of Quillmar (ZIP archive)\r\n" + kLatestVersionArchive + "\r\n";
    EXPECT_EQ(ReadBroIni(), expectedFile);
    const std::string expectedPage =
        Head() + "<a href=\"" + kMakerHomePage + "\">1. Ferngrove Studios</a><br><br>" +
        "<a href=\"" + kMakerForum + "\">2. Ferngrove Forum</a><br><br>" + "<a href=\"" +
        kMakerFontsPage + "\">3. TVF fonts for Quillmar</a><br><br>" + "<a href=\"" +
        kLatestVersionArchive + "\">4. Newest version of Quillmar (ZIP archive)</a><br><br>" +
        "</body></html>";
    EXPECT_EQ(page, expectedPage);
}

TEST_F(BookmarksTest, DefaultTitlesFollowTheLanguageAtCreation) {
    state_.LanguageIndex = 0;
    ASSERT_TRUE(EnsureBroIni(state_));
    EXPECT_EQ(ReadBroIni(), DefaultBroIniContent(0));
    EXPECT_NE(ReadBroIni().find(UiString(192, 0) + "\r\n"), std::string::npos);
    EXPECT_EQ(ReadBroIni().find("Newest version"), std::string::npos);
    // Switching the language later does not rewrite an existing file.
    state_.LanguageIndex = 1;
    EnsureBroIni(state_);
    EXPECT_EQ(ReadBroIni(), DefaultBroIniContent(0));
}

struct ListCase {
    std::string name;
    std::string file;
    std::string entries; // the page between the head and the closing tags
};

TEST_F(BookmarksTest, ListsThePairsOfTheFile) {
    const std::vector<ListCase> cases = {
        {"empty file", "", "Empty<br><br>"},
        {"one pair", "T\r\nhttp://a/\r\n", "<a href=\"http://a/\">1. T</a><br><br>"},
        {"odd line count: last title without address", "T\r\nhttp://a/\r\nU\r\n",
         "<a href=\"http://a/\">1. T</a><br><br><a href=\"\">2. U</a><br><br>"},
        {"no final line break", "T\r\nhttp://a/", "<a href=\"http://a/\">1. T</a><br><br>"},
        {"lines ended by LF", "T\nhttp://a/\nU\nhttp://b/\n",
         "<a href=\"http://a/\">1. T</a><br><br><a href=\"http://b/\">2. U</a><br><br>"},
        {"empty title", "\r\nhttp://a/\r\n", "<a href=\"http://a/\">1. </a><br><br>"},
        {"a blank line is a title", "\r\n", "<a href=\"\">1. </a><br><br>"},
        {"markup in a title shows as text", "<a href=\"http://evil/\">Bank</a> & Co\r\nhttp://a/\r\n",
         "<a href=\"http://a/\">1. &lt;a href=\"http://evil/\"&gt;Bank&lt;/a&gt; &amp; Co</a><br><br>"},
        {"an address cannot leave its attribute", "T\r\nhttp://a/?q=\"><a href=\"http://evil/\r\n",
         "<a href=\"http://a/?q=%22%3E%3Ca href=%22http://evil/\">1. T</a><br><br>"},
    };
    for (const ListCase& c : cases) {
        WriteBroIni(c.file);
        const std::string actual = RefreshBookmarks(state_);
        const std::string expected = Head() + c.entries + "</body></html>";
        EXPECT_EQ(actual, expected) << c.name;
    }
}

TEST_F(BookmarksTest, AFileThatCannotBeCreatedGivesTheNotice) {
    state_.DataFolder = folder_ + "missing/folder/";
    EXPECT_EQ(RefreshBookmarks(state_), "Bookmarks<br><br>Failed access to bookmarks file " +
                                            folder_ + "missing/folder/bro.ini");
    EXPECT_FALSE(AppendToBroIni(state_, "T", "http://a/"));
}

TEST_F(BookmarksTest, AppendCreatesTheDefaultsFirst) {
    ASSERT_TRUE(AppendToBroIni(state_, "Title", "http://a/"));
    EXPECT_EQ(ReadBroIni(), DefaultBroIniContent(1) + "Title\r\nhttp://a/\r\n");
    EXPECT_NE(RefreshBookmarks(state_).find("<a href=\"http://a/\">5. Title</a><br><br></body>"),
              std::string::npos);
}

struct AppendCase {
    std::string name;
    std::string before;
    std::string title;
    std::string address;
    std::string after;
};

TEST_F(BookmarksTest, AppendKeepsThePairsAligned) {
    const std::vector<AppendCase> cases = {
        {"plain", "A\r\nu\r\n", "B", "v", "A\r\nu\r\nB\r\nv\r\n"},
        {"untitled page", "A\r\nu\r\n", "", "v", "A\r\nu\r\n\r\nv\r\n"},
        {"file without final line break", "A\r\nu", "B", "v", "A\r\nu\r\nB\r\nv\r\n"},
        {"file ended by LF", "A\nu\n", "B", "v", "A\nu\nB\r\nv\r\n"},
        {"line breaks in the title", "", "two\r\nlines\n", "v", "two  lines \r\nv\r\n"},
        {"Cyrillic title", "", "\xCA\xEE\xF2", "http://\xEA/", "\xCA\xEE\xF2\r\nhttp://\xEA/\r\n"},
    };
    for (const AppendCase& c : cases) {
        WriteBroIni(c.before);
        EXPECT_TRUE(AppendToBroIni(state_, c.title, c.address)) << c.name;
        EXPECT_EQ(ReadBroIni(), c.after) << c.name;
    }
}

HistoryEntry Entry(int32_t traffic, HistoryKind kind, const std::string& url,
                   const std::string& fileName = {}) {
    return HistoryEntry{traffic, kind, url, fileName};
}

TEST_F(BookmarksTest, HistoryPageIsNewestFirstWithTheTrafficSum) {
    state_.History = {
        Entry(1234, HistoryKind::Page, "http://a/"),
        Entry(2000000, HistoryKind::FileDownload, "http://a/f.zip", "/d/f.zip"),
        Entry(-1, HistoryKind::PagePreview, "http://b/"),
        Entry(-1, HistoryKind::LocalPage, "file:///x.htm", "/x.htm"),
        Entry(5, HistoryKind::Page, "http://c/\"", "<b>Title</b>"),
    };
    state_.HistoryPos = 4;
    EXPECT_EQ(
        BuildHistoryPage(state_),
        "History of browsing and downloading<br>Traffic: 2 001 239 bytes<br>"
        "<br>5. Page (5 bytes)<br><a href=\"http://c/%22\">&lt;b&gt;Title&lt;/b&gt;</a><br>"
        "<br>4. Local page<br><a href=\"file:///x.htm\">/x.htm</a><br>"
        "<br>3. Page preview<br><a href=\"http://b/\"></a><br>"
        "<br>2. File download (2 000 000 bytes)<br><a href=\"http://a/f.zip\">/d/f.zip</a><br>"
        "<br>1. Page (1 234 bytes)<br><a href=\"http://a/\"></a><br>");
}

TEST_F(BookmarksTest, HistoryPageOfAnEmptyHistory) {
    EXPECT_EQ(BuildHistoryPage(state_),
              "History of browsing and downloading<br>Traffic: 0 bytes<br><br>Empty<br>");
    state_.LanguageIndex = 0;
    EXPECT_EQ(BuildHistoryPage(state_), UiString(59, 0) + "<br>" + UiString(66, 0) + "0" +
                                            UiString(0, 0) + "<br><br>" + UiString(65, 0) + "<br>");
}

} // namespace
} // namespace qm
