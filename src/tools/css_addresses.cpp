#include "site/css_addresses.h"

#include <unordered_set>

#include "base/ascii_case.h"
#include "base/trim.h"

namespace qm {
namespace {

// The value that starts at text[at] (after "url(" or "@import"): a quoted string, or for url(
// everything up to ")". at moves past what was read; empty when nothing usable is there.
std::string_view ValueAt(std::string_view text, size_t& at, bool inUrl) {
    while (at < text.size() && static_cast<unsigned char>(text[at]) <= ' ')
        ++at;
    if (at >= text.size()) return {};
    const char quote = text[at];
    if (quote == '"' || quote == '\'') {
        const size_t end = text.find(quote, at + 1);
        if (end == std::string_view::npos) return {};
        const std::string_view value = text.substr(at + 1, end - at - 1);
        at = end + 1;
        return value;
    }
    if (!inUrl) return {};
    const size_t end = text.find(')', at);
    if (end == std::string_view::npos) return {};
    const std::string_view value = TrimBlanks(text.substr(at, end - at));
    at = end + 1;
    return value;
}

bool Found(std::string_view text, size_t at, std::string_view word) {
    return text.size() - at >= word.size() && StartsWithNoCase(text.substr(at), word);
}

} // namespace

std::vector<std::string> CssAddresses(std::string_view css) {
    std::vector<std::string> addresses;
    std::unordered_set<std::string_view> seen;
    for (size_t at = 0; at < css.size();) {
        const size_t next = css.find_first_of("uU@", at);
        if (next == std::string_view::npos) break;
        at = next;
        std::string_view value;
        if (Found(css, at, "url(")) {
            at += 4;
            value = ValueAt(css, at, true);
        } else if (Found(css, at, "@import")) {
            at += 7;
            const size_t afterWord = at;
            value = ValueAt(css, at, false);
            if (value.empty()) at = afterWord; // "@import url(...)": the url( is read next
        } else {
            ++at;
            continue;
        }
        if (!value.empty() && !StartsWithNoCase(value, "data:") && seen.insert(value).second)
            addresses.emplace_back(value);
    }
    return addresses;
}

} // namespace qm
