#include "state/settings_file.h"

#include <charconv>
#include <optional>
#include <vector>

#include "state/browser.h"
#include "base/file_io.h"
#include "base/single_line.h"
#include "state/themes.h"
#include "state/user_agents.h"

namespace qm {
namespace {

// Lines 17 to 52: display switches and swatch colours, in file order.
struct DisplayLine {
    bool ViewOptions::*flag = nullptr;
    ColorRole role = ColorRole::Back;
    enum class Kind { Flag, Bold, Colour } kind = Kind::Flag;
};

constexpr DisplayLine Flag(bool ViewOptions::*flag) { return {flag, ColorRole::Back, DisplayLine::Kind::Flag}; }
constexpr DisplayLine Bold(ColorRole role) { return {nullptr, role, DisplayLine::Kind::Bold}; }
constexpr DisplayLine Colour(ColorRole role) { return {nullptr, role, DisplayLine::Kind::Colour}; }

constexpr DisplayLine kDisplayLines[] = {
    Flag(&ViewOptions::Antialiasing), Flag(&ViewOptions::Highlight), Colour(ColorRole::Back),
    Bold(ColorRole::Text),     Colour(ColorRole::Text),     Flag(&ViewOptions::ShowText),
    Bold(ColorRole::Links),    Colour(ColorRole::Links),    Flag(&ViewOptions::Links),
    Flag(&ViewOptions::Anchors),
    Bold(ColorRole::Media),    Colour(ColorRole::Media),    Flag(&ViewOptions::Media),
    Bold(ColorRole::Comments), Colour(ColorRole::Comments), Flag(&ViewOptions::Comments),
    Bold(ColorRole::Scripts),  Colour(ColorRole::Scripts),  Flag(&ViewOptions::Scripts),
    Flag(&ViewOptions::ScriptsCode),
    Bold(ColorRole::Styles),   Colour(ColorRole::Styles),   Flag(&ViewOptions::Styles),
    Flag(&ViewOptions::StylesCode),
    Bold(ColorRole::Forms),    Colour(ColorRole::Forms),    Flag(&ViewOptions::Forms),
    Flag(&ViewOptions::FormsCode),
    Bold(ColorRole::Meta),     Colour(ColorRole::Meta),     Flag(&ViewOptions::Meta),
    Flag(&ViewOptions::MetaCode),
    Flag(&ViewOptions::Borders), Flag(&ViewOptions::AllUrls), Flag(&ViewOptions::Accents),
    Flag(&ViewOptions::TopBorders),
};
static_assert(std::size(kDisplayLines) == 36, "lines 17 to 52");

std::string Bit(bool on) { return on ? "1" : "0"; }

std::optional<int64_t> Integer(const std::string& line) {
    int64_t value = 0;
    const char* end = line.data() + line.size();
    auto [stop, error] = std::from_chars(line.data(), end, value);
    if (line.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

// Line n of the file (1-based), empty past its end. A lone CR inside a line, which an editor
// may show as a line break, is a space like the ones written for it.
class Lines {
  public:
    explicit Lines(const std::string& text) {
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            size_t stop = end > start && text[end - 1] == '\r' ? end - 1 : end;
            lines_.push_back(SingleLine(std::string_view(text).substr(start, stop - start)));
            start = end + 1;
        }
    }
    const std::string& operator[](int n) const {
        static const std::string empty;
        return n >= 1 && n <= static_cast<int>(lines_.size()) ? lines_[static_cast<size_t>(n - 1)] : empty;
    }

  private:
    std::vector<std::string> lines_;
};

// A line that must be an integer; stops the reading when it is not.
struct Stop {};
int64_t Number(const Lines& lines, int n) {
    std::optional<int64_t> value = Integer(lines[n]);
    if (!value) throw Stop{};
    return *value;
}

template <typename List>
int IndexOf(const List& list, const std::string& text) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == text) return static_cast<int>(i);
    return -1;
}

int UserAgentPresetIndex(const std::string& name) {
    if (name == "-") return 0;
    for (size_t i = 0; i < kUserAgentPresets.size(); ++i)
        if (kUserAgentPresets[i].name == name) return static_cast<int>(i) + 1;
    return -1;
}

int ThemeIndexOf(const std::string& name) {
    for (size_t i = 0; i < kThemes.size(); ++i)
        if (kThemes[i].name == name) return static_cast<int>(i);
    return -1;
}

void ApplyDownloadLines(Browser& browser, const Lines& lines) {
    BrowserState& state = browser.State();
    DownloadOptions& downloads = browser.Downloads();
    if (IndexOf(kDownloadLimits, lines[8]) >= 0) downloads.blockLimit = static_cast<int32_t>(Number(lines, 8));
    state.Utf8Decoding = lines[9] == "1";
    const int64_t saver = Number(lines, 10);
    // Only the three modes have a name; anything else is off.
    state.TrafficSaverMode = saver >= -1 && saver <= 1 ? static_cast<int32_t>(saver) : -1;
    downloads.recordHistory = lines[11] == "1";
    downloads.sendReferer = lines[12] == "1";
    downloads.cookies = lines[13] == "1";
    ApplyUserAgentPreset(browser, UserAgentPresetIndex(lines[14]));
    downloads.userAgent = lines[15];
}

void ApplyDisplayLines(Browser& browser, const Lines& lines) {
    ViewOptions& options = browser.Options();
    int n = 17;
    for (const DisplayLine& line : kDisplayLines) {
        const size_t role = static_cast<size_t>(line.role);
        switch (line.kind) {
        case DisplayLine::Kind::Flag: options.*line.flag = lines[n] == "1"; break;
        case DisplayLine::Kind::Bold: options.Bold[role] = lines[n] == "1"; break;
        case DisplayLine::Kind::Colour: options.Colors[role] = static_cast<uint32_t>(Number(lines, n)) & 0xFFFFFF; break;
        }
        ++n;
    }
}

void ApplyLines(Browser& browser, const Lines& lines, const FontLookup& installedFont) {
    BrowserState& state = browser.State();
    browser.SetLanguage(lines[1] == "1" ? 1 : 0);
    state.AddressField = TextField{lines[2]};
    state.LinkField = TextField{lines[3]};
    state.FileField = TextField{lines[4]};
    ApplyDownloadLines(browser, lines);
    ApplyTheme(browser, ThemeIndexOf(lines[16]), installedFont);
    const std::string font = lines[5].empty() ? std::string() : installedFont(lines[5]);
    if (!font.empty()) browser.Options().FontName = font;
    const int64_t charset = Number(lines, 7);
    if (charset >= 0 && charset < static_cast<int64_t>(kCharsetNames.size()))
        browser.Options().Charset = kCharsetNames[static_cast<size_t>(charset)].number;
    ApplyDisplayLines(browser, lines);
    if (!lines[53].empty()) LoadTVFfont(browser.Fonts(), lines[53], FontLoadRequest::NotAsked);
    const int64_t zoom = Number(lines, 54);
    if (zoom >= 1 && zoom <= kMaxPixelZoom) browser.View().PixelZoom = static_cast<int32_t>(zoom);
    browser.Options().Linked = lines[55] == "1";
    browser.Options().Gaps = lines[56] != "0";
    browser.Fonts().DosEncoding = lines[57] == "1";
    for (int slot = 0; slot < 10; ++slot) state.QuickLaunch[static_cast<size_t>(slot)] = lines[58 + slot];
    state.ShowScrollBar = lines[68] != "0";
    // Lines an older file lacks keep their defaults.
    state.RipFolder = lines[69];
    if (!lines[70].empty()) state.RipKinds = lines[70];
    state.RipExtensions = lines[71];
    state.FollowPageCharset = lines[72] == "1";
    browser.Options().HiddenAddresses = lines[73] == "1";
}

} // namespace

std::string SettingsText(const Browser& browser) {
    const BrowserState& state = browser.State();
    const ViewOptions& options = browser.Options();
    const DownloadOptions& downloads = browser.Downloads();
    const BitmapFontState& fonts = browser.Fonts();
    std::vector<std::string> lines = {
        Bit(state.LanguageIndex == 1),
        state.AddressField.Text,
        state.LinkField.Text,
        state.FileField.Text,
        options.FontName,
        std::to_string(SizeListNumber(fonts, browser.View().FontSize)),
        std::to_string(CharsetIndex(options.Charset)),
        std::to_string(downloads.blockLimit),
        Bit(state.Utf8Decoding),
        std::to_string(state.TrafficSaverMode),
        Bit(downloads.recordHistory),
        Bit(downloads.sendReferer),
        Bit(downloads.cookies),
        state.UserAgentPreset == 0 ? std::string("-")
                                   : std::string(kUserAgentPresets[static_cast<size_t>(state.UserAgentPreset - 1)].name),
        downloads.userAgent,
        std::string(kThemes[static_cast<size_t>(state.ThemeIndex)].name),
    };
    for (const DisplayLine& line : kDisplayLines) {
        const size_t role = static_cast<size_t>(line.role);
        switch (line.kind) {
        case DisplayLine::Kind::Flag: lines.push_back(Bit(options.*line.flag)); break;
        case DisplayLine::Kind::Bold: lines.push_back(Bit(options.Bold[role])); break;
        case DisplayLine::Kind::Colour: lines.push_back(std::to_string(options.Colors[role])); break;
        }
    }
    lines.push_back(fonts.BitmapFontActive ? fonts.FontFileName : std::string());
    lines.push_back(std::to_string(browser.View().PixelZoom));
    lines.push_back(Bit(options.Linked));
    lines.push_back(Bit(options.Gaps));
    lines.push_back(Bit(fonts.DosEncoding));
    for (const std::string& slot : state.QuickLaunch) lines.push_back(slot);
    lines.push_back(Bit(state.ShowScrollBar));
    lines.push_back(state.RipFolder);
    lines.push_back(state.RipKinds);
    lines.push_back(state.RipExtensions);
    lines.push_back(Bit(state.FollowPageCharset));
    lines.push_back(Bit(options.HiddenAddresses));
    std::string text;
    // A line break inside a value would move every later value to the wrong line.
    for (const std::string& line : lines) text += SingleLine(line) + "\r\n";
    return text;
}

void ApplySettingsText(Browser& browser, const std::string& text, const FontLookup& installedFont) {
    const Lines lines(text);
    try {
        ApplyLines(browser, lines, installedFont);
    } catch (const Stop&) {
        // What was read stays; the rest keeps its value.
    }
    std::optional<int64_t> size = Integer(lines[6]);
    if (size && IsFontSizeItem(static_cast<int32_t>(*size)))
        ApplySizeListChoice(browser.Fonts(), browser.View().FontSize, static_cast<int32_t>(*size));
}

void LoadQmIni(Browser& browser, const FontLookup& installedFont) {
    const std::string path = browser.State().DataFolder + kSettingsFileName;
    if (!FileExists(path)) return;
    ApplySettingsText(browser, GetFileToString(path), installedFont);
}

bool SaveQmIni(const Browser& browser) {
    return WriteFileAtomically(browser.State().DataFolder + kSettingsFileName, SettingsText(browser));
}

} // namespace qm
