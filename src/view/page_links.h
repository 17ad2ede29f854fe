#pragma once
// The addresses of a page's Link, Media and Linked-file blocks with their places in the page,
// and the frames that mark the broken ones in the view.

#include <cstdint>
#include <string>
#include <vector>

#include "base/bitmap.h"
#include "net/link_test.h"
#include "state/view_options.h"
#include "state/view_state.h"

namespace qm {

struct BrowserState;

enum class LinkBlockKind { Link, Media, LinkedFile };

struct PageLink {
    int32_t line = 0; // 1-based line of the page source where the block's tag starts
    LinkBlockKind kind = LinkBlockKind::Link;
    std::string written; // as the block's ViewObject holds it: no quotes, "&amp;" as "&"
    std::string address; // ResolveLink against the page's base
    // A LINK tag that names another page (rel next, prev, search, ...) rather than a file the
    // page needs to show (a stylesheet, an icon, a preload, a manifest).
    bool navigation = false;
};

// Whether the sources of SCRIPT tags count, as Linked-file blocks: a rip saves them with the
// page's stylesheets; a link check leaves them, as the view shows them as scripts.
enum class ScriptSources { Left, AsLinkedFiles };

// The Link (links, areas, frames), Media and Linked-file blocks the options show, in page order.
// The page source is decoded again without the request report, so that lines count from the
// page's own first line, and scanned as the paint pass scans it; addresses are resolved
// against BaseURL as the page's BASE tags leave it, as clicks resolve them.
// With ScriptSources::AsLinkedFiles the options must show scripts.
std::vector<PageLink> CollectPageLinks(const BrowserState& page, const ViewOptions& options,
                                       ScriptSources scripts = ScriptSources::Left);

// Every address once, in the order of first appearance: the index of its first link.
std::vector<size_t> FirstOfEachAddress(const std::vector<PageLink>& links);

// Red frames around the bands of the broken objects of a shown picture (already enlarged by
// zoom), so that they stand out while the page scrolls.
void FrameBrokenObjects(Bitmap& picture, const std::vector<ViewObject>& objects, int32_t zoom);

} // namespace qm
