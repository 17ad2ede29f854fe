#pragma once
// The source view as text: the page laid out at a number of columns with the built-in 8x16
// bitmap font, line by line, as the view would show it. The command-line dump and the tests
// of the layout use it.

#include <cstdint>
#include <functional>
#include <string_view>
#include <string>
#include <vector>

#include "state/view_options.h"
#include "state/view_state.h"

namespace qm {

struct BrowserState;

struct ViewLine {
    std::string text;                 // Windows-1251
    ColorRole role = ColorRole::Text; // role of the first text placed on the line
};

// Decodes browser.PageSource (UTF-8 switch and page report as the prepare pass does),
// prepares and lays out the page at the given number of 8-pixel columns (at least 1) and
// returns every line up to the last one that holds text. Sets DecodedSource and PageTitle.
// The text and hex views are made from PageSource instead, as those views show it.
std::vector<ViewLine> LayoutViewLines(BrowserState& browser, const ViewOptions& options,
                                      int32_t columns, ViewMode mode = ViewMode::Html);

// Receives text in pieces, in order.
using TextWriter = std::function<void(std::string_view text)>;

// The same lines, each ended by a line feed, handed to write as they are laid out.
void WriteSourceView(BrowserState& browser, const ViewOptions& options, int32_t columns,
                     ViewMode mode, const TextWriter& write);
// The same lines joined.
std::string DumpSourceView(BrowserState& browser, const ViewOptions& options, int32_t columns,
                           ViewMode mode = ViewMode::Html);

// The hex view's lines as the dump lays them out at kHexLineCharacters columns or more, made
// straight from the page: no layout can change a line that fits. cellText gives the text of
// each byte the character column shows.
std::string DumpHexLines(std::string_view source,
                         const std::function<std::string(unsigned char)>& cellText);
// The same lines handed to write a stretch at a time.
void WriteHexLines(std::string_view source,
                   const std::function<std::string(unsigned char)>& cellText,
                   const TextWriter& write);

} // namespace qm
