#pragma once
// The two user guides as UTF-8 source lines; use user_guide.h for the program's text.

#include <array>
#include <string_view>

namespace qm {

constexpr int kUserGuideLines = 133;

extern const std::array<std::string_view, kUserGuideLines> kUserGuideEnglish;
extern const std::array<std::string_view, kUserGuideLines> kUserGuideRussian;

} // namespace qm
