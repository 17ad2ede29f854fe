#include "view/view_modes.h"

#include "state/bitmap_font_state.h"
#include "state/browser_state.h"
#include "tools/source_decode.h"

namespace qm {

void ChooseViewMode(ViewState& view, SourceDecodeState& decode, ViewMode mode) {
    view.ViewMode = mode;
    if (mode == ViewMode::Html) RequestDecode(decode);
    if (mode == ViewMode::Text) decode.NeedDecode = false;
}

void ShowCharMap(BrowserState& browser, ViewState& view, BitmapFontState& fonts,
                 SourceDecodeState& decode) {
    view.ScrollY = 0;
    browser.PageSource.clear();
    for (int byte = 32; byte < 256; ++byte) browser.PageSource += static_cast<char>(byte);
    browser.PageContentType.clear();
    browser.DecodedSource.clear();
    fonts.DosEncoding = true;
    ChooseViewMode(view, decode, ViewMode::Hex);
}

} // namespace qm
