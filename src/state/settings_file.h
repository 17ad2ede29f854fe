#pragma once
// qm.ini: every setting of the main window as 73 lines in a fixed order, one value per line,
// read back by position. The browser's values are the settings; the window only shows them.

#include <string>

#include "state/appearance.h"

namespace qm {

class Browser;

inline constexpr int kSettingsLineCount = 73;
inline constexpr const char* kSettingsFileName = "qm.ini";

// The 73 lines, each ended by CR LF; the last five (the choices of "Save all linked files",
// "Follow the page's charset" and "Hidden addresses") came after the others, and a file
// without them keeps their defaults.
std::string SettingsText(const Browser& browser);

// Applies the lines in the order the file was designed for. A line that should hold an integer
// and does not stops the reading there; what was applied stays, and the font size is applied
// in any case. Missing lines read as empty.
void ApplySettingsText(Browser& browser, const std::string& text, const FontLookup& installedFont);

// The file in the browser's data folder. A missing or unreadable file leaves the defaults.
void LoadQmIni(Browser& browser, const FontLookup& installedFont);
// Written beside the old file and renamed over it when whole: a failed save keeps the old one.
bool SaveQmIni(const Browser& browser);

} // namespace qm
