#pragma once
// Every block of a page in page order, as the paint pass scans it: what the view shows of the
// page as data, and the walk the link collection is built on.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "state/view_options.h"

namespace qm {

struct BrowserState;
struct DisplayBlock;
struct ScanState;

// The text the scanner reads for a page: its source decoded as the view decodes it, without the
// request report, so that lines count from the page's own first line.
struct PageWalk {
    std::string source;   // Windows-1251
    std::string baseUrl;  // as the page's BASE tags leave it, once the walk is over
    std::vector<size_t> lineStarts;
    int32_t LineAt(size_t offset) const;
};

// Called with every block the options show, the scanner's state just after the block was made
// and the text of the tag that set it.
using BlockVisitor =
    std::function<void(const DisplayBlock& block, const ScanState& state, std::string_view tag)>;

// Scans the page as the paint pass does and hands each block to visit.
PageWalk WalkPageBlocks(const BrowserState& page, const ViewOptions& options,
                        const BlockVisitor& visit);

enum class PageBlockKind {
    Link,
    Anchor,
    Media,
    LinkedFile,
    Script,
    Style,
    Form,
    Meta,
    Comment,
    MaybeUrl,
    Hidden
};
// "link", "anchor", "media", "linked-file", "script", "style", "form", "meta", "comment",
// "maybe-url", "hidden".
const char* PageBlockKindName(PageBlockKind kind);

struct PageBlock {
    int32_t line = 0; // 1-based line of the page source where the block's tag starts
    PageBlockKind kind = PageBlockKind::Link;
    std::string label;   // the block's first line before its address
    bool addressed = false; // the block holds an address, which may be empty (the page itself)
    std::string written;    // the address as the block holds it
    std::string address;    // written, resolved against the page's base
    std::string where;   // of a hidden address: where it was found
    // The attributes of the tag that made the block: names in lower case, values unquoted.
    std::vector<std::pair<std::string, std::string>> attributes;
};

// Every block the options show, in page order. Texts are Windows-1251.
std::vector<PageBlock> CollectPageBlocks(const BrowserState& page, const ViewOptions& options);

// The options that show every kind of block, hidden addresses only when asked.
ViewOptions EveryBlock(bool hiddenAddresses);

} // namespace qm
