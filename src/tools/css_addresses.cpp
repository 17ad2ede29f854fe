#include "tools/css_addresses.h"

#include <unordered_set>

#include "base/ascii_case.h"
#include "base/trim.h"

namespace qm {
namespace {

// Reads the values of one stylesheet. A closing ")" or quote that is not found from one place
// on is not found from any later place either, so a missing one is looked for only once: a
// sheet of many unclosed "url(" stays linear.
class ValueReader {
  public:
    explicit ValueReader(std::string_view text) : text_(text) {}

    // The value that starts at text[at] (after "url(" or "@import"): a quoted string, or for
    // url( everything up to ")". at moves past what was read; empty when nothing usable is
    // there.
    std::string_view ValueAt(size_t& at, bool inUrl) {
        while (at < text_.size() && static_cast<unsigned char>(text_[at]) <= ' ')
            ++at;
        if (at >= text_.size()) return {};
        const char quote = text_[at];
        if (quote == '"' || quote == '\'') {
            const size_t end = Find(quote, at + 1, quote == '"' ? noDouble_ : noSingle_);
            if (end == std::string_view::npos) return {};
            const std::string_view value = text_.substr(at + 1, end - at - 1);
            at = end + 1;
            return value;
        }
        if (!inUrl) return {};
        const size_t end = Find(')', at, noParen_);
        if (end == std::string_view::npos) return {};
        const std::string_view value = TrimBlanks(text_.substr(at, end - at));
        at = end + 1;
        return value;
    }

  private:
    size_t Find(char c, size_t from, bool& absent) {
        if (absent) return std::string_view::npos;
        const size_t end = text_.find(c, from);
        absent = end == std::string_view::npos;
        return end;
    }

    std::string_view text_;
    bool noDouble_ = false, noSingle_ = false, noParen_ = false;
};

bool Found(std::string_view text, size_t at, std::string_view word) {
    return StartsWithNoCase(text.substr(at), word);
}

} // namespace

std::vector<CssAddress> CssAddressList(std::string_view css) {
    std::vector<CssAddress> addresses;
    ValueReader reader(css);
    for (size_t at = 0; at < css.size();) {
        const size_t next = css.find_first_of("uU@", at);
        if (next == std::string_view::npos) break;
        at = next;
        std::string_view value;
        CssForm form = CssForm::Url;
        if (Found(css, at, "url(")) {
            at += 4;
            value = reader.ValueAt(at, true);
        } else if (Found(css, at, "@import")) {
            at += 7;
            form = CssForm::Import;
            const size_t afterWord = at;
            while (at < css.size() && static_cast<unsigned char>(css[at]) <= ' ')
                ++at;
            if (Found(css, at, "url(")) {
                at += 4;
                value = reader.ValueAt(at, true);
            } else {
                value = reader.ValueAt(at, false);
                if (value.empty()) at = afterWord;
            }
        } else {
            ++at;
            continue;
        }
        if (!value.empty() && !StartsWithNoCase(TrimBlanks(value), "data:"))
            addresses.push_back({std::string(value), form});
    }
    return addresses;
}

std::vector<std::string> CssAddresses(std::string_view css) {
    std::vector<std::string> addresses;
    std::unordered_set<std::string> seen;
    for (CssAddress& address : CssAddressList(css))
        if (seen.insert(address.value).second) addresses.push_back(std::move(address.value));
    return addresses;
}

} // namespace qm
