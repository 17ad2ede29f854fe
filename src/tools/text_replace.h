#pragma once
// The general replace routine of the program.

#include <string>
#include <string_view>

namespace qm {

enum class ReplaceFlags : unsigned {
    None = 0,
    ReplaceAll = 1, // every occurrence, not only the first
    IgnoreCase = 2, // match by Windows-1251 upper case; the output keeps the source's bytes
};

constexpr ReplaceFlags operator|(ReplaceFlags a, ReplaceFlags b) {
    return static_cast<ReplaceFlags>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

constexpr bool HasFlag(ReplaceFlags set, ReplaceFlags flag) {
    return (static_cast<unsigned>(set) & static_cast<unsigned>(flag)) != 0;
}

// Replaces occurrences of pattern, scanning left to right; matches never overlap and the
// inserted text is never scanned again. An empty pattern leaves the source unchanged.
std::string ReplaceText(std::string_view source, std::string_view pattern,
                        std::string_view replacement, ReplaceFlags flags = ReplaceFlags::None);

} // namespace qm
