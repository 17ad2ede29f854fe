#pragma once
// Trimming as the address and link fields do it: every byte up to and including the space
// counts as blank, control characters too.

#include <string_view>

namespace qm {

inline std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
    return text;
}

} // namespace qm
