#pragma once
// The editor's ready-made programs and its first text.

#include <string>
#include <vector>

namespace qm {

inline constexpr int kTemplateCount = 5;

// The template's name in the list, in the language (0 Russian, else English).
const std::string& TemplateName(int index, int languageIndex);
// Its lines; the comments and messages are in the language.
std::vector<std::string> TemplateLines(int index, int languageIndex);
// What the editor holds before anything else is written into it.
std::vector<std::string> InitialProgram();

} // namespace qm
