#pragma once
// The view commands (F12 HTML page, Shift+F12 text, Ctrl+F12 hex codes) and the character
// map. Each sets the state; the caller then requests the prepare, mark and paint passes.

#include "state/view_state.h"

namespace qm {

struct BitmapFontState;
struct BrowserState;
struct SourceDecodeState;

// Leaving for the HTML view decodes the page again; the text view builds its own source.
void ChooseViewMode(ViewState& view, SourceDecodeState& decode, ViewMode mode);

// The bytes 32 to 255 as the page, shown in the hex view with the DOS encoding switch on, so
// that a bitmap font draws each byte with its DOS 866 glyph.
void ShowCharMap(BrowserState& browser, ViewState& view, BitmapFontState& fonts,
                 SourceDecodeState& decode);

} // namespace qm
