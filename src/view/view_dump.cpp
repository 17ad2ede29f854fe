#include "view/view_dump.h"

#include <algorithm>
#include <map>

#include "app/browser_state.h"
#include "platform/interfaces.h"
#include "view/bitmap_font_state.h"
#include "view/renderer.h"
#include "view/source_decode.h"

namespace qm {
namespace {

constexpr int32_t kGlyphWidth = 8;

class NoEvents : public EventPump {
  public:
    void ProcessEvents() override {}
};

// Puts every piece of text at its column on its line.
class LineCollector : public LayoutSink {
  public:
    void PlaceText(int32_t pageY, int32_t x, std::string_view text, ColorRole role) override {
        ViewLine& line = lines_[pageY];
        if (line.text.empty()) line.role = role;
        size_t column = static_cast<size_t>(std::max(0, x - 1) / kGlyphWidth);
        if (line.text.size() < column) line.text.resize(column, ' ');
        line.text.replace(column, std::min(text.size(), line.text.size() - column), text);
    }

    std::vector<ViewLine> Lines(int32_t lineHeight) const {
        std::vector<ViewLine> lines;
        for (const auto& [pageY, line] : lines_) {
            if (line.text.find_first_not_of(' ') == std::string::npos) continue;
            size_t index = static_cast<size_t>((pageY - 1) / lineHeight);
            if (lines.size() <= index) lines.resize(index + 1);
            lines[index] = line;
        }
        return lines;
    }

  private:
    std::map<int32_t, ViewLine> lines_;
};

} // namespace

std::vector<ViewLine> LayoutViewLines(BrowserState& browser, const ViewOptions& options,
                                      int32_t columns) {
    BitmapFontState fonts;
    if (!LoadBuiltinTVFfont(fonts, "INT:DOS8X16").loaded) return {};
    ViewState view;
    // The last column must still fit: pen x + width stays below the view width.
    view.ImageWidth = std::max(1, columns) * kGlyphWidth + 2;
    view.ImageHeight = 1;
    SourceDecodeState decode;
    RequestDecode(decode);
    NoEvents pump;
    Renderer renderer({browser, view, options, fonts, decode, pump});
    renderer.RenderSite(RenderMode::Prepare);
    LineCollector collector;
    renderer.SetLayoutSink(&collector);
    renderer.RenderSite(RenderMode::Mark);
    return collector.Lines(view.LineHeight);
}

std::string DumpSourceView(BrowserState& browser, const ViewOptions& options, int32_t columns) {
    std::string out;
    for (const ViewLine& line : LayoutViewLines(browser, options, columns)) {
        out += line.text;
        out += '\n';
    }
    return out;
}

} // namespace qm
