// The tag scanner under all three passes, headless with a built-in bitmap font: any page with
// any display switches, laid out at any width and painted at any offset.

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "base/interfaces.h"
#include "state/bitmap_font_state.h"
#include "state/browser_state.h"
#include "support/fake_pump.h"
#include "tools/source_decode.h"
#include "view/renderer.h"
#include "view/view_modes.h"

namespace {

void ConsumeSwitches(FuzzedDataProvider& input, qm::ViewOptions& o) {
    for (bool* flag : {&o.Highlight,  &o.Gaps,     &o.ShowText,  &o.TopBorders,  &o.Borders,
                       &o.Accents,    &o.Links,    &o.Anchors,   &o.Media,       &o.Linked,
                       &o.AllUrls,    &o.Comments, &o.Scripts,   &o.ScriptsCode, &o.Styles,
                       &o.StylesCode, &o.Forms,    &o.FormsCode, &o.Meta,        &o.MetaCode})
        *flag = input.ConsumeBool();
    for (bool& bold : o.Bold)
        bold = input.ConsumeBool();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kFonts[] = {"INT:DOS8X8", "INT:DOS8X14", "INT:DOS8X16"};
    FuzzedDataProvider input(data, size);
    qm::BrowserState browser;
    qm::ViewState view;
    qm::ViewOptions options;
    qm::BitmapFontState fonts;
    ConsumeSwitches(input, options);
    browser.Utf8Decoding = input.ConsumeBool();
    fonts.DosEncoding = input.ConsumeBool();
    qm::LoadBuiltinTVFfont(fonts, kFonts[input.ConsumeIntegralInRange(0, 2)]);
    fonts.BitmapFontScale = input.ConsumeIntegralInRange(1, 3);
    const auto mode = static_cast<qm::ViewMode>(input.ConsumeIntegralInRange(0, 2));
    view.ImageWidth = input.ConsumeIntegralInRange(1, 1200);
    // A few lines are enough to paint: the cost of a pass is in its pixels.
    view.ImageHeight = input.ConsumeIntegralInRange(1, 96);
    const uint16_t scroll = input.ConsumeIntegral<uint16_t>();
    browser.PageSource = input.ConsumeRemainingBytesAsString();

    qm::SourceDecodeState decode;
    qm::RequestDecode(decode);
    qm::ChooseViewMode(view, decode, mode);
    qm::testing::FakePump pump;
    qm::Renderer renderer({browser, view, options, fonts, decode, pump});
    renderer.RenderSite(qm::RenderMode::Prepare);
    renderer.RenderSite(qm::RenderMode::Mark);
    renderer.RenderSite(qm::RenderMode::Paint);
    if (view.ContentHeight > 0) {
        view.ScrollY = scroll % view.ContentHeight;
        renderer.RenderSite(qm::RenderMode::Paint);
    }
    return 0;
}
