#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/fake_pump.h"
#include "support/table_transport.h"
#include "state/browser.h"
#include "state/ui_strings.h"
#include "net/bookmarks.h"
#include "net/downloader.h"
#include "net/go_action.h"
#include "base/interfaces.h"
#include "base/codepage.h"
#include "view/view_dump.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

using NullPump = qm::testing::FakePump;

class CaptionLog : public BrowserView {
  public:
    void ShowCaption(const std::string& text) override { captions.push_back(text); }
    void ShowStopCaption(const std::string&) override {}
    std::vector<std::string> captions;
};

class RecordingHost : public GoActionHost {
  public:
    void PageReady() override { ++pagesReady; }
    void ResetViewScroll() override { ++scrollResets; }
    void ShowAddress(const AddressBar& bar) override { addresses.push_back(bar.Text); }
    void ShowSizeLabel(const std::string& text) override { sizeLabel = text; }
    void ShowHistoryButtons(const HistoryButtons& b) override { buttons = b; }

    int pagesReady = 0;
    int scrollResets = 0;
    std::vector<std::string> addresses;
    std::string sizeLabel;
    HistoryButtons buttons;
};

using FakeTransport = testing::TableTransport;

class FakeDialogs : public Dialogs {
  public:
    std::string AskOpenFile(const std::string& t, const std::string& f) override {
        title = t;
        filter = f;
        return answer;
    }
    std::string AskSaveFile(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    bool AskColour(uint32_t&) override { return false; }
    std::string answer, title, filter;
};

class GoActionTest : public ::testing::Test {
  protected:
    GoActionTest()
        : browser_(pump_), downloader_(browser_, transport_), go_(browser_, host_, downloader_) {
        browser_.SetView(&captions_);
        State().LanguageIndex = 1;
    }
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qm_go_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern + "/";
        State().DataFolder = folder_;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    BrowserState& State() { return browser_.State(); }
    void Type(const std::string& text) { go_.Address().Text = text; }
    void Enter(const std::string& text, CtrlKey ctrl = CtrlKey::Up) {
        Type(text);
        go_.EnterPressed(ctrl);
    }
    std::string WriteFile(const std::string& name, const std::string& bytes) {
        std::ofstream(folder_ + name, std::ios::binary) << bytes;
        return folder_ + name;
    }

    NullPump pump_;
    CaptionLog captions_;
    Browser browser_;
    RecordingHost host_;
    FakeTransport transport_;
    Downloader downloader_;
    GoAction go_;
    std::string folder_;
};

struct RequestCase {
    std::string typed;
    std::string requested; // empty: nothing is fetched
};

TEST_F(GoActionTest, TypedTextBecomesTheRequestedAddress) {
    const std::vector<RequestCase> cases = {
        {"g cats and dogs", "http://www.google.com/search?q=cats%20and%20dogs"},
        {"  G  x ", "http://www.google.com/search?q=%20x"},
        {"ya \xEA\xEE\xF2", "http://yandex.ru/search/?text=%D0%BA%D0%BE%D1%82"},
        {"Y a-b.c_d~", "http://search.yahoo.com/search?p=a-b.c_d%7E"},
        {"a q", "http://search.aol.com/aol/search?q=q"},
        {"ba q", "http://www.baidu.com/s?wd=q"},
        {"b q&r", "http://www.bing.com/search?q=q%26r"},
        {"d q", "http://duckduckgo.com/lite?kg=g&q=q"},
        {"ru http://site/a?b=1",
         "https://translate.google.com/translate?sl=auto&tl=ru&u=http%3A%2F%2Fsite%2Fa%3Fb%3D1"},
        {"EN site", "https://translate.google.com/translate?sl=auto&tl=en&u=site"},
        {"g C:\\dir", "http://www.google.com/search?q=C%3A%5Cdir"},
        {"intranet", "http://intranet"},
        {"yahoo", "http://yahoo"},
        {"g", "http://g"},
        {"g ", "http://g"},
        {"example.com/a b", "http://example.com/a b"},
        {"HTTPS://HOST/", "HTTPS://HOST/"},
        {" \thttp://host/p#frag\r\n", "http://host/p#frag"},
        {"http://x", "http://x"},
        {"https://x", "https://x"},
        {"http://", ""},
        {"https://", ""},
        {"ftp://host/x", ""},
        {"", ""},
        {"   ", ""},
    };
    for (const RequestCase& c : cases) {
        transport_.requests.clear();
        State().LastRequestURL.clear();
        Type(c.typed);
        go_.BitBtn1Click();
        SCOPED_TRACE("typed: [" + c.typed + "]");
        EXPECT_EQ(State().LastRequestURL, c.requested);
        EXPECT_EQ(transport_.requests.size(), c.requested.empty() ? 0u : 1u);
    }
}

TEST_F(GoActionTest, APageDownloadIsShownWithItsSizeAndFinalAddress) {
    transport_.answers["host /a"] = {301, {{"Location", "/a/"}}, ""};
    transport_.answers["host /a/"] = {200, {}, std::string(1500, 'x')};
    State().RequestReport = "old report";
    Enter("host/a");
    EXPECT_EQ(State().CurrentURL, "http://host/a/");
    EXPECT_EQ(go_.Address().Text, "http://host/a/");
    EXPECT_EQ(go_.Address().SelectionStart, go_.Address().Text.size());
    EXPECT_EQ(State().RequestReport,
              "URL: http://host/a<br>Code 301<br>Relocating to http://host/a/<br>Code 200<br>");
    EXPECT_EQ(host_.sizeLabel, "1 500 bytes");
    EXPECT_EQ(host_.pagesReady, 1);
    EXPECT_EQ(captions_.captions.front(), "Connecting...");
}

TEST_F(GoActionTest, UnfetchedAddressesRenderNothingAndKeepConnecting) {
    for (const char* typed : {"http://", "ftp://host/x"}) {
        captions_.captions.clear();
        Enter(typed);
        EXPECT_EQ(host_.pagesReady, 0) << typed;
        EXPECT_EQ(State().StatusText, "Connecting...") << typed;
        EXPECT_EQ(State().CurrentURL, typed);
    }
}

TEST_F(GoActionTest, AnErrorInsideTheDownloadRendersNothing) {
    transport_.fail = true;
    Enter("http://host/");
    EXPECT_EQ(transport_.requests.size(), 1u);
    EXPECT_EQ(host_.pagesReady, 0);
    EXPECT_FALSE(State().DownloadBusy);
}

TEST_F(GoActionTest, NothingStartsWhileADownloadIsRunning) {
    State().DownloadBusy = true;
    State().RequestReport = "URL: http://slow/<br>";
    State().PageSource = "partial";
    for (const char* typed : {"http://other/", "about:history", "about:blank"}) {
        Enter(typed);
        EXPECT_EQ(State().PageSource, "partial") << typed;
    }
    EXPECT_TRUE(transport_.requests.empty());
    EXPECT_EQ(State().RequestReport, "URL: http://slow/<br>");
    EXPECT_EQ(host_.pagesReady, 0);
}

struct EnterCase {
    CtrlKey ctrl;
    int32_t saver;
    DownloadMode expected;
};

TEST_F(GoActionTest, EnterFollowsCtrlAndTheTrafficSaver) {
    const std::vector<EnterCase> cases = {
        {CtrlKey::Up, -1, DownloadMode::Page},       {CtrlKey::Held, -1, DownloadMode::PagePreview},
        {CtrlKey::Up, 0, DownloadMode::Page},        {CtrlKey::Held, 0, DownloadMode::PagePreview},
        {CtrlKey::Up, 1, DownloadMode::PagePreview}, {CtrlKey::Held, 1, DownloadMode::Page},
    };
    for (const EnterCase& c : cases) {
        State().TrafficSaverMode = c.saver;
        Enter("http://h/", c.ctrl);
        ASSERT_FALSE(State().History.empty());
        EXPECT_EQ(State().History.back().Kind, static_cast<HistoryKind>(c.expected))
            << "ctrl " << (c.ctrl == CtrlKey::Held) << " saver " << c.saver;
    }
    Type("http://t/");
    go_.BitBtn2Click();
    EXPECT_EQ(State().History.back().Kind, HistoryKind::PagePreview);
    EXPECT_NE(State().RequestReport.find("First 1024 bytes:"), std::string::npos);
}

TEST_F(GoActionTest, AboutWordsInAnyCaseShowTheBuiltInPages) {
    State().History.push_back({5, HistoryKind::Page, "http://a/", ""});
    State().HistoryPos = 0;
    State().CurrentURL = "http://a/";
    State().BaseURL = "http://a/";
    State().PageContentType = "text/html";

    Enter(" about:History ");
    EXPECT_EQ(State().PageSource, BuildHistoryPage(State()));
    EXPECT_EQ(State().PageContentType, "");
    EXPECT_EQ(State().StatusText, "Ready");
    EXPECT_EQ(host_.pagesReady, 1);

    Enter("ABOUT:BOOKMARKS");
    EXPECT_EQ(State().PageSource, RefreshBookmarks(State()));
    EXPECT_TRUE(fs::exists(folder_ + "bro.ini"));
    EXPECT_EQ(host_.pagesReady, 2);

    State().DecodedSource = "old";
    Enter("\tAbout:Blank  ");
    EXPECT_EQ(State().PageSource, "");
    EXPECT_EQ(State().DecodedSource, "");
    EXPECT_EQ(host_.pagesReady, 3);

    // The built-in pages leave the page address alone, and fetch nothing.
    EXPECT_EQ(State().BaseURL, "http://a/");
    EXPECT_TRUE(transport_.requests.empty());
}

TEST_F(GoActionTest, GeneratedPagesAreUtf8InUtf8Mode) {
    State().LanguageIndex = 0;
    State().Utf8Decoding = true;
    Enter("about:history");
    EXPECT_EQ(State().PageSource, Cp1251ToUtf8(BuildHistoryPage(State())));
    EXPECT_NE(State().PageSource, BuildHistoryPage(State()));
}

TEST_F(GoActionTest, AnExistingLocalFileOpensAsALocalPage) {
    const std::string path = WriteFile("page.htm", "<b>local</b>");
    for (const std::string& typed : {path, "file://" + path}) {
        State().History.clear();
        State().HistoryPos = -1;
        Enter("  " + typed + " ");
        SCOPED_TRACE(typed);
        EXPECT_EQ(go_.Address().Text, typed[0] == '/' ? "file://" + path : "  " + typed + " ");
        EXPECT_EQ(State().CurrentURL, "file://" + path);
        EXPECT_EQ(State().BaseURL, "file://" + path);
        EXPECT_EQ(State().PageSource, "<b>local</b>");
        EXPECT_EQ(State().PageTitle, path);
        EXPECT_EQ(State().StatusText, "Ready");
        EXPECT_EQ(browser_.State().FileField.Text, path);
        EXPECT_EQ(host_.sizeLabel, "12 bytes");
        ASSERT_EQ(State().History.size(), 1u);
        EXPECT_EQ(State().History[0].Kind, HistoryKind::LocalPage);
        EXPECT_EQ(State().History[0].URL, "file://" + path);
        EXPECT_EQ(State().History[0].FileName, path);
        EXPECT_EQ(State().History[0].Traffic, -1);
        EXPECT_EQ(host_.buttons.CounterText, "1/1");
    }
    EXPECT_EQ(host_.pagesReady, 2);
    EXPECT_TRUE(transport_.requests.empty());
}

TEST_F(GoActionTest, ALocalPageWithoutATitleOfItsOwnKeepsItsPathAsTitle) {
    struct Case {
        std::string typed;    // a file name in the test folder, or an address
        std::string expected; // PageTitle after the render; "path" stands for the file's path
    };
    WriteFile("plain.htm", "<p>no title</p>");
    WriteFile("titled.htm", "<title>Own</title><p>x</p>");
    const std::vector<Case> cases = {
        {"plain.htm", "path"},
        {"titled.htm", "Own"},
        {"plain.htm", "path"},
        // A generated page is no local file, whatever was shown before it.
        {"about:blank", ""},
    };
    for (const Case& c : cases) {
        const bool file = c.typed.find(':') == std::string::npos;
        Enter(file ? folder_ + c.typed : c.typed);
        const std::string expected = c.expected == "path" ? folder_ + c.typed : c.expected;
        for (int render = 0; render < 2; ++render) { // the page, then a render of it again
            LayoutViewLines(State(), ViewOptions{}, 80);
            EXPECT_EQ(State().PageTitle, expected) << c.typed << ", render " << render;
        }
    }
    Enter(folder_ + "plain.htm");
    LayoutViewLines(State(), ViewOptions{}, 80);
    go_.AddToBookmarks();
    EXPECT_NE(State().PageSource.find(">5. " + folder_ + "plain.htm</a>"), std::string::npos)
        << State().PageSource;
}

TEST_F(GoActionTest, AMissingLocalFileSaysSoAndRendersNothing) {
    State().PageSource = "old page";
    Enter(folder_ + "none.htm");
    EXPECT_EQ(State().StatusText, folder_ + "none.htm: File not found");
    EXPECT_EQ(State().PageSource, "");
    EXPECT_EQ(host_.pagesReady, 0);
    EXPECT_TRUE(State().History.empty());

    // A Windows path is a local path too; here it names no file.
    Enter("C:\\site\\index.htm");
    EXPECT_EQ(go_.Address().Text, "file://C:/site/index.htm");
    EXPECT_EQ(State().CurrentURL, "file://C:/site/index.htm");
    EXPECT_EQ(State().StatusText, "C:/site/index.htm: File not found");

    // A folder is not a page.
    Enter("file://" + folder_);
    EXPECT_EQ(State().StatusText, folder_ + ": File not found");
    EXPECT_EQ(host_.pagesReady, 0);
}

TEST_F(GoActionTest, HistorySwitchOffRecordsNothing) {
    go_.ToggleRecordHistory();
    EXPECT_EQ(go_.RecordHistory(), HistoryRecording::Off);
    Enter(WriteFile("a.htm", "a"));
    Enter("http://h/");
    EXPECT_TRUE(State().History.empty());
    Enter("about:history");
    EXPECT_NE(State().PageSource.find("<br>Empty<br>"), std::string::npos);
}

TEST_F(GoActionTest, CtrlOOpensTheChosenFile) {
    FakeDialogs dialogs;
    const std::string path = WriteFile("chosen.htm", "chosen");
    dialogs.answer = path;
    go_.OpenFile(dialogs);
    EXPECT_EQ(dialogs.title, "Open webpage/file");
    EXPECT_EQ(dialogs.filter, "All files (*.*)|*.*");
    EXPECT_EQ(go_.Address().Text, "file://" + path);
    EXPECT_EQ(State().PageSource, "chosen");
    EXPECT_EQ(host_.pagesReady, 1);

    dialogs.answer.clear();
    go_.OpenFile(dialogs);
    EXPECT_EQ(host_.pagesReady, 1);
    EXPECT_EQ(go_.Address().Text, "file://" + path);
}

TEST_F(GoActionTest, BackSkipsDownloadsAndEnterThenCutsTheHistory) {
    Enter("http://a/");
    State().History.push_back({10, HistoryKind::FileDownload, "http://a/f.zip", "/tmp/f.zip"});
    State().HistoryPos = 1;
    Enter("http://b/");
    ASSERT_EQ(State().History.size(), 3u);

    go_.StepBack();
    EXPECT_EQ(go_.Address().Text, "http://a/");
    EXPECT_EQ(host_.buttons, (HistoryButtons{"1/2", false, true}));
    EXPECT_EQ(transport_.requests.size(), 2u); // stepping does not load

    go_.StepBack();
    EXPECT_EQ(State().HistoryPos, 0);

    go_.StepForward();
    EXPECT_EQ(go_.Address().Text, "http://b/");
    go_.StepBack();

    go_.EnterPressed(CtrlKey::Up);
    ASSERT_EQ(State().History.size(), 2u);
    EXPECT_EQ(State().History[1].URL, "http://a/");
    go_.RepaintHistButtons();
    EXPECT_EQ(host_.buttons, (HistoryButtons{"2/2", true, false}));

    go_.EmptyHistory();
    EXPECT_TRUE(State().History.empty());
    EXPECT_EQ(host_.buttons, HistoryButtons{});
}

TEST_F(GoActionTest, AddToBookmarksStoresTheCurrentPage) {
    Enter("http://site/");
    State().PageTitle = "Site";
    go_.AddToBookmarks();
    EXPECT_EQ(go_.Address().Text, "about:bookmarks");
    EXPECT_NE(State().PageSource.find("<a href=\"http://site/\">5. Site</a><br><br></body>"),
              std::string::npos);
    // The bookmarks page does not change the current page, so adding again adds the same.
    go_.AddToBookmarks();
    EXPECT_NE(State().PageSource.find("<a href=\"http://site/\">6. Site</a>"), std::string::npos);
}

TEST_F(GoActionTest, SearchMenuTypesThePrefixes) {
    Type("cats");
    go_.PutSearchPrefix(SearchService::Yandex);
    EXPECT_EQ(go_.Address().Text, "ya ");
    EXPECT_EQ(go_.Address().SelectionStart, 3u);
    go_.PutSearchPrefix(SearchService::Baidu);
    EXPECT_EQ(go_.Address().Text, "ba ");
    Type("http://site/");
    go_.Address().SelectionStart = 2;
    go_.Address().SelectionLength = 4;
    go_.PutTranslatePrefix(TranslateTo::Russian);
    EXPECT_EQ(go_.Address().Text, "ru http://site/");
    EXPECT_EQ(go_.Address().SelectionStart, go_.Address().Text.size());
    EXPECT_EQ(go_.Address().SelectionLength, 0u);
    EXPECT_EQ(host_.addresses.back(), "ru http://site/");
}

} // namespace
} // namespace qm
