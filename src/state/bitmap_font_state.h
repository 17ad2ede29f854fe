#pragma once
// What the main window keeps about the bitmap font, and the logic of its commands: loading a
// font (file or built-in), closing it, the DOS encoding switch and the size list that doubles
// as the scale list. The windows show the results; they decide nothing here.

#include <cstdint>
#include <string>

#include "base/bitmap_font.h"

namespace qm {

struct BitmapFontState {
    std::string FontFileName; // file path or "INT:" name of the loaded font; settings line 53
    bool BitmapFontActive = false;
    int32_t BitmapFontScale = 1; // not stored in the settings
    bool DosEncoding = false;    // the DOS1 check mark: text already is DOS 866
    BitmapFont Font;
};

// Whether the name came from the open dialog (the view is redrawn) or from the settings or a
// menu item (redrawn only for built-in fonts; start-up renders the page itself).
enum class FontLoadRequest { Asked, NotAsked };

struct FontSwitch {
    bool loaded = false;   // false: nothing changed and nothing is reported
    bool rerender = false; // run a mark pass, then a paint pass
};

// LoadTVFfont. On success the font becomes active and FontFileName is the name. A name that
// cannot be loaded leaves everything as it was, the previous font included.
FontSwitch LoadTVFfont(BitmapFontState& state, const std::string& name, FontLoadRequest request);

// The built-in font menu items: "INT:DOS8X8", "INT:DOS8X14" or "INT:DOS8X16".
inline FontSwitch LoadBuiltinTVFfont(BitmapFontState& state, const std::string& name) {
    return LoadTVFfont(state, name, FontLoadRequest::NotAsked);
}

// Closes the bitmap font; the view then goes back to the system font and is re-rendered.
void CloseBitmapFont(BitmapFontState& state);

// Label8: "TVF: " and the name after its last "\", "/" or ":" ("INT:DOS8X16" gives DOS8X16).
std::string FontLabelText(const std::string& fontFileName);
// Label11: "DOS CP866" or "WIN CP1251".
std::string EncodingLabelText(const BitmapFontState& state);

// Toggles the DOS encoding switch; true when the view must be re-rendered (a bitmap font is
// active, so the glyphs change).
bool ToggleDosEncoding(BitmapFontState& state);

// The size list edits the scale while a bitmap font is active, the system font size otherwise.
int32_t SizeListNumber(const BitmapFontState& state, int32_t fontSize);
void ApplySizeListChoice(BitmapFontState& state, int32_t& fontSize, int32_t number);

// Options the source view draws with: converted from Windows-1251 unless the DOS switch is
// on, no gaps, the current scale.
BitmapTextOptions ViewTextOptions(const BitmapFontState& state, DosSubstitution substitute,
                                  BoldText bold);

} // namespace qm
