#pragma once
// One line of a program as the interpreter reads it: blank, comment, a command with its
// argument, or a line it does not know.

#include <optional>
#include <string>
#include <string_view>

#include "state/script_commands.h"

namespace qm {

enum class LineKind { Blank, Comment, Command, Unknown };

struct ScriptLine {
    LineKind kind = LineKind::Blank;
    ScriptCommand command = ScriptCommand::Go;
    // Only a command word followed by more text has one; quotes are removed, case is kept.
    std::optional<std::string> argument;
};

ScriptLine ParseScriptLine(std::string_view line);

// The argument of SETY: a signed decimal number that fits 32 bits; nothing else.
std::optional<int32_t> ParseOffset(std::string_view text);

} // namespace qm
