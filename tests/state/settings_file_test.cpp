#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include "state/appearance.h"
#include "state/browser.h"
#include "base/file_io.h"
#include "state/settings_file.h"
#include "state/themes.h"
#include "support/fake_pump.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

// Every font is installed, under its own name.
std::string AnyFont(const std::string& name) { return name; }

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

std::string Text(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

class SettingsFileTest : public ::testing::Test {
  protected:
    testing::FakePump pump;
    Browser browser{pump};
    Browser fresh{pump};
};

TEST_F(SettingsFileTest, AllLinesSurviveARoundTrip) {
    BrowserState& s = browser.State();
    browser.SetLanguage(0);
    s.AddressField.Text = "http://a/\r\n";  // a line break written moves no later line
    s.LinkField.Text = "b.png";
    s.FileField.Text = "/tmp/c d.txt";
    browser.Downloads() = DownloadOptions{20, false, false, false, "Agent/\n1"};
    s.Utf8Decoding = true;
    s.TrafficSaverMode = 1;
    ApplyTheme(browser, 9, AnyFont);  // MonoDOS2: DOS encoding and the OEM character set
    s.UserAgentPreset = 3;
    ApplyDisplayPreset(browser, DisplayPreset::All);
    browser.Options().Colors[static_cast<size_t>(ColorRole::Meta)] = 0x123456;
    browser.Options().Bold[static_cast<size_t>(ColorRole::Forms)] = true;
    browser.Options().Gaps = false;
    browser.View().PixelZoom = 3;
    browser.View().FontSize = 27;
    s.QuickLaunch[0] = "first.qmp";
    s.QuickLaunch[9] = "la\rst.qmp";
    s.ShowScrollBar = false;
    s.RipFolder = "/home/u/rips";
    s.RipKinds = "link";
    s.RipExtensions = "pdf";
    s.FollowPageCharset = true;
    browser.Options().HiddenAddresses = true;
    const std::string text = SettingsText(browser);
    ASSERT_EQ(LinesOf(text).size(), 73u);
    ApplySettingsText(fresh, text, AnyFont);
    EXPECT_EQ(SettingsText(fresh), text);
    // A file of before the rip's choices keeps their defaults.
    Browser older(pump);
    ApplySettingsText(older, text.substr(0, text.find("/home/u/rips")), AnyFont);
    EXPECT_EQ(older.State().RipKinds, "media,linked");
    EXPECT_EQ(older.State().RipFolder, "");
    EXPECT_FALSE(older.State().FollowPageCharset);
    EXPECT_FALSE(older.Options().HiddenAddresses);
    EXPECT_EQ(fresh.Downloads().userAgent, "Agent/ 1");  // the text overrides its preset's
    EXPECT_TRUE(fresh.Fonts().DosEncoding);
}

TEST_F(SettingsFileTest, ReadingStopsAtABadIntegerLineButTheFontSizeStillApplies) {
    std::vector<std::string> lines = LinesOf(SettingsText(browser));
    lines[0] = "1 ";          // only exactly "1" means English
    lines[2] = "li\rnk";      // a lone CR read is a space
    lines[5] = "14";          // font size
    lines[7] = "500";         // download limit
    lines[15] = "MonoWin";
    lines[23] = "not a colour";  // line 24, link colour: the rest keeps its values
    lines[24] = "0";          // show links, after the stop
    ApplySettingsText(fresh, Text(lines), AnyFont);
    EXPECT_EQ(fresh.State().LanguageIndex, 0);
    EXPECT_EQ(fresh.State().LinkField.Text, "li nk");
    EXPECT_EQ(fresh.Downloads().blockLimit, 500);
    EXPECT_EQ(fresh.State().ThemeIndex, 5);
    EXPECT_TRUE(fresh.Options().Links);
    EXPECT_EQ(fresh.View().FontSize, 14);

    Browser nine{pump};
    lines.resize(9);  // line 10 reads empty, which is no integer
    ApplySettingsText(nine, Text(lines), AnyFont);
    EXPECT_EQ(nine.Downloads().blockLimit, 500);
    EXPECT_EQ(nine.State().ThemeIndex, 0);
    EXPECT_EQ(nine.View().FontSize, 14);
}

TEST_F(SettingsFileTest, ShortFilesAndUnknownValuesKeepTheDefaults) {
    std::vector<std::string> lines = LinesOf(SettingsText(browser));
    lines[4] = "No Such Font";
    lines[9] = "7";     // no traffic saver mode has that number
    lines[13] = "None";  // no such User-Agent preset
    lines[53] = "25";    // zoom beyond the list
    lines.resize(55);    // an older file: gaps and the scroll bar come up on
    fresh.Options().Gaps = false;
    fresh.State().ShowScrollBar = false;
    ApplySettingsText(fresh, Text(lines), [](const std::string& name) {
        return name == "No Such Font" ? std::string() : name;
    });
    EXPECT_EQ(fresh.Options().FontName, "Verdana");  // the saved theme's font stays
    EXPECT_EQ(fresh.State().TrafficSaverMode, -1);
    EXPECT_EQ(fresh.State().UserAgentPreset, 0);
    EXPECT_EQ(fresh.View().PixelZoom, 1);
    EXPECT_TRUE(fresh.Options().Gaps);
    EXPECT_TRUE(fresh.State().ShowScrollBar);
}

// The file size limit of the process makes the write stop part-way, as on a full disk.
TEST_F(SettingsFileTest, AMissingFileKeepsTheDefaultsAndAFailedSaveKeepsTheOldFile) {
    const fs::path folder = fs::temp_directory_path() / ("qm_settings_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    browser.State().DataFolder = folder.string() + "/";
    LoadQmIni(browser, AnyFont);
    EXPECT_EQ(SettingsText(browser), SettingsText(fresh));

    ASSERT_TRUE(SaveQmIni(browser));
    const std::string old = GetFileToString(browser.State().DataFolder + kSettingsFileName);
    browser.State().LinkField.Text = std::string(4000, 'x');
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = 1000;
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const bool saved_ok = SaveQmIni(browser);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(GetFileToString(browser.State().DataFolder + kSettingsFileName), old);
    fs::remove_all(folder);
}

TEST_F(SettingsFileTest, ThemesAndPresets) {
    for (int i = 0; i < kThemeCount; ++i) ApplyTheme(browser, (browser.State().ThemeIndex + 1) % kThemeCount, AnyFont);
    EXPECT_EQ(browser.State().ThemeIndex, 0);  // eleven steps come back

    ApplyTheme(browser, 8, AnyFont);  // MonoDOS
    EXPECT_TRUE(browser.Fonts().DosEncoding);
    EXPECT_EQ(kCharsetNames[static_cast<size_t>(CharsetIndex(browser.Options().Charset))].name, "OEM_CHARSET");
    EXPECT_EQ(browser.Options().FontName, "Courier New");
    ApplyTheme(browser, 5, AnyFont);  // MonoWin
    EXPECT_FALSE(browser.Fonts().DosEncoding);
    EXPECT_EQ(kCharsetNames[static_cast<size_t>(CharsetIndex(browser.Options().Charset))].name, "DEFAULT_CHARSET");

    ASSERT_TRUE(LoadTVFfont(browser.Fonts(), "INT:DOS8X16", FontLoadRequest::NotAsked).loaded);
    browser.View().FontSize = 5;
    ApplyTheme(browser, 2, AnyFont);  // TNR, size 14: a bitmap font keeps the size list
    EXPECT_EQ(browser.View().FontSize, 5);

    const ViewOptions defaults;
    ApplyDisplayPreset(browser, DisplayPreset::All);
    EXPECT_TRUE(browser.Options().MetaCode && browser.Options().TopBorders && browser.Options().ShowText);
    ApplyDisplayPreset(browser, DisplayPreset::None);
    EXPECT_FALSE(browser.Options().ShowText || browser.Options().Forms || browser.Options().Anchors);
    ApplyDisplayPreset(browser, DisplayPreset::Default);
    browser.Options().Highlight = defaults.Highlight;
    EXPECT_EQ(browser.Options().Forms, defaults.Forms);
    EXPECT_EQ(browser.Options().Comments, defaults.Comments);
    EXPECT_EQ(browser.Options().Borders, defaults.Borders);
}

TEST(InstalledStandIn, AFontThatIsNotInstalledIsNotReplacedByAnother) {
    const std::vector<std::string> families = {"DejaVu Sans", "Liberation Mono", "Tahoma"};
    const std::pair<const char*, const char*> cases[] = {
        {"Tahoma", "Tahoma"},
        {"Courier New", "Liberation Mono"}, // the metric twin stands in
        {"Times New Roman", ""},            // its twin is not installed either
        {"NoSuchFont", ""},
        {"", ""},
    };
    for (auto [name, expected] : cases) EXPECT_EQ(expected, InstalledStandIn(name, families)) << name;
}

} // namespace
} // namespace qm
