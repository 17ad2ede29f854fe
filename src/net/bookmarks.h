#pragma once
// The bookmarks file bro.ini (pairs of a title line and an address line, Windows-1251, CR LF)
// and the two generated pages about:bookmarks and about:history.

#include <string>

namespace qm {

struct BrowserState;

// bro.ini in the data folder (beside the executable when that folder is writable).
std::string BroIniPath(const BrowserState& state);

// The four default pairs; the titles of pairs 2 to 4 in the given language.
std::string DefaultBroIniContent(int languageIndex);

// Creates bro.ini with the default content unless it exists. Returns whether it exists now.
bool EnsureBroIni(const BrowserState& state);

// The about:bookmarks page: the instruction, a link to bro.ini and the numbered entries in file
// order; or the two-line failure notice when the file cannot be created or read.
std::string RefreshBookmarks(const BrowserState& state);

// Appends a title and an address line (after the default content when the file is new).
// Returns false when nothing could be appended.
bool AppendToBroIni(const BrowserState& state, const std::string& title,
                    const std::string& address);

// The about:history page, newest entry first, with the sum of the known traffic in front.
std::string BuildHistoryPage(const BrowserState& state);

// The maker's addresses used by the default bookmarks.
inline constexpr const char* kMakerHomePage = "http://ferngrove.example/";
inline constexpr const char* kMakerForum = "http://ferngrove.example/forum/";
inline constexpr const char* kMakerFontsPage = "http://ferngrove.example/fonts/";
inline constexpr const char* kLatestVersionArchive = "http://ferngrove.example/qm.zip";

} // namespace qm
