#pragma once
// The colour themes of the settings column, in list order.

#include <array>
#include <cstdint>
#include <string_view>

namespace qm {

struct Theme {
    std::string_view name;
    std::string_view fontName;
    std::string_view fontSize;
    std::string_view zoom;
    bool dosEncoding;
    bool antialiasing;
    // Bold switches in role order Text, Links, Media, Comments, Scripts, Styles, Forms, Meta.
    std::array<bool, 8> bold;
    // Colours 0x00BBGGRR in role order Text, Back, Links, ... Meta.
    std::array<uint32_t, 9> colours;
};

constexpr int kThemeCount = 11;
extern const std::array<Theme, kThemeCount> kThemes;

} // namespace qm
