#pragma once
// The view's lines for a terminal: what --dump and --run --print page write.

#include <string>
#include <string_view>

namespace qm {

// Windows-1251 lines as UTF-8, line feeds kept; the control codes 1 to 31 and 127 as the glyphs
// the DOS fonts draw for them (the byte 0 as a space), which the text and hex views show and a
// terminal would obey.
std::string TerminalText(std::string_view lines);
void AppendTerminalText(std::string& out, std::string_view lines);

} // namespace qm
