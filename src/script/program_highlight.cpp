#include "script/program_highlight.h"

#include <string>

#include "base/ascii_case.h"

namespace qm {
namespace {

constexpr std::string_view kKeywords[] = {
    "go",       "testurl",  "setbaseurl", "sety",      "getsource", "setsource",
    "dostowin", "wintodos", "delbef",     "delaft",    "deperc",    "deslash",
    "retbef",   "retaft",   "delexcept",  "testlinks", "sfirst",    "snext",
    "slast",    "noselx",   "x",          "close",
};

// Longer than every keyword and the separator after it.
constexpr size_t kWordWindow = 13;

bool IsSeparator(char c) {
    return std::string_view(" ,(){}[]-+*%/=\"'~!&|<>?:;.\r\n").find(c) != std::string_view::npos;
}

// The keyword that starts at pos as a whole word, or an empty view.
std::string_view KeywordAt(std::string_view text, size_t pos) {
    std::string window;
    for (size_t i = pos; i < text.size() && window.size() < kWordWindow; ++i)
        window += AsciiLower(text[i]);
    if (window.size() < kWordWindow) window += ' '; // the end of the text ends a word
    for (std::string_view keyword : kKeywords)
        if (window.compare(0, keyword.size(), keyword) == 0 && window.size() > keyword.size() &&
            IsSeparator(window[keyword.size()]))
            return keyword;
    return {};
}

} // namespace

std::vector<HighlightSpan> HighlightProgram(std::string_view text) {
    std::vector<HighlightSpan> spans;
    bool lineStarted = false; // a non-blank character has come on this line
    size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        if (!lineStarted && text.compare(pos, 2, "//") == 0) {
            size_t end = text.find('\n', pos);
            if (end == std::string_view::npos) end = text.size();
            if (end > pos && text[end - 1] == '\r') --end;
            spans.push_back({pos, end - pos, HighlightKind::Comment});
            pos = end;
            continue;
        }
        if (c == '\n')
            lineStarted = false;
        else if (static_cast<unsigned char>(c) > ' ')
            lineStarted = true;
        if (pos == 0 || IsSeparator(text[pos - 1])) {
            const std::string_view keyword = KeywordAt(text, pos);
            if (!keyword.empty()) {
                spans.push_back({pos, keyword.size(), HighlightKind::Keyword});
                pos += keyword.size();
                continue;
            }
        }
        ++pos;
    }
    return spans;
}

} // namespace qm
