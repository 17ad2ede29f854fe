#pragma once
// The editor's list of commands: how each is offered, the line it adds, its help text, and
// which one a line of the program starts with.

#include <string>
#include <string_view>

namespace qm {

inline constexpr int kCommandListSize = 22;

// "GO [\"url\"]": the square brackets mark the optional argument.
std::string_view CommandSyntax(int index);
// The line Add appends: the syntax without its brackets.
std::string CommandLineToAdd(int index);
// Help text in the language (0 Russian, else English), Windows-1251.
const std::string& CommandHelp(int index, int languageIndex);
// The first command whose word starts the trimmed, upper-cased line; -1 when none does.
int CommandIndexOfLine(std::string_view line);

} // namespace qm
