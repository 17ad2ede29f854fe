#include "view/site_to_hex.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

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
    {0, "&", "&amp;"},  {20, "<", "&lt;"}, {40, ">", "&gt;"},
    {60, "\r\n", "\r"}, {80, "\n", "\r"},  {85, std::string_view("\0", 1), "\r"},
    {90, "\r", "<br>"}, {95, "\t", "  "},
};

std::string EscapedCell(unsigned char byte) {
    switch (byte) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    default:
        return std::string(1, static_cast<char>(byte));
    }
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
        shown[byte] =
            byFont ? byte > 0 && BitmapTextWidth(fonts.Font, std::string_view(&c, 1), options) > 0
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

namespace {

const std::array<std::array<char, 3>, 256>& HexPairs() {
    static const auto pairs = [] {
        std::array<std::array<char, 3>, 256> made{};
        for (int b = 0; b < 256; ++b)
            made[b] = {kHexDigits[b >> 4], kHexDigits[b & 15], ' '};
        return made;
    }();
    return pairs;
}

size_t WidestCell(const HexCharacterCells& cells, std::string_view lineEnd) {
    size_t widest = lineEnd.size();
    for (const std::string& cell : cells.cell)
        widest = std::max(widest, cell.size());
    return widest;
}

// The cells in slots of eight bytes, copied whole and passed by their length, so that a line
// copies no string of its own: those copies took most of the time of a large hex view.
struct PackedCells {
    static constexpr size_t kSlot = 8;
    std::array<std::array<char, kSlot>, 256> slots{};
    std::array<uint8_t, 256> lengths{};
    bool fit = true;

    explicit PackedCells(const HexCharacterCells& cells) {
        for (int byte = 0; byte < 256; ++byte) {
            const std::string& cell = cells.cell[byte];
            fit = fit && cell.size() <= kSlot;
            if (!fit) return;
            std::copy(cell.begin(), cell.end(), slots[byte].begin());
            lengths[byte] = static_cast<uint8_t>(cell.size());
        }
    }
};

// A line buffer with room for the widest line and a slot written whole after its last cell.
std::vector<char> LineBuffer(const HexCharacterCells& cells, std::string_view lineEnd) {
    return std::vector<char>(9 + kHexPartWidth + kBytesPerLine * WidestCell(cells, lineEnd) +
                             PackedCells::kSlot + lineEnd.size());
}

// One line of up to kBytesPerLine bytes at that offset, written at p; returns its end.
char* FormatHexLine(char* p, size_t offset, std::string_view bytes, const HexCharacterCells& cells,
                    const PackedCells& packed, std::string_view lineEnd) {
    const auto& pairs = HexPairs();
    for (int shift = 28; shift >= 0; shift -= 4)
        *p++ = kHexDigits[(offset >> shift) & 15];
    *p++ = ' ';
    for (size_t k = 0; k < bytes.size(); ++k, p += 3)
        std::memcpy(p, pairs[static_cast<unsigned char>(bytes[k])].data(), 3);
    p = std::fill_n(p, 3 * (kBytesPerLine - bytes.size()), ' ');
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (packed.fit) {
            std::memcpy(p, packed.slots[byte].data(), PackedCells::kSlot);
            p += packed.lengths[byte];
        } else {
            p = std::copy(cells.cell[byte].begin(), cells.cell[byte].end(), p);
        }
    }
    return std::copy(lineEnd.begin(), lineEnd.end(), p);
}

} // namespace

void AppendHexLines(std::string& out, std::string_view bytes, size_t offset,
                    const HexCharacterCells& cells, std::string_view lineEnd) {
    std::vector<char> line = LineBuffer(cells, lineEnd);
    const PackedCells packed(cells);
    out.reserve(out.size() +
                (bytes.size() / kBytesPerLine + 1) * (kHexLineCharacters + 4 + lineEnd.size()));
    for (size_t start = 0; start < bytes.size(); start += kBytesPerLine) {
        const char* end = FormatHexLine(line.data(), offset + start,
                                        bytes.substr(start, kBytesPerLine), cells, packed, lineEnd);
        out.append(line.data(), static_cast<size_t>(end - line.data()));
    }
}

std::string HexViewSource(std::string_view source, const HexCharacterCells& cells,
                          std::string_view lineEnd, const ConversionStep& step) {
    const size_t length = source.size();
    const size_t progressStep = std::max<size_t>(1, length / 100);
    size_t nextStepAt = progressStep; // the byte (1-based) at which the percentage next grows
    std::string out;
    out.reserve((length / kBytesPerLine + 1) * (kHexLineCharacters + 4 + lineEnd.size()));
    std::vector<char> line = LineBuffer(cells, lineEnd);
    const PackedCells packed(cells);
    for (size_t start = 0; start < length; start += kBytesPerLine) {
        const size_t count = std::min(kBytesPerLine, length - start);
        size_t stoppedAt = 0; // the byte taken after a refused step
        for (size_t i = start + 1; nextStepAt <= start + count && i <= start + count; ++i) {
            if (i < nextStepAt) continue;
            const size_t percent = i / progressStep;
            nextStepAt = (percent + 1) * progressStep;
            if (!step(static_cast<int>(percent))) {
                stoppedAt = i;
                break;
            }
        }
        if (stoppedAt && stoppedAt < start + count) break; // only full lines stay
        const char* end =
            FormatHexLine(line.data(), start, source.substr(start, count), cells, packed, lineEnd);
        out.append(line.data(), static_cast<size_t>(end - line.data()));
        if (stoppedAt) break;
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
        // Decoded before the escaping, so that no character the decoding makes is read as markup.
        std::string source = DecodePageText(browser);
        browser.DecodedSource = TextViewSource(
            std::move(source), [&](int percent) { return step(std::to_string(percent) + "%"); });
    } else {
        const std::string secondsEnd = UiString(kUiSecondsEnd, browser.LanguageIndex);
        browser.DecodedSource = HexViewSource(
            browser.PageSource, MarkupCells(HexShownBytes(context.fonts)), "<br>",
            [&](int percent) { return step(ProgressCaption("", percent, started, secondsEnd)); });
    }
    host.RestoreStopCaption();
    browser.ConvertBusy = false;
    browser.ProcessAbort = false;
    context.decode.NeedDecode = false;
}

} // namespace qm
