#pragma once
// Program files (.qmp): the editor's lines in Windows-1251, each ending in CR LF, no header;
// and the names the editor shows for them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The lines of any text file (CR LF, LF or a lone CR end a line); nothing when the file cannot
// be read whole.
std::optional<std::vector<std::string>> LoadProgramFile(const std::string& path);

// Replaces the file whole or leaves it as it was; false when it could not be written.
bool SaveProgramFile(const std::string& path, const std::vector<std::string>& lines);

// The chosen name with ".qmp" appended unless its extension already is that, in any case.
std::string ProgramFileName(std::string_view chosen);

// The slot's caption: "+" when empty, else the file's name without folder and extension.
std::string QuickLaunchCaption(std::string_view path);

// Text split into lines as the editor holds them; a break at the very end adds no line.
std::vector<std::string> SplitProgramLines(std::string_view text);

} // namespace qm
