#include "view/view_dump.h"

#include <algorithm>
#include <functional>

#include "state/browser_state.h"
#include "base/interfaces.h"
#include "state/bitmap_font_state.h"
#include "view/renderer.h"
#include "view/site_to_hex.h"
#include "tools/source_decode.h"

namespace qm {
namespace {

constexpr int32_t kGlyphWidth = 8;

class NoEvents : public EventPump {
  public:
    void ProcessEvents() override {}
};

// Puts every piece of text at its column on its line. The mark pass places lines from the top
// of the page down, so a line is complete when a piece for a lower line arrives; complete
// lines that hold more than spaces go to the receiver with their index from the top.
class LineCollector : public LayoutSink {
  public:
    using Receiver = std::function<void(size_t index, const ViewLine& line)>;
    explicit LineCollector(Receiver receiver) : receiver_(std::move(receiver)) {}

    void PlaceText(int32_t pageY, int32_t x, std::string_view text, ColorRole role) override {
        if (pageY != lineY_) {
            Finish();
            lineY_ = pageY;
        }
        if (line_.text.empty()) line_.role = role;
        const size_t column = static_cast<size_t>(std::max(0, x - 1) / kGlyphWidth);
        std::string& out = line_.text;
        if (column == out.size()) {
            out += text;
            return;
        }
        if (out.size() < column) out.resize(column, ' ');
        out.replace(column, std::min(text.size(), out.size() - column), text);
    }

    int32_t PieceCharWidth() const override { return kGlyphWidth; }

    // Hands over the last line; the line height is known once the prepare pass has run.
    void Finish() {
        if (line_.text.find_first_not_of(' ') != std::string::npos)
            receiver_(static_cast<size_t>((lineY_ - 1) / std::max(1, lineHeight)), line_);
        line_.text.clear(); // its room serves the next line
        line_.role = ColorRole::Text;
    }

    int32_t lineHeight = 1;

  private:
    Receiver receiver_;
    int32_t lineY_ = 0;
    ViewLine line_;
};

// Prepares and marks the page with the 8x16 font at that many columns, giving every line to
// the receiver.
void LayOut(BrowserState& browser, const ViewOptions& options, int32_t columns, ViewMode mode,
            LineCollector::Receiver receiver) {
    BitmapFontState fonts;
    if (!LoadBuiltinTVFfont(fonts, "INT:DOS8X16").loaded) return;
    ViewState view;
    view.ViewMode = mode;
    // The last column must still fit: pen x + width stays below the view width.
    view.ImageWidth = std::max(1, columns) * kGlyphWidth + 2;
    view.ImageHeight = 1;
    SourceDecodeState decode;
    RequestDecode(decode);
    NoEvents pump;
    Renderer renderer({browser, view, options, fonts, decode, pump});
    renderer.RenderSite(RenderMode::Prepare);
    LineCollector collector(std::move(receiver));
    collector.lineHeight = view.LineHeight; // every pass takes the same fonts
    renderer.SetLayoutSink(&collector);
    renderer.RenderSite(RenderMode::Mark);
    collector.Finish();
}

} // namespace

std::vector<ViewLine> LayoutViewLines(BrowserState& browser, const ViewOptions& options,
                                      int32_t columns, ViewMode mode) {
    std::vector<ViewLine> lines;
    LayOut(browser, options, columns, mode, [&](size_t index, const ViewLine& line) {
        if (lines.size() <= index) lines.resize(index + 1);
        lines[index] = line;
    });
    return lines;
}

void WriteSourceView(BrowserState& browser, const ViewOptions& options, int32_t columns,
                     ViewMode mode, const TextWriter& write) {
    constexpr size_t kStretch = 1 << 16; // lines go to the writer this much at a time
    size_t next = 0;                     // index of the next line to write
    std::string lines;
    LayOut(browser, options, columns, mode, [&](size_t index, const ViewLine& line) {
        lines.append(index - std::min(index, next), '\n'); // the empty lines before it
        lines += line.text;
        lines += '\n';
        next = index + 1;
        if (lines.size() < kStretch) return;
        write(lines);
        lines.clear();
    });
    if (!lines.empty()) write(lines);
}

std::string DumpSourceView(BrowserState& browser, const ViewOptions& options, int32_t columns,
                           ViewMode mode) {
    std::string out;
    WriteSourceView(browser, options, columns, mode, [&](std::string_view text) { out += text; });
    return out;
}

void WriteHexLines(std::string_view source,
                   const std::function<std::string(unsigned char)>& cellText,
                   const TextWriter& write) {
    BitmapFontState fonts;
    LoadBuiltinTVFfont(fonts, "INT:DOS8X16");
    const std::array<bool, 256> shown = HexShownBytes(fonts);
    HexCharacterCells cells;
    for (int byte = 0; byte < 256; ++byte)
        cells.cell[byte] = shown[byte] ? cellText(static_cast<unsigned char>(byte)) : " ";
    // A stretch of lines at a time, so that the text of a large page is never held whole.
    constexpr size_t kStretch = 4096 * 16;
    std::string lines;
    for (size_t start = 0; start < source.size(); start += kStretch) {
        lines.clear();
        AppendHexLines(lines, source.substr(start, kStretch), start, cells, "\n");
        write(lines);
    }
}

std::string DumpHexLines(std::string_view source,
                         const std::function<std::string(unsigned char)>& cellText) {
    std::string out;
    WriteHexLines(source, cellText, [&](std::string_view text) { out += text; });
    return out;
}

} // namespace qm
