#pragma once
// The three DOS 866 screen fonts compiled into the program, as TVF images.

#include <string_view>

namespace qm {

struct BuiltinFontImage {
    std::string_view name; // "DOS8X8", "DOS8X14", "DOS8X16"
    std::string_view data;
};

inline constexpr int kBuiltinFontCount = 3;
extern const BuiltinFontImage kBuiltinFontImages[kBuiltinFontCount];

// The image of a built-in font by its exact name (without "INT:"); empty when unknown.
std::string_view BuiltinFontData(std::string_view name);

} // namespace qm
