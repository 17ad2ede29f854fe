#pragma once
// The display options of the settings column as plain values: what the view shows, how it
// lays it out and in which colours and fonts. The window binds its check boxes, swatches and
// lists to these fields; the renderer only reads them.

#include <array>
#include <cstdint>
#include <string>

namespace qm {

// The nine colour roles, in the order of the swatches.
enum class ColorRole : int32_t { Back, Text, Links, Media, Comments, Scripts, Styles, Forms, Meta };
inline constexpr int kColorRoleCount = 9;

// Colours are Windows colour values: 0x00BBGGRR.
constexpr uint32_t RgbColor(uint32_t r, uint32_t g, uint32_t b) {
    return r | (g << 8) | (b << 16);
}

struct ViewOptions {
    std::array<uint32_t, kColorRoleCount> Colors = {
        RgbColor(255, 255, 255), // Back
        RgbColor(0, 0, 0),       // Text
        RgbColor(0, 0, 128),     // Links
        RgbColor(0, 128, 0),     // Media
        RgbColor(128, 128, 128), // Comments
        RgbColor(128, 0, 0),     // Scripts
        RgbColor(128, 0, 128),   // Styles
        RgbColor(128, 128, 0),   // Forms
        RgbColor(0, 128, 128),   // Meta
    };
    // Bold switches by role; the entry of Back is never used.
    std::array<bool, kColorRoleCount> Bold = {};

    bool Antialiasing = true; // CheckBox24
    bool Highlight = true;    // a band behind every drawn line
    bool Gaps = true;         // single empty lines between blocks
    bool Back = false;        // shown for completeness; it has no effect
    bool ShowText = true;     // "Text": plain page text in the HTML view
    bool TopBorders = false;  // border kinds 0 and 1
    bool Borders = true;      // border kinds 2 and 3
    bool Accents = false;     // accent tags break lines and take dotted borders
    bool Links = true;
    bool Anchors = false;
    bool Media = true;
    bool Linked = false;  // LINK elements
    bool AllUrls = false; // "Maybe URL" blocks
    bool HiddenAddresses = false; // srcset, lazy loading, style url(), refresh, script text
    bool Comments = false;
    bool Scripts = false;
    bool ScriptsCode = false;
    bool Styles = false;
    bool StylesCode = false;
    bool Forms = true;
    bool FormsCode = false;
    bool Meta = false;
    bool MetaCode = false;

    // The system font; the bitmap font and the DOS switch are kept with the bitmap font state.
    std::string FontName = "Arial";
    int32_t Charset = 1; // DEFAULT_CHARSET

    uint32_t Color(ColorRole role) const { return Colors[static_cast<size_t>(role)]; }
    bool IsBold(ColorRole role) const { return Bold[static_cast<size_t>(role)]; }
};

} // namespace qm
