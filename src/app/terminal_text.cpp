#include "app/terminal_text.h"

#include "base/codepage.h"

namespace qm {
namespace {

constexpr const char* kControlGlyphs[32] = {" ", "☺", "☻", "♥", "♦", "♣", "♠", "•", "◘", "○", "◙",
                                            "♂", "♀", "♪", "♫", "☼", "►", "◄", "↕", "‼", "¶", "§",
                                            "▬", "↨", "↑", "↓", "→", "←", "∟", "↔", "▲", "▼"};

} // namespace

std::string TerminalText(std::string_view lines) {
    std::string out;
    out.reserve(lines.size() + lines.size() / 8);
    size_t from = 0;
    for (size_t i = 0; i <= lines.size(); ++i) {
        const auto c = i < lines.size() ? static_cast<unsigned char>(lines[i]) : 0;
        if (i < lines.size() && ((c >= 32 && c != 127) || c == '\n')) continue;
        out += Cp1251ToUtf8(lines.substr(from, i - from));
        if (i < lines.size()) out += c == 127 ? "⌂" : kControlGlyphs[c];
        from = i + 1;
    }
    return out;
}

} // namespace qm
