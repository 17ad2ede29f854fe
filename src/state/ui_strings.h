#pragma once
// The numbered texts of the user interface, in English and Russian (Windows-1251 bytes).

#include <string>

namespace qm {

constexpr int kUiStringCount = 353;

// Language index 0 is Russian; any other value is English. An index outside the table gives
// an empty string.
const std::string& UiString(int index, int languageIndex);

} // namespace qm
