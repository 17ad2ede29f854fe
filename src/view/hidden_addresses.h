#pragma once
// Resource addresses a page holds where the tag scanner does not look: srcset candidates, lazy
// loading attributes, url() in styles, icons and preloads, refresh targets, and absolute
// addresses in scripts. The scanner shows them as blocks when asked to.

#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct TagAttributes;

// What a hidden address is to a rip: a file the page shows, a file it needs, or another page.
enum class HiddenUse { Media, LinkedFile, Link };

struct HiddenAddress {
    std::string where; // where it was found, as the block label names it
    std::string value; // quotes removed, "&amp;" turned into "&", blanks trimmed
    HiddenUse use = HiddenUse::Media;
};

// What the scanner already shows as blocks with the current options, so that nothing is shown
// twice.
struct ShownAlready {
    bool media = true;
    bool linked = false;
};

// The hidden addresses of one tag, appended in attribute order. tagName is upper-case without
// "<"; attrs are as ParseTag leaves them. Of attributes named twice the first counts, as it
// does for the scanner. data: values and empty ones are left out everywhere.
void HiddenAddressesOfTag(std::string_view tagName, const TagAttributes& attrs, ShownAlready shown,
                          std::vector<HiddenAddress>& out);

// url(...) ("STYLE url()", Media) and @import ("@import", LinkedFile) in the text of a STYLE
// block.
void HiddenAddressesInStyle(std::string_view css, std::vector<HiddenAddress>& out);

// Every absolute http:// or https:// address in the text of a SCRIPT block, or of JSON-LD
// when jsonLd ("script text" or "JSON-LD", Link). "\/" is read as "/"; trailing ".,;:" are
// dropped.
void HiddenAddressesInScript(std::string_view text, bool jsonLd, std::vector<HiddenAddress>& out);

// The URLs of a srcset value, read as browsers read it: a URL runs to the next blank, and
// commas at its end separate it from the next candidate.
std::vector<std::string_view> SrcsetCandidates(std::string_view srcset);

} // namespace qm
