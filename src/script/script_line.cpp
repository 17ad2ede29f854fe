#include "script/script_line.h"

#include <charconv>
#include <cstdint>

#include "base/ascii_case.h"
#include "base/trim.h"
#include "tools/attribute_text.h"

namespace qm {

ScriptLine ParseScriptLine(std::string_view line) {
    const std::string_view trimmed = TrimBlanks(line);
    const std::string upper = AsciiUpper(trimmed);
    ScriptLine parsed;
    if (upper.empty()) return parsed;
    // "//" alone is no comment: a comment needs something after the slashes.
    if (upper.size() > 2 && upper.compare(0, 2, "//") == 0) {
        parsed.kind = LineKind::Comment;
        return parsed;
    }
    for (const CommandWord& entry : kCommandWords) {
        const bool matches = entry.match == CommandMatch::Prefix
                                 ? upper.compare(0, entry.word.size(), entry.word) == 0
                                 : upper == entry.word;
        if (!matches) continue;
        parsed.kind = LineKind::Command;
        parsed.command = entry.command;
        if (entry.match == CommandMatch::Prefix && trimmed.size() > entry.word.size())
            parsed.argument = DeQuote(TrimBlanks(trimmed.substr(entry.word.size())));
        return parsed;
    }
    parsed.kind = LineKind::Unknown;
    return parsed;
}

std::optional<int32_t> ParseOffset(std::string_view text) {
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    int32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

} // namespace qm
