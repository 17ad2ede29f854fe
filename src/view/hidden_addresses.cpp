#include "view/hidden_addresses.h"

#include "view/tag_scanner.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/ascii_case.h"
#include "base/trim.h"
#include "tools/attribute_text.h"
#include "tools/css_addresses.h"
#include "tools/text_replace.h"
#include "view/scan_helpers.h"

namespace qm {
namespace {

constexpr size_t npos = std::string_view::npos;

// What ends an address in a script; a backslash may still be the start of "\/".
using AddressStops = scan::Stops<true, ' ', '"', '\'', '`', '<', '>', ')', ']', '}', '\\'>;

void Push(std::vector<HiddenAddress>& out, std::string_view where, std::string_view value,
          HiddenUse use) {
    value = TrimBlanks(value);
    // A data: address holds its file, maybe megabytes of it: there is nothing to fetch.
    if (value.empty() || StartsWithNoCase(value, "data:")) return;
    out.push_back({std::string(where), std::string(value), use});
}

// An attribute value as the page means it.
std::string AttrText(std::string_view raw) {
    return scan::Amp(DeQuote(raw));
}

// A style attribute's text. Pages quote url() values there as "&quot;", which must be read
// before the quotes can be; an "&amp;quot;" stays "&quot;".
std::string StyleText(std::string_view raw) {
    std::string text = DeQuote(raw);
    for (auto [reference, quote] : {std::pair{"&quot;", "\""}, std::pair{"&#34;", "\""},
                                    std::pair{"&apos;", "'"}, std::pair{"&#39;", "'"}})
        if (text.find(reference) != npos)
            text = ReplaceText(text, reference, quote, ReplaceFlags::ReplaceAll);
    return scan::Amp(text);
}

// Checked before a value is copied, so that a megabyte data: value is not.
bool IsDataValue(std::string_view raw) {
    if (!raw.empty() && scan::IsQuote(raw.front())) raw.remove_prefix(1);
    return StartsWithNoCase(TrimBlanks(raw), "data:");
}

bool Given(const TagAttributes& attrs, std::string_view name) {
    const std::string* value = scan::FirstValue(attrs, name);
    return value && !value->empty();
}

bool ContainsNoCase(std::string_view text, std::string_view word) {
    for (size_t i = 0; i + word.size() <= text.size(); ++i)
        if (EqualsNoCase(text.substr(i, word.size()), word)) return true;
    return false;
}

// A LINK whose rel names a file the page needs that the scanner's LINK rules do not show.
bool NamesNeededFile(std::string_view rel) {
    for (size_t i = 0; i < rel.size();) {
        while (i < rel.size() && scan::IsBlank(rel[i]))
            ++i;
        const size_t start = i;
        while (i < rel.size() && !scan::IsBlank(rel[i]))
            ++i;
        const std::string_view word = rel.substr(start, i - start);
        for (std::string_view kind : {"preload", "manifest", "modulepreload", "prefetch"})
            if (EqualsNoCase(word, kind)) return true;
        if (ContainsNoCase(word, "icon")) return true;
    }
    return false;
}

// The address of a refresh's content ("5; url=a.html", "0;URL='a.html'", "5, a.html"), read as
// browsers read it; empty when there is none.
std::string_view RefreshAddress(std::string_view content) {
    const size_t n = content.size();
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < n && scan::IsBlank(content[i]))
            ++i;
    };
    skipBlanks();
    const size_t delay = i;
    while (i < n && ((content[i] >= '0' && content[i] <= '9') || content[i] == '.'))
        ++i;
    if (i == delay || i == n) return {};
    if (!scan::IsBlank(content[i]) && content[i] != ';' && content[i] != ',') return {};
    skipBlanks();
    if (i < n && (content[i] == ';' || content[i] == ',')) ++i;
    skipBlanks();
    if (StartsWithNoCase(content.substr(i), "url")) {
        size_t eq = i + 3;
        while (eq < n && scan::IsBlank(content[eq]))
            ++eq;
        if (eq < n && content[eq] == '=') {
            i = eq + 1;
            skipBlanks();
        }
    }
    std::string_view address = content.substr(i);
    if (!address.empty() && scan::IsQuote(address[0])) {
        const size_t close = address.find(address[0], 1);
        address = address.substr(1, close == npos ? npos : close - 1);
    }
    return address;
}

// Past the descriptors of a srcset candidate ("1x", "100w", maybe with parentheses), and past
// the comma that ends them.
void SkipDescriptors(std::string_view s, size_t& i) {
    bool inParens = false;
    for (; i < s.size(); ++i) {
        if (inParens)
            inParens = s[i] != ')';
        else if (s[i] == ',')
            break;
        else
            inParens = s[i] == '(';
    }
    if (i < s.size()) ++i;
}

bool IsSchemeChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '-' || c == '.';
}

// Where "http" or "https" ends at the colon as a scheme of its own, or npos.
size_t SchemeStart(std::string_view text, size_t colon) {
    size_t start;
    if (colon >= 5 && EqualsNoCase(text.substr(colon - 5, 5), "https"))
        start = colon - 5;
    else if (colon >= 4 && EqualsNoCase(text.substr(colon - 4, 4), "http"))
        start = colon - 4;
    else
        return npos;
    return start > 0 && IsSchemeChar(text[start - 1]) ? npos : start;
}

enum class Kind { Plain, Srcset, Style, Refresh };

struct Rule {
    std::string_view attr; // upper-case, as ParseTag names it
    std::string_view where;
    Kind kind = Kind::Plain;
    HiddenUse use = HiddenUse::Media;
};

void AddressesOfValue(const Rule& rule, const std::string& raw, std::vector<HiddenAddress>& out) {
    if (rule.kind == Kind::Plain) {
        if (!IsDataValue(raw)) Push(out, rule.where, AttrText(raw), rule.use);
        return;
    }
    const std::string text = rule.kind == Kind::Style ? StyleText(raw) : AttrText(raw);
    if (rule.kind == Kind::Srcset) {
        for (std::string_view url : SrcsetCandidates(text))
            Push(out, rule.where, url, rule.use);
    } else if (rule.kind == Kind::Style) {
        for (const CssAddress& address : CssAddressList(text))
            if (address.form == CssForm::Url) Push(out, rule.where, address.value, rule.use);
    } else {
        Push(out, rule.where, RefreshAddress(text), rule.use);
    }
}

} // namespace

void HiddenAddressesOfTag(std::string_view tagName, const TagAttributes& attrs, ShownAlready shown,
                          std::vector<HiddenAddress>& out) {
    std::array<Rule, 10> rules = {{
        {"SRCSET", "srcset", Kind::Srcset},
        {"DATA-SRCSET", "data-srcset", Kind::Srcset},
        {"DATA-SRC", "data-src"},
        {"DATA-ORIGINAL", "data-original"},
        {"DATA-BG", "data-bg"},
        {"DATA-BACKGROUND", "data-background"},
        {"STYLE", "style url()", Kind::Style},
    }};
    size_t count = 7;
    const TagId id = scan::Tags().Find(tagName).id;
    // With media shown the scanner shows a media tag's poster itself when it has no src.
    if (!(shown.media && id == TagId::Media && !Given(attrs, "SRC") && Given(attrs, "POSTER")))
        rules[count++] = {"POSTER", "poster"};
    std::string linkWhere;
    if (id == TagId::Object && !shown.media) {
        rules[count++] = {"DATA", "OBJECT data"};
    } else if (EqualsNoCase(tagName, "EMBED") && !shown.media) {
        rules[count++] = {"SRC", "EMBED src"};
    } else if (id == TagId::Link && !shown.linked) {
        const std::string* rel = scan::FirstValue(attrs, "REL");
        if (rel && NamesNeededFile(DeQuote(*rel))) {
            linkWhere = "LINK " + std::string(TrimBlanks(DeQuote(*rel)));
            rules[count++] = {"HREF", linkWhere, Kind::Plain, HiddenUse::LinkedFile};
        }
    } else if (id == TagId::Meta) {
        const std::string* equiv = scan::FirstValue(attrs, "HTTP-EQUIV");
        if (equiv && EqualsNoCase(TrimBlanks(DeQuote(*equiv)), "refresh"))
            rules[count++] = {"CONTENT", "refresh", Kind::Refresh, HiddenUse::Link};
    }

    // Of an attribute named twice the first counts, as it does for the scanner.
    std::array<bool, rules.size()> done{};
    const size_t attrCount = std::min(attrs.AttrNames.size(), attrs.AttrValues.size());
    for (size_t i = 0; i < attrCount; ++i) {
        for (size_t r = 0; r < count; ++r) {
            if (done[r] || attrs.AttrNames[i] != rules[r].attr) continue;
            done[r] = true;
            AddressesOfValue(rules[r], attrs.AttrValues[i], out);
            break;
        }
    }
}

void HiddenAddressesInStyle(std::string_view css, std::vector<HiddenAddress>& out) {
    for (const CssAddress& address : CssAddressList(css)) {
        const bool import = address.form == CssForm::Import;
        Push(out, import ? "@import" : "STYLE url()", scan::Amp(address.value),
             import ? HiddenUse::LinkedFile : HiddenUse::Media);
    }
}

void HiddenAddressesInScript(std::string_view text, bool jsonLd, std::vector<HiddenAddress>& out) {
    const std::string_view where = jsonLd ? "JSON-LD" : "script text";
    std::string value;
    for (size_t from = 0, colon; (colon = text.find(':', from)) != npos;) {
        from = colon + 1;
        const size_t start = SchemeStart(text, colon);
        if (start == npos) continue;
        size_t at = colon + 1;
        if (text.substr(at, 2) == "//")
            at += 2;
        else if (text.substr(at, 4) == "\\/\\/")
            at += 4;
        else
            continue;
        value.assign(text.substr(start, colon + 1 - start)).append("//");
        const size_t schemeEnd = value.size();
        for (;;) {
            const size_t stop = AddressStops::Find(text.data(), at, text.size());
            value.append(text.substr(at, stop - at));
            at = stop;
            if (at + 1 >= text.size() || text[at] != '\\' || text[at + 1] != '/') break;
            value += '/';
            at += 2;
        }
        // Whatever the address met is no scheme character: the next one starts after it.
        from = at;
        std::string address = scan::Amp(value);
        while (address.size() > schemeEnd && std::string_view(".,;:").find(address.back()) != npos)
            address.pop_back();
        if (address.size() > schemeEnd)
            out.push_back({std::string(where), std::move(address), HiddenUse::Link});
    }
}

std::vector<std::string_view> SrcsetCandidates(std::string_view srcset) {
    std::vector<std::string_view> urls;
    size_t i = 0;
    for (;;) {
        while (i < srcset.size() && (scan::IsBlank(srcset[i]) || srcset[i] == ','))
            ++i;
        if (i >= srcset.size()) break;
        const size_t start = i;
        while (i < srcset.size() && !scan::IsBlank(srcset[i]))
            ++i;
        std::string_view url = srcset.substr(start, i - start);
        // Commas at the end of the URL end the candidate; one inside it belongs to it.
        if (url.back() == ',') {
            while (url.back() == ',')
                url.remove_suffix(1);
        } else {
            SkipDescriptors(srcset, i);
        }
        urls.push_back(url);
    }
    return urls;
}

} // namespace qm
