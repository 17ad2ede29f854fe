#include "script/program_file.h"

#include "base/ascii_case.h"
#include "base/file_io.h"

namespace qm {

std::vector<std::string> SplitProgramLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() &&
            text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

std::optional<std::vector<std::string>> LoadProgramFile(const std::string& path) {
    std::string data;
    if (!ReadWholeFile(path, data)) return std::nullopt;
    return SplitProgramLines(data);
}

bool SaveProgramFile(const std::string& path, const std::vector<std::string>& lines) {
    std::string data;
    for (const std::string& line : lines)
        data += line + "\r\n";
    return WriteFileAtomically(path, data);
}

// The extension starts at the last dot of the name, not of a folder.
namespace {

std::string_view Extension(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    return path.substr(dot);
}

} // namespace

std::string ProgramFileName(std::string_view chosen) {
    std::string name(chosen);
    if (AsciiUpper(Extension(chosen)) != ".QMP") name += ".qmp";
    return name;
}

std::string QuickLaunchCaption(std::string_view path) {
    if (path.empty()) return "+";
    const size_t slash = path.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return std::string(name.substr(0, name.size() - Extension(name).size()));
}

} // namespace qm
