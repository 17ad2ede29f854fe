#include "view/site_to_hex.h"

#include <chrono>

#include "base/interfaces.h"
#include "state/bitmap_font_state.h"
#include "state/browser_state.h"
#include "state/ui_strings.h"
#include "tools/source_decode.h"
#include "tools/text_replace.h"
#include "view/progress_caption.h"
#include "view/renderer.h"

namespace qm {
namespace {

constexpr int kUiConverting = 194;
constexpr int kUiSecondsEnd = 200;
constexpr size_t kBytesPerLine = 16;
constexpr size_t kHexPartWidth = 3 * kBytesPerLine;
constexpr char kHexDigits[] = "0123456789ABCDEF";

struct TextStep {
    int percent;
    std::string_view from, to;
};

constexpr TextStep kTextSteps[] = {
    {0, "&", "&amp;"},     {20, "<", "&lt;"},  {40, ">", "&gt;"},
    {60, "\r\n", "\r"},    {80, "\n", "\r"},   {85, std::string_view("\0", 1), "\r"},
    {90, "\r", "<br>"},    {95, "\t", "  "},
};

std::string EscapedCell(unsigned char byte) {
    switch (byte) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    default: return std::string(1, static_cast<char>(byte));
    }
}

void AppendHex(std::string& out, uint32_t value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kHexDigits[(value >> shift) & 15];
}

} // namespace

std::string TextViewSource(std::string source, const ConversionStep& step) {
    for (const TextStep& s : kTextSteps) {
        if (!step(s.percent)) return source;
        source = ReplaceText(source, s.from, s.to, ReplaceFlags::ReplaceAll);
    }
    if (!step(100)) return source;
    for (char& c : source)
        if (static_cast<unsigned char>(c) < 32) c = ' ';
    return source;
}

std::array<bool, 256> HexShownBytes(const BitmapFontState& fonts) {
    std::array<bool, 256> shown{};
    BitmapTextOptions options;
    options.convert = fonts.DosEncoding ? TextConversion::None : TextConversion::WinToDos;
    options.substitute = DosSubstitution::Off;
    const bool byFont = fonts.BitmapFontActive && fonts.Font.Loaded();
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        shown[byte] = byFont ? byte > 0 && BitmapTextWidth(fonts.Font, std::string_view(&c, 1), options) > 0
                             : byte >= 32;
    }
    return shown;
}

HexCharacterCells MarkupCells(const std::array<bool, 256>& shown) {
    HexCharacterCells cells;
    for (int byte = 0; byte < 256; ++byte)
        cells.cell[byte] = shown[byte] ? EscapedCell(static_cast<unsigned char>(byte)) : " ";
    return cells;
}

std::string HexViewSource(std::string_view source, const HexCharacterCells& cells,
                          std::string_view lineEnd, const ConversionStep& step) {
    const size_t length = source.size();
    const size_t progressStep = std::max<size_t>(1, length / 100);
    std::string out;
    out.reserve(length / kBytesPerLine * 90 + 96);
    std::string characters;
    size_t lineStart = 0; // where the current line begins in out
    int64_t shown = -1;
    bool stop = false;
    for (size_t i = 1; i <= length && !stop; ++i) {
        if (const auto percent = static_cast<int64_t>(i / progressStep); percent > shown) {
            shown = percent;
            stop = !step(static_cast<int>(percent));
        }
        const auto byte = static_cast<unsigned char>(source[i - 1]);
        if ((i - 1) % kBytesPerLine == 0) {
            lineStart = out.size();
            AppendHex(out, static_cast<uint32_t>(i - 1), 8);
            out += ' ';
            characters.clear();
        }
        AppendHex(out, byte, 2);
        out += ' ';
        characters += cells.cell[byte];
        if (i % kBytesPerLine == 0 || i == length) {
            out.append(kHexPartWidth - 3 * ((i - 1) % kBytesPerLine + 1), ' ');
            out += characters;
            out += lineEnd;
        } else if (stop) {
            out.resize(lineStart); // only full lines stay
        }
    }
    return out;
}

void SiteToHex(const RenderContext& context, RenderHost& host, ConvertedView view) {
    BrowserState& browser = context.browser;
    if (browser.ConvertBusy) return;
    browser.ConvertBusy = true;
    browser.ProcessAbort = false;
    context.view.ScrollY = 0;
    browser.RequestReport.clear();
    context.view.AtTop = false;
    context.view.AtBottom = false;
    browser.DecodedSource.clear();

    const std::string prefix = UiString(kUiConverting, browser.LanguageIndex);
    const auto started = std::chrono::steady_clock::now();
    // A step announces itself, lets the window work and goes on unless F5 came.
    auto step = [&](const std::string& caption) {
        host.SetCaption(prefix + caption);
        context.pump.ProcessEvents();
        return !browser.ProcessAbort;
    };
    if (view == ConvertedView::Text) {
        browser.DecodedSource = TextViewSource(browser.PageSource, [&](int percent) {
            return step(std::to_string(percent) + "%");
        });
    } else {
        const std::string secondsEnd = UiString(kUiSecondsEnd, browser.LanguageIndex);
        browser.DecodedSource = HexViewSource(browser.PageSource, MarkupCells(HexShownBytes(context.fonts)), "<br>", [&](int percent) {
            return step(ProgressCaption("", percent, started, secondsEnd));
        });
    }
    host.RestoreStopCaption();
    browser.ConvertBusy = false;
    browser.ProcessAbort = false;
    context.decode.NeedDecode = false;
}

} // namespace qm
