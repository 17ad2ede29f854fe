#include "app/terminal_text.h"

#include <array>

#include "base/ascii_run.h"
#include "base/codepage.h"

namespace qm {
namespace {

constexpr const char* kControlGlyphs[32] = {" ", "☺", "☻", "♥", "♦", "♣", "♠", "•", "◘", "○", "◙",
                                            "♂", "♀", "♪", "♫", "☼", "►", "◄", "↕", "‼", "¶", "§",
                                            "▬", "↨", "↑", "↓", "→", "←", "∟", "↔", "▲", "▼"};

// The UTF-8 text of every byte that is not printable ASCII.
const std::array<std::string, 256>& ByteTexts() {
    static const std::array<std::string, 256> texts = [] {
        std::array<std::string, 256> made;
        for (int byte = 0; byte < 256; ++byte) {
            const char c = static_cast<char>(byte);
            made[byte] = byte == '\n'  ? "\n"
                         : byte < 32    ? kControlGlyphs[byte]
                         : byte == 127  ? "⌂"
                                        : Cp1251ToUtf8(std::string_view(&c, 1));
        }
        return made;
    }();
    return texts;
}

} // namespace

void AppendTerminalText(std::string& out, std::string_view lines) {
    const std::array<std::string, 256>& texts = ByteTexts();
    out.reserve(out.size() + lines.size() + lines.size() / 8);
    const char* text = lines.data();
    for (size_t i = 0; i < lines.size();) {
        const size_t end = PrintableAsciiEnd(text, i, lines.size());
        out.append(text + i, end - i);
        if (end == lines.size()) break;
        out += texts[static_cast<unsigned char>(text[end])];
        i = end + 1;
    }
}

std::string TerminalText(std::string_view lines) {
    std::string out;
    AppendTerminalText(out, lines);
    return out;
}

} // namespace qm
