#pragma once
// A headless view for renderer tests: the built-in 8x16 bitmap font, a host that keeps the
// picture and the texts a pass reports, and a pump that can press F5.

#include <functional>
#include <string>
#include <vector>

#include "state/browser_state.h"
#include "base/interfaces.h"
#include "state/bitmap_font_state.h"
#include "view/renderer.h"
#include "tools/source_decode.h"
#include "base/view_colors.h"

namespace qm::test {

class ScriptedPump : public EventPump {
  public:
    void ProcessEvents() override {
        ++calls;
        if (onEvents) onEvents(calls);
    }
    int calls = 0;
    std::function<void(int)> onEvents;
};

class RecordingHost : public RenderHost {
  public:
    void SetCaption(const std::string& text) override { captions.push_back(text); }
    void RestoreStopCaption() override { ++stopCaptions; }
    void ScrollBarChanged() override { ++scrollBarChanges; }
    void ShowPicture(const Bitmap& bitmap) override {
        picture = bitmap;
        ++pictures;
    }
    void SetObjectInfoText(const std::string& text) override { objectInfo = text; }
    void PageTitleFound(const std::string& title) override { titles.push_back(title); }

    std::vector<std::string> captions;
    std::vector<std::string> titles;
    int stopCaptions = 0;
    int scrollBarChanges = 0;
    int pictures = 0;
    Bitmap picture;
    std::string objectInfo;
};

// 8x16 glyphs, line height 19 in the page view: line n (from 0) has page y 1 + 19n.
constexpr int kGlyph = 8;
constexpr int kLine = 19;

struct RenderRig {
    BrowserState browser;
    ViewState view;
    ViewOptions options;
    BitmapFontState fonts;
    SourceDecodeState decode;
    ScriptedPump pump;
    RecordingHost host;
    // Tests count the pump calls, so the pump runs at every place the passes offer.
    Renderer renderer{
        {browser, view, options, fonts, decode, pump, nullptr, &host, PumpPace::EveryPlace}};

    RenderRig(int columns = 40, int height = 200) {
        LoadBuiltinTVFfont(fonts, "INT:DOS8X16");
        view.ImageWidth = columns * kGlyph + 2;
        view.ImageHeight = height;
    }

    // A new page: prepare, mark, then paint at the given offset.
    const Bitmap& Show(const std::string& source, int scrollY = 0) {
        browser.PageSource = source;
        RequestDecode(decode);
        renderer.RenderSite(RenderMode::Prepare);
        renderer.RenderSite(RenderMode::Mark);
        return Paint(scrollY);
    }

    const Bitmap& Paint(int scrollY) {
        view.ScrollY = scrollY;
        renderer.RenderSite(RenderMode::Paint);
        return host.picture;
    }

    uint32_t Color(ColorRole role) const { return options.Color(role); }

    // The picture a paint pass at scrollY shows, for a renderer of any rig.
    static const Bitmap& PaintOf(Renderer& renderer, ViewState& view, RecordingHost& host,
                                 int scrollY) {
        view.ScrollY = scrollY;
        renderer.RenderSite(RenderMode::Paint);
        return host.picture;
    }
};

inline uint32_t PixelAt(const Bitmap& bitmap, int x, int y) {
    return GetPixelz(bitmap, x, y);
}

// Whether any pixel of the rows [top, bottom) has the colour.
inline bool RowsHold(const Bitmap& bitmap, int top, int bottom, uint32_t colour) {
    for (int y = std::max(0, top); y < std::min(bitmap.height, bottom); ++y)
        for (int x = 0; x < bitmap.width; ++x)
            if (PixelAt(bitmap, x, y) == colour) return true;
    return false;
}

// First row that differs, or -1.
inline int FirstDifferentRow(const Bitmap& a, const Bitmap& b) {
    if (a.width != b.width || a.height != b.height) return 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.Row(y)[x] != b.Row(y)[x]) return y;
    return -1;
}

} // namespace qm::test
