#pragma once
// The settings column's lists and presets as operations on the browser's values: themes, the
// display option presets, the character sets, font sizes, zooms and download limits that the
// lists offer. The window shows the results; the settings file and scripts use them headless.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class Browser;

// The installed font that stands for a font name (itself, or a metric twin), empty when none.
using FontLookup = std::function<std::string(const std::string& name)>;

// The installed family that stands for a font name: the name itself, or the metric twin
// installed for a Windows font; empty when neither is installed, so that the font stays as it
// was. Asking the system which font it would draw instead is no test: it always names one.
std::string InstalledStandIn(const std::string& name, const std::vector<std::string>& families);

// The character set list in list order (sorted by name) with the numbers of the names.
struct CharsetName {
    std::string_view name;
    int32_t number;
};
extern const std::array<CharsetName, 18> kCharsetNames;
// Index in the list of a character set number; the index of DEFAULT_CHARSET when unknown.
int CharsetIndex(int32_t number);

// Items of the download limit list (kilobytes; "0" reads all).
extern const std::array<std::string_view, 11> kDownloadLimits;
// Items of the font size list: 72, 48, 36, 28, 27 ... 1.
bool IsFontSizeItem(int32_t size);
constexpr int32_t kMaxPixelZoom = 20;

// Copies theme `index` into the display values: colours, font (when installed), size (unless a
// bitmap font is active), zoom, DOS encoding with its character set, antialiasing and the bold
// switches. An index outside the list changes nothing.
void ApplyTheme(Browser& browser, int index, const FontLookup& installedFont);

// "- all", "+ all" and "Def" of the display options.
enum class DisplayPreset { None, All, Default };
void ApplyDisplayPreset(Browser& browser, DisplayPreset preset);

// Selects User-Agent preset `index` (0 is none) and takes its text.
void ApplyUserAgentPreset(Browser& browser, int index);

} // namespace qm
