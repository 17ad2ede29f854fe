#pragma once
// The source view as text: the page laid out at a number of columns with the built-in 8x16
// bitmap font, line by line, as the view would show it. The command-line dump and the tests
// of the layout use it.

#include <cstdint>
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
std::vector<ViewLine> LayoutViewLines(BrowserState& browser, const ViewOptions& options,
                                      int32_t columns);

// The same lines joined, each ended by a line feed.
std::string DumpSourceView(BrowserState& browser, const ViewOptions& options, int32_t columns);

} // namespace qm
