#pragma once
// The user guide shown in the About window and at the end of the welcome page.

#include <string>

namespace qm {

// The guide of a language (0 Russian, other English) as Windows-1251 text, lines joined with
// CR LF.
const std::string& UserGuideText(int languageIndex);

} // namespace qm
