#pragma once
// The User-Agent presets of the settings panel.

#include <array>
#include <string_view>

namespace qm {

struct UserAgentPreset {
    std::string_view name;
    std::string_view text;
};

// Item 0 of the list is "-" (no User-Agent); these are items 1 to 14.
extern const std::array<UserAgentPreset, 14> kUserAgentPresets;

} // namespace qm
