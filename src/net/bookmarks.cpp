#include "net/bookmarks.h"

#include <cstdio>
#include <vector>

#include "state/browser_state.h"
#include "base/file_io.h"
#include "base/format.h"
#include "state/ui_strings.h"
#include "tools/markup_escape.h"
#include "base/codepage.h"

namespace qm {

namespace {

const std::string& Ui(const BrowserState& state, int index) {
    return UiString(index, state.LanguageIndex);
}

// One line of the file: a line break inside a title or an address would shift every later
// pair by one line, so it becomes a space.
std::string AsOneLine(const std::string& text) {
    std::string line = text;
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    return line;
}

// Lines ended by CR LF, a lone LF (an editor of this platform) or a lone CR. A break at the
// very end does not start another line.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lines.push_back(std::move(line));
        line.clear();
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

bool ReadFile(const std::string& path, std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::fclose(file);
    bytes = GetFileToString(path);
    return true;
}

// Whether the file ends without a line break, so that an appended pair would be glued to the
// last line.
bool EndsMidLine(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    bool midLine = false;
    if (std::fseek(file, -1, SEEK_END) == 0) {
        const int last = std::fgetc(file);
        midLine = last != '\n' && last != '\r';
    }
    std::fclose(file);
    return midLine;
}

std::string FileAddress(const std::string& folder) {
    std::string address = "file://" + folder;
    for (char& c : address)
        if (c == '\\') c = '/';
    return address + "bro.ini";
}

// Titles and addresses come from pages and servers: they must not add markup of their own.
std::string Link(const std::string& address, const std::string& text) {
    return "<a href=\"" + EscapeAddressAttribute(address) + "\">" + EscapeMarkup(text) + "</a>";
}

} // namespace

std::string BroIniPath(const BrowserState& state) {
    return state.DataFolder + "bro.ini";
}

std::string DefaultBroIniContent(int languageIndex) {
    const std::pair<std::string, const char*> pairs[] = {
        {"Ferngrove Studios", kMakerHomePage},
        {UiString(190, languageIndex), kMakerForum},
        {UiString(191, languageIndex), kMakerFontsPage},
        {UiString(192, languageIndex), kLatestVersionArchive},
    };
    std::string content;
    for (const auto& [title, address] : pairs)
        content += title + "\r\n" + address + "\r\n";
    return content;
}

bool EnsureBroIni(const BrowserState& state) {
    const std::string path = BroIniPath(state);
    if (FileExists(path)) return true;
    WriteFileAtomically(path, DefaultBroIniContent(state.LanguageIndex));
    return FileExists(path);
}

std::string RefreshBookmarks(const BrowserState& state) {
    std::string bytes;
    if (!EnsureBroIni(state) || !ReadFile(BroIniPath(state), bytes))
        return Ui(state, 86) + "<br><br>" + Ui(state, 87) + Utf8ToCp1251(BroIniPath(state));

    std::string page = "<html><body>" + Ui(state, 85) + "<br>" +
                       Link(FileAddress(Utf8ToCp1251(state.DataFolder)), "") + "<br><br>" + Ui(state, 86) +
                       "<br><br>";
    const std::vector<std::string> lines = SplitLines(bytes);
    int number = 1;
    for (size_t i = 0; i < lines.size(); i += 2, ++number) {
        const std::string address = i + 1 < lines.size() ? lines[i + 1] : std::string();
        page += Link(address, std::to_string(number) + ". " + lines[i]) + "<br><br>";
    }
    if (lines.empty()) page += Ui(state, 65) + "<br><br>";
    return page + "</body></html>";
}

bool AppendToBroIni(const BrowserState& state, const std::string& title,
                    const std::string& address) {
    if (!EnsureBroIni(state)) return false;
    const std::string path = BroIniPath(state);
    std::string pair = AsOneLine(title) + "\r\n" + AsOneLine(address) + "\r\n";
    if (EndsMidLine(path)) pair.insert(0, "\r\n");
    return AppendWholeOrNothing(path, pair);
}

std::string BuildHistoryPage(const BrowserState& state) {
    const auto& history = state.History;
    std::string body;
    int64_t traffic = 0;
    if (history.empty()) body = "<br>" + Ui(state, 65) + "<br>";
    for (size_t i = history.size(); i-- > 0;) {
        const HistoryEntry& entry = history[i];
        body +=
            "<br>" + std::to_string(i + 1) + ". " + Ui(state, 60 + static_cast<int>(entry.Kind));
        if (entry.Traffic >= 0) {
            body += " (" + BytesToStr(entry.Traffic) + Ui(state, 0) + ")";
            traffic += entry.Traffic;
        }
        body += "<br>" + Link(entry.URL, entry.FileName) + "<br>";
    }
    return Ui(state, 59) + "<br>" + Ui(state, 66) + Bytes64ToStr(traffic) + Ui(state, 0) + "<br>" +
           body;
}

} // namespace qm
