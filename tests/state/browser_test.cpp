#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "state/browser.h"
#include "state/ui_strings.h"
#include "state/user_guide_texts.h"
#include "base/interfaces.h"
#include "base/codepage.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

// Records the state of the abort flags each time the loop would get to run, which is what a
// running loop can observe.
class CountingPump : public EventPump {
  public:
    explicit CountingPump(const BrowserState* state = nullptr) : state_(state) {}
    void SetState(const BrowserState* state) { state_ = state; }
    void ProcessEvents() override {
        ++calls;
        if (state_) {
            processAbortSeen = state_->ProcessAbort;
            downloadAbortSeen = state_->DownloadAbort;
        }
    }
    int calls = 0;
    bool processAbortSeen = false;
    bool downloadAbortSeen = false;

  private:
    const BrowserState* state_;
};

class FakeView : public BrowserView {
  public:
    void ShowCaption(const std::string& text) override { captions.push_back(text); }
    void ShowStopCaption(const std::string& text) override { stopCaptions.push_back(text); }
    void ApplyWindowSize(const WindowSizeChange& change) override { borders.push_back(change.borderWidth); }
    void FieldChanged(FieldId field) override { fields.push_back(field); }
    void ConvertAgain() override { ++conversions; }
    int conversions = 0;
    std::vector<std::string> captions;
    std::vector<std::string> stopCaptions;
    std::vector<int> borders;
    std::vector<FieldId> fields;
};

class TempDir {
  public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "qm_browser_XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

void WriteFile(const fs::path& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary);
    out << data;
}

std::string JoinGuide(const std::array<std::string_view, kUserGuideLines>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += "<br>";
        text += Utf8ToCp1251(lines[i]);
    }
    return text;
}

std::string ExpectedWelcome(int language, const std::string& version) {
    auto ui = [&](int index) { return UiString(index, language); };
    return ui(165) + version + "!<br><br>" + ui(170) + "<br><br>" + ui(171) + "<br><br>" + ui(166) +
           "<br>" + ui(167) + "<br>" + ui(168) + "<br>" + ui(169) + "<br><br>" +
           JoinGuide(language == 0 ? kUserGuideRussian : kUserGuideEnglish);
}

class BrowserTest : public ::testing::Test {
  protected:
    BrowserTest() : browser(pump) {
        pump.SetState(&browser.State());
        browser.SetView(&view);
    }
    CountingPump pump;
    FakeView view;
    Browser browser;
};

TEST_F(BrowserTest, StartsWithProductNameAndFourPartVersionAsStatus) {
    const std::string& version = browser.State().VersionString;
    EXPECT_EQ(std::count(version.begin(), version.end(), '.'), 3) << version;
    EXPECT_EQ(version.find_first_not_of("0123456789."), std::string::npos) << version;
    EXPECT_EQ(browser.State().StatusText, "Quillmar " + version);
}

TEST_F(BrowserTest, SetStatusShowsTheTextAsCaption) {
    browser.SetStatus("Ready");
    EXPECT_EQ(browser.State().StatusText, "Ready");
    ASSERT_EQ(view.captions.size(), 1u);
    EXPECT_EQ(view.captions[0], "Ready");
}

TEST_F(BrowserTest, ShellFailuresAreWordedInTheCurrentLanguage) {
    struct Case {
        ShellFailure failure;
        std::string subject;
        int language;
        std::string expected; // UTF-8
    };
    const std::vector<Case> cases = {
        {ShellFailure::NoSuchFile, "/tmp/отчёт.txt", 1, "/tmp/отчёт.txt: File not found"},
        {ShellFailure::CannotStart, "/usr/bin/xdg-open", 0,
         "Не удалось запустить /usr/bin/xdg-open"},
        {ShellFailure::NoLauncher, "", 0,
         "xdg-open не найден: на этом рабочем столе нечем открывать файлы"},
        {ShellFailure::NoFileManager, "", 1,
         "No file manager was found (neither the FileManager1 service nor xdg-open)"},
        {ShellFailure::None, "", 1, ""},
    };
    for (const Case& c : cases) {
        browser.SetLanguage(c.language);
        EXPECT_EQ(Cp1251ToUtf8(browser.ShellErrorText({c.failure, c.subject})), c.expected)
            << "failure " << static_cast<int>(c.failure) << ", language " << c.language;
    }
}

TEST_F(BrowserTest, CommandLineWithSpaceInPathOpensTheFileAsFileAddress) {
    TempDir dir;
    ASSERT_FALSE(dir.Path().empty());
    fs::create_directory(fs::path(dir.Path()) / "a b");
    WriteFile(fs::path(dir.Path()) / "a b" / "x.htm", "<p>hi</p>");
    // The shell splits the path at the space into two arguments.
    std::string address = browser.TakeCommandLine({dir.Path() + "/a", "b/x.htm"});
    EXPECT_EQ(address, "file://" + dir.Path() + "/a b/x.htm");
    EXPECT_TRUE(browser.State().OpenArgAtStart);
}

TEST_F(BrowserTest, CommandLineThatIsNoFileIsOpenedAsTyped) {
    TempDir dir;
    struct Case {
        std::vector<std::string> args;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{"example.com"}, "example.com"},
        {{"g", "cats", "and", "dogs"}, "g cats and dogs"},
        {{dir.Path()}, dir.Path()}, // a folder is not a file
        {{dir.Path() + "/missing.htm"}, dir.Path() + "/missing.htm"},
        {{"C:\\a", "b\\x.htm"}, "C:\\a b\\x.htm"},
    };
    for (const auto& c : cases) {
        browser.State().OpenArgAtStart = false;
        EXPECT_EQ(browser.TakeCommandLine(c.args), c.expected) << "joined: " << c.expected;
        EXPECT_TRUE(browser.State().OpenArgAtStart) << c.expected;
    }
}

TEST_F(BrowserTest, NoCommandLineOpensNothing) {
    browser.State().OpenArgAtStart = true;
    EXPECT_EQ(browser.TakeCommandLine({}), "");
    EXPECT_FALSE(browser.State().OpenArgAtStart);
}

TEST_F(BrowserTest, DownloadFolderIsCreatedBesideTheExecutable) {
    TempDir dir;
    std::string exe = dir.Path() + "/";
    browser.InitFolders(exe, dir.Path() + "/data/");
    EXPECT_EQ(browser.State().ExeFolder, exe);
    EXPECT_EQ(browser.State().DataFolder, exe);
    EXPECT_EQ(browser.State().DownloadFolder, exe + "download/");
    EXPECT_TRUE(fs::is_directory(exe + "download"));
    EXPECT_FALSE(fs::exists(dir.Path() + "/data"));

    // A second start reuses the folder and the files in it.
    WriteFile(exe + "download/kept.bin", "x");
    browser.InitFolders(exe, "");
    EXPECT_EQ(browser.State().DownloadFolder, exe + "download/");
    EXPECT_TRUE(fs::exists(exe + "download/kept.bin"));
}

TEST_F(BrowserTest, DownloadFolderFallsBackWhenItCannotBeCreated) {
    TempDir dir;
    std::string exe = dir.Path() + "/";
    // A regular file takes the name; running as root, permissions alone would not stop us.
    WriteFile(exe + "download", "not a folder");
    browser.InitFolders(exe, "");
    EXPECT_EQ(browser.State().DownloadFolder, exe);
    EXPECT_TRUE(fs::is_regular_file(exe + "download"));
}

TEST_F(BrowserTest, MissingExecutableFolderMovesDataToTheUserFolder) {
    TempDir dir;
    std::string exe = dir.Path() + "/gone/";
    std::string dataHome = dir.Path() + "/share/quillmar/";
    browser.InitFolders(exe, dataHome);
    EXPECT_EQ(browser.State().ExeFolder, exe);
    EXPECT_EQ(browser.State().DataFolder, dataHome);
    EXPECT_EQ(browser.State().DownloadFolder, dataHome + "download/");
    EXPECT_TRUE(fs::is_directory(dataHome + "download"));
}

TEST_F(BrowserTest, InstalledCopyKeepsDataInTheUserFolderEvenWhenWritable) {
    TempDir dir;
    std::string exe = dir.Path() + "/lib/quillmar/";
    std::string dataHome = dir.Path() + "/share/quillmar/";
    fs::create_directories(exe);
    WriteFile(exe + kInstalledMarkerFile, "");
    browser.InitFolders(exe, dataHome);
    EXPECT_EQ(browser.State().DataFolder, dataHome);
    EXPECT_EQ(browser.State().DownloadFolder, dataHome + "download/");
    EXPECT_FALSE(fs::exists(exe + "download"));
}

TEST_F(BrowserTest, WelcomePageInBothLanguages) {
    for (int language : {0, 1}) {
        browser.State().LanguageIndex = language;
        browser.State().PageContentType = "text/html";
        browser.BuildWelcomePage();
        const std::string& page = browser.State().PageSource;
        std::string expected = ExpectedWelcome(language, browser.State().VersionString);
        EXPECT_EQ(page, expected) << "language " << language;
        EXPECT_TRUE(page.starts_with(UiString(165, language) + browser.State().VersionString + "!"))
            << "language " << language;
        EXPECT_EQ(page.find('\r'), std::string::npos) << "language " << language;
        EXPECT_EQ(page.find('\n'), std::string::npos) << "language " << language;
        EXPECT_EQ(browser.State().PageContentType, "") << "language " << language;
    }
}

TEST_F(BrowserTest, WelcomePageWithUtf8SwitchDecodesToTheSameText) {
    browser.State().Utf8Decoding = true;
    for (int language : {0, 1}) {
        browser.State().LanguageIndex = language;
        browser.BuildWelcomePage();
        std::string expected = ExpectedWelcome(language, browser.State().VersionString);
        EXPECT_EQ(browser.State().PageSource, Cp1251ToUtf8(expected)) << "language " << language;
        EXPECT_EQ(Utf8ToCp1251(browser.State().PageSource), expected) << "language " << language;
    }
    // The Russian page really is UTF-8: its welcome line starts with the two bytes of "Д".
    browser.State().LanguageIndex = 0;
    browser.BuildWelcomePage();
    EXPECT_TRUE(browser.State().PageSource.starts_with("\xD0\x94"));
}

struct StopCase {
    const char* name;
    bool renderBusy, convertBusy, downloadBusy, processAbort, downloadAbort;
    bool expectProcessAbort, expectDownloadAbort, expectAsked;
};

TEST_F(BrowserTest, StopSetsTheAbortFlagOfWhatIsRunning) {
    const std::vector<StopCase> cases = {
        {"idle", false, false, false, false, false, false, false, false},
        {"render", true, false, false, false, false, true, false, true},
        {"hex conversion", false, true, false, false, false, true, false, true},
        {"render already stopping", true, false, false, true, false, true, false, false},
        {"download", false, false, true, false, false, false, true, true},
        {"download already stopping", false, false, true, false, true, false, true, false},
        {"download and render", true, false, true, false, false, true, true, true},
        {"render stopping, download not", true, false, true, true, false, true, true, true},
    };
    for (const auto& c : cases) {
        BrowserState& s = browser.State();
        s.RenderBusy = c.renderBusy;
        s.ConvertBusy = c.convertBusy;
        s.DownloadBusy = c.downloadBusy;
        s.ProcessAbort = c.processAbort;
        s.DownloadAbort = c.downloadAbort;
        pump.calls = 0;
        pump.processAbortSeen = pump.downloadAbortSeen = false;
        view.stopCaptions.clear();

        browser.Stop();

        EXPECT_EQ(s.ProcessAbort, c.expectProcessAbort) << c.name;
        EXPECT_EQ(s.DownloadAbort, c.expectDownloadAbort) << c.name;
        if (c.expectAsked) {
            EXPECT_EQ(pump.calls, 1) << c.name;
            // The loops get to run only after the flags are set.
            EXPECT_EQ(pump.processAbortSeen, c.expectProcessAbort) << c.name;
            EXPECT_EQ(pump.downloadAbortSeen, c.expectDownloadAbort) << c.name;
            ASSERT_EQ(view.stopCaptions.size(), 1u) << c.name;
            EXPECT_EQ(view.stopCaptions[0], "Stop...") << c.name;
        } else {
            EXPECT_EQ(pump.calls, 0) << c.name;
            EXPECT_TRUE(view.stopCaptions.empty()) << c.name;
        }
        // Stop only asks; the busy flags belong to the loops.
        EXPECT_EQ(s.RenderBusy, c.renderBusy) << c.name;
        EXPECT_EQ(s.DownloadBusy, c.downloadBusy) << c.name;
    }
}

TEST_F(BrowserTest, StopCaptionFollowsTheLanguage) {
    browser.State().LanguageIndex = 0;
    browser.State().DownloadBusy = true;
    browser.Stop();
    browser.RestoreStopCaption();
    ASSERT_EQ(view.stopCaptions.size(), 2u);
    EXPECT_EQ(view.stopCaptions[0], UiString(58, 0));
    EXPECT_EQ(Cp1251ToUtf8(view.stopCaptions[1]), "Стоп (F5)");
}

TEST_F(BrowserTest, StopWithoutAWindowStillSetsTheFlags) {
    browser.SetView(nullptr);
    browser.State().RenderBusy = true;
    browser.Stop();
    EXPECT_TRUE(browser.State().ProcessAbort);
    EXPECT_EQ(pump.calls, 1);
}

TEST_F(BrowserTest, LanguageListIndexIsClampedToRussianOrEnglish) {
    const std::vector<std::pair<int, int>> cases = {{-1, 0}, {0, 0}, {1, 1}, {2, 1}, {99, 1}};
    for (auto [item, expected] : cases) {
        browser.SetLanguage(item);
        EXPECT_EQ(browser.State().LanguageIndex, expected) << "item " << item;
    }
}

TEST(BrowserLanguage, OnlyARussianSystemLocaleStartsInRussian) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"ru_RU.UTF-8", 0}, {"ru_RU", 0}, {"ru-RU", 0}, {"ru", 0},    {"ru_UA.KOI8-U", 0},
        {"en_US.UTF-8", 1}, {"uk_UA", 1}, {"C", 1},     {"POSIX", 1}, {"", 1},
        {"be_BY", 1},
    };
    for (const auto& [locale, expected] : cases) {
        EXPECT_EQ(Browser::LanguageFromLocale(locale), expected) << "locale \"" << locale << "\"";
    }
}

TEST_F(BrowserTest, TrafficSaverLabelNamesTheMode) {
    const std::vector<std::pair<int, std::string>> cases = {
        {-1, "Traffic saver (F9): off"},
        {0, "Traffic saver (F9): downloads"},
        {1, "Traffic saver (F9): full"},
    };
    for (const auto& [mode, expected] : cases) {
        browser.State().TrafficSaverMode = mode;
        EXPECT_EQ(browser.TrafficSaverLabelText(), expected) << "mode " << mode;
    }
}

} // namespace
} // namespace qm

namespace qm {
namespace {

TEST_F(BrowserTest, WindowCommandsChangeTheStateAndTellTheWindow) {
    const BrowserState& s = browser.State();
    const WindowSize sizes[] = {WindowSize::Screen, WindowSize::FullScreen, WindowSize::Window};
    for (WindowSize expected : sizes) {
        browser.CycleWindowSize();
        EXPECT_EQ(s.WindowSizeState, expected);
    }
    EXPECT_EQ(view.borders, (std::vector<int>{0, 6, 0}));  // only full screen has a border
    browser.SwitchViewMode();
    EXPECT_TRUE(s.ViewModeOn);
    browser.SwitchScrollBar();
    EXPECT_FALSE(s.ShowScrollBar);
    browser.SetField(FieldId::Search, "text");
    EXPECT_EQ(s.SearchField.SelectionStart, 4u);
    EXPECT_EQ(view.fields, std::vector<FieldId>{FieldId::Search});
    browser.GetClipboard().SetText("\xC0");
    EXPECT_EQ(browser.GetClipboard().Text(), "\xC0");
}

TEST_F(BrowserTest, FontChangesConvertTheHexViewAgain) {
    const std::function<void()> changes[] = {
        [&] { browser.LoadBitmapFont("INT:DOS8X16", FontLoadRequest::NotAsked); },
        [&] { browser.SwitchDosEncoding(); },
        [&] { browser.ChooseTheme(8, [](const std::string&) { return std::string(); }); },
        [&] { browser.UnloadBitmapFont(); },
    };
    for (ViewMode mode : {ViewMode::Html, ViewMode::Text, ViewMode::Hex}) {
        browser.View().ViewMode = mode;
        view.conversions = 0;
        for (const auto& change : changes) change();
        EXPECT_EQ(mode == ViewMode::Hex ? 4 : 0, view.conversions) << static_cast<int>(mode);
    }
}

} // namespace
} // namespace qm
