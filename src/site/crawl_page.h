#pragma once
// How a site check reads one page it fetched: whether the answer is a page at all, whether the
// page lets its links be followed, and the addresses of its blocks.

#include <string>
#include <string_view>
#include <vector>

#include "view/page_links.h"

namespace qm {

// Every block that can hold an address to test, whatever the view shows by default; with
// hidden, the addresses pages hide too.
ViewOptions AllLinkBlocks(bool hidden = false);

// An HTML type (text/html, application/xhtml+xml, any case and parameters), or none given, in
// which case the body decides (LooksBinary).
bool MayBePage(std::string_view contentType);

// A NUL byte in the first kilobyte: the body is not text, whatever it was called.
bool LooksBinary(std::string_view body);

// <meta name="robots" content="nofollow"> (or "none") anywhere in the page.
bool ForbidsFollowing(std::string_view page);

// The page's Link, Media and Linked-file blocks, one per address in the order of its first
// block, read as the source view reads them: the page decoded as the browser decodes pages
// (contentType: of the answer), and resolved against address as its BASE tags leave it.
std::vector<PageLink> ReadPageLinks(std::string page, const std::string& address,
                                    std::string contentType, const BrowserState& decoding,
                                    bool hidden);

} // namespace qm
