#pragma once
// SiteToHex: the DecodedSource of the text view (the page escaped so that nothing in it is a
// tag, line breaks as "<br>") and of the hex view (offset, sixteen hex codes and their
// characters per line). The ordinary renderer then lays them out.

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace qm {

struct BrowserState;
struct BitmapFontState;
struct RenderContext;
class RenderHost;

enum class ConvertedView { Text, Hex };

// Called at each progress step with the step's percentage; returns false to stop (F5).
using ConversionStep = std::function<bool(int percent)>;

// The text view's replacements, each announced to step first; the ones after a refused step
// are skipped.
std::string TextViewSource(std::string source, const ConversionStep& step);

// What the character column shows for each byte: the byte itself or a space, as text.
struct HexCharacterCells {
    std::string cell[256];
};
// Which bytes the character column shows: 32 and above, or with a bitmap font active, the
// ones it draws with some width (the byte 0 never).
std::array<bool, 256> HexShownBytes(const BitmapFontState& fonts);
// The shown bytes as text for the renderer: "&", "<" and ">" escaped.
HexCharacterCells MarkupCells(const std::array<bool, 256>& shown);

// The hex view's lines, each ended by lineEnd. step is called each time the percentage grows,
// before the byte that grew it; when it refuses, that byte is still taken and only the full
// lines so far are kept.
std::string HexViewSource(std::string_view source, const HexCharacterCells& cells,
                          std::string_view lineEnd, const ConversionStep& step);

// The lines of bytes that lie at that offset of the page (a multiple of sixteen), appended to
// out, without progress steps.
void AppendHexLines(std::string& out, std::string_view bytes, size_t offset,
                    const HexCharacterCells& cells, std::string_view lineEnd);

// The width of a hex view line in characters: offset, space, sixteen codes, sixteen cells.
inline constexpr int kHexLineCharacters = 8 + 1 + 3 * 16 + 16;

// The prepare pass's conversion: captions, messages processed at each step, F5, the busy flag.
// The text view decodes UTF-8 (the F8 switch) before it escapes.
void SiteToHex(const RenderContext& context, RenderHost& host, ConvertedView view);

} // namespace qm
