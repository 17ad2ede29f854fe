#pragma once
// Where the program editor colours its text: keywords bold wherever they stand as whole words,
// and comment lines from their "//" to the end of the line.

#include <cstddef>
#include <string_view>
#include <vector>

namespace qm {

enum class HighlightKind { Keyword, Comment };

struct HighlightSpan {
    size_t start = 0;
    size_t length = 0;
    HighlightKind kind = HighlightKind::Keyword;
    bool operator==(const HighlightSpan&) const = default;
};

// Positions count bytes of text as given; a line break may be LF or CR LF.
std::vector<HighlightSpan> HighlightProgram(std::string_view text);

} // namespace qm
