#pragma once
// The text tools of the object info area: each works on the browser's model of the area and
// of the search field, so a button, a key and a script line run the same operation, with or
// without a window. The tools that fetch or replace the page are in net/info_page_tools.h.

#include <string>
#include <string_view>

namespace qm {

class Browser;

enum class SplitPlace { Before, After };
enum class SearchFrom { First, Next, Last };
enum class AreaConversion { DosToWin, WinToDos };

// Calls visit(line, offset) for each line of text cut at CR LF. The text after the last break
// is a line too; a break at the very end adds no empty line.
template <typename Visit> void ForEachLine(std::string_view text, Visit&& visit) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        visit(text.substr(start, end - start), start);
        start = end + 2;
    }
}

// Every occurrence of term (case-sensitive) set apart by an empty line: two line breaks before
// it or after it. An empty term leaves the text as it is.
std::string SplitAtTerm(std::string_view text, std::string_view term, SplitPlace place);

// With a search text: the lines that contain it (case-sensitive), each followed by an empty
// line. Without: the lines that are not blank, unchanged, each ending in a line break.
std::string KeepLinesWith(std::string_view text, std::string_view search);

// Offset of the hit of a search that starts at from (First and Last ignore it), or npos. Last
// counts overlapping hits; nothing wraps around to the top.
size_t FindInText(std::string_view text, std::string_view term, size_t from, SearchFrom how);

// The tools. Those that rewrite the area hide it while they work and show it again focused.
void DeleteBefore(Browser& browser);
void DeleteAfter(Browser& browser);
void DecodePercentCodes(Browser& browser);
void DecodeEscapes(Browser& browser);
// The term is the selection, else the search text; with neither the caption says so.
void SplitText(Browser& browser, SplitPlace place);
void KeepLines(Browser& browser);
// F3, Ctrl+F3, Ctrl+Shift+F3. A failed search leaves nothing selected.
void SearchText(Browser& browser, SearchFrom how);
// The whole area from DOS 866 to Windows-1251 or back.
void ConvertAreaCodePage(Browser& browser, AreaConversion conversion);
// Ctrl+E: the page source, lines ending in CR LF, into the area.
void ShowPageSource(Browser& browser);

} // namespace qm
