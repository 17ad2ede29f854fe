#include "state/appearance.h"

#include <algorithm>

#include "state/browser.h"
#include "state/themes.h"
#include "state/user_agents.h"

namespace qm {
namespace {

constexpr int32_t kDefaultCharset = 1;
constexpr int32_t kOemCharset = 255;

int32_t SmallNumber(std::string_view text) {
    int32_t value = 0;
    for (char c : text) value = value * 10 + (c - '0');
    return value;
}

struct MetricTwin {
    std::string_view windowsName, twin;
};
constexpr MetricTwin kMetricTwins[] = {{"Arial", "Liberation Sans"},
                                       {"Arial Narrow", "Liberation Sans Narrow"},
                                       {"Times New Roman", "Liberation Serif"},
                                       {"Courier New", "Liberation Mono"}};

} // namespace

std::string InstalledStandIn(const std::string& name, const std::vector<std::string>& families) {
    const auto installed = [&](std::string_view family) {
        return std::find(families.begin(), families.end(), family) != families.end();
    };
    if (installed(name)) return name;
    for (const MetricTwin& t : kMetricTwins)
        if (t.windowsName == name && installed(t.twin)) return std::string(t.twin);
    return {};
}

const std::array<CharsetName, 18> kCharsetNames = {{
    {"ANSI_CHARSET", 0},        {"ARABIC_CHARSET", 178},   {"BALTIC_CHARSET", 186},
    {"CHINESEBIG5_CHARSET", 136}, {"DEFAULT_CHARSET", 1},  {"EASTEUROPE_CHARSET", 238},
    {"GB2312_CHARSET", 134},    {"GREEK_CHARSET", 161},    {"HANGEUL_CHARSET", 129},
    {"HEBREW_CHARSET", 177},    {"JOHAB_CHARSET", 130},    {"MAC_CHARSET", 77},
    {"OEM_CHARSET", kOemCharset}, {"RUSSIAN_CHARSET", 204}, {"SHIFTJIS_CHARSET", 128},
    {"SYMBOL_CHARSET", 2},      {"THAI_CHARSET", 222},     {"TURKISH_CHARSET", 162},
}};

int CharsetIndex(int32_t number) {
    for (size_t i = 0; i < kCharsetNames.size(); ++i)
        if (kCharsetNames[i].number == number) return static_cast<int>(i);
    return CharsetIndex(kDefaultCharset);
}

const std::array<std::string_view, 11> kDownloadLimits = {"0",  "1",   "2",   "5",   "10",  "20",
                                                          "50", "100", "200", "500", "1000"};

bool IsFontSizeItem(int32_t size) {
    return (size >= 1 && size <= 28) || size == 36 || size == 48 || size == 72;
}

void ApplyTheme(Browser& browser, int index, const FontLookup& installedFont) {
    if (index < 0 || index >= kThemeCount) return;
    const Theme& theme = kThemes[static_cast<size_t>(index)];
    ViewOptions& options = browser.Options();
    BitmapFontState& fonts = browser.Fonts();
    browser.State().ThemeIndex = index;
    // The theme lists Text before Back; the options keep the swatch order, Back first.
    const ColorRole roles[] = {ColorRole::Text,     ColorRole::Back,    ColorRole::Links,
                               ColorRole::Media,    ColorRole::Comments, ColorRole::Scripts,
                               ColorRole::Styles,   ColorRole::Forms,   ColorRole::Meta};
    for (size_t i = 0; i < theme.colours.size(); ++i)
        options.Colors[static_cast<size_t>(roles[i])] = theme.colours[i];
    const std::string font = installedFont(std::string(theme.fontName));
    if (!font.empty()) options.FontName = font;
    if (!fonts.BitmapFontActive) browser.View().FontSize = SmallNumber(theme.fontSize);
    browser.View().PixelZoom = SmallNumber(theme.zoom);
    fonts.DosEncoding = theme.dosEncoding;
    options.Charset = theme.dosEncoding ? kOemCharset : kDefaultCharset;
    options.Antialiasing = theme.antialiasing;
    for (size_t i = 0; i < theme.bold.size(); ++i) options.Bold[i + 1] = theme.bold[i];
}

void ApplyDisplayPreset(Browser& browser, DisplayPreset preset) {
    ViewOptions& o = browser.Options();
    const bool all = preset == DisplayPreset::All;
    const bool usual = preset != DisplayPreset::None;  // on in "Def" as in "+ all"
    for (bool* option : {&o.TopBorders, &o.Accents, &o.Anchors, &o.Linked, &o.AllUrls,
                         &o.Comments, &o.Scripts, &o.ScriptsCode, &o.Styles, &o.StylesCode,
                         &o.FormsCode, &o.Meta, &o.MetaCode})
        *option = all;
    for (bool* option : {&o.ShowText, &o.Borders, &o.Links, &o.Media, &o.Forms}) *option = usual;
}

void ApplyUserAgentPreset(Browser& browser, int index) {
    if (index < 0 || index > static_cast<int>(kUserAgentPresets.size())) return;
    browser.State().UserAgentPreset = index;
    browser.Downloads().userAgent =
        index == 0 ? std::string() : std::string(kUserAgentPresets[static_cast<size_t>(index - 1)].text);
}

} // namespace qm
