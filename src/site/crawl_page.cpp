#include "site/crawl_page.h"

#include <algorithm>

#include "base/ascii_case.h"
#include "base/trim.h"
#include "state/browser_state.h"
#include "tools/source_decode.h"
#include "view/scan_helpers.h"
#include "view/tag_scanner.h"

namespace qm {
namespace {

constexpr size_t kSniffBytes = 1024;

std::string_view Unquoted(std::string_view value) {
    value = TrimBlanks(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

bool ContainsNoCase(std::string_view text, std::string_view word) {
    return std::search(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
               return AsciiLower(a) == AsciiLower(b);
           }) != text.end();
}

bool IsRobotsNofollow(std::string_view tag) {
    TagAttributes attrs;
    ParseTag(tag, attrs);
    const std::string* name = scan::FirstValue(attrs, "NAME");
    const std::string* content = scan::FirstValue(attrs, "CONTENT");
    if (!name || !content || !EqualsNoCase(Unquoted(*name), "robots")) return false;
    const std::string_view words = Unquoted(*content);
    return ContainsNoCase(words, "nofollow") || EqualsNoCase(TrimBlanks(words), "none");
}

} // namespace

ViewOptions AllLinkBlocks(bool hidden) {
    ViewOptions options;
    options.HiddenAddresses = hidden;
    options.Links = true;
    options.Media = true;
    options.Linked = true;
    return options;
}

bool MayBePage(std::string_view contentType) {
    const std::string_view type = TrimBlanks(contentType.substr(0, contentType.find(';')));
    return type.empty() || EqualsNoCase(type, "text/html") ||
           EqualsNoCase(type, "application/xhtml+xml");
}

bool LooksBinary(std::string_view body) {
    return body.substr(0, kSniffBytes).find('\0') != std::string_view::npos;
}

bool ForbidsFollowing(std::string_view page) {
    for (size_t at = 0; (at = page.find('<', at)) != std::string_view::npos; ++at) {
        if (!StartsWithNoCase(page.substr(at + 1), "meta")) continue;
        const size_t end = page.find('>', at);
        if (end == std::string_view::npos) return false;
        if (IsRobotsNofollow(page.substr(at + 1, end - at - 1))) return true;
    }
    return false;
}

std::vector<PageLink> ReadPageLinks(std::string page, const std::string& address,
                                    std::string contentType, const BrowserState& decoding,
                                    bool hidden) {
    BrowserState state;
    CopyPageDecoding(decoding, state);
    state.PageSource = std::move(page);
    state.PageContentType = std::move(contentType);
    state.BaseURL = address;
    std::vector<PageLink> links = CollectPageLinks(state, AllLinkBlocks(hidden));
    std::vector<PageLink> firsts;
    for (size_t first : FirstOfEachAddress(links))
        firsts.push_back(std::move(links[first]));
    return firsts;
}

} // namespace qm
