#include "view/hidden_tag_finder.h"

#include "base/ascii_case.h"
#include "view/scan_helpers.h"

namespace qm {
namespace {

size_t Pair(unsigned char first, unsigned char second) {
    return size_t{first} << 8 | second;
}

} // namespace

HiddenTagFinder::HiddenTagFinder(const ViewOptions& options) {
    names_[count_++] = "/TITLE";
    if (!options.Scripts) names_[count_++] = "SCRIPT";
    if (!options.Styles) names_[count_++] = "STYLE";
    if (!options.Meta) names_[count_++] = "META";
    for (int control = 0; control < ' '; ++control) {
        for (int other = 0; other < 256; ++other) {
            starts_.set(Pair(control, other));
            starts_.set(Pair(other, control));
        }
    }
    for (size_t n = 0; n < count_; ++n)
        for (const char first : {names_[n][0], AsciiLower(names_[n][0])})
            for (const char second : {names_[n][1], AsciiLower(names_[n][1])})
                starts_.set(Pair(static_cast<unsigned char>(first),
                                 static_cast<unsigned char>(second)));
}

bool HiddenTagFinder::Matches(const char* lt, const char* end) const {
    for (size_t n = 0; n < count_; ++n) {
        const std::string_view name = names_[n];
        const char* p = lt + 1;
        size_t matched = 0;
        for (; p < end && matched < name.size(); ++p) {
            if (static_cast<unsigned char>(*p) < ' ') continue;
            if (AsciiUpper(*p) != name[matched]) break;
            ++matched;
        }
        // A name cut off by the end may still be one.
        if (matched == name.size() || p == end) return true;
    }
    return false;
}

size_t HiddenTagFinder::Find(const char* text, size_t from, size_t end) const {
    using LessThan = scan::Stops<false, '<'>;
    for (size_t at = LessThan::Find(text, from, end); at < end;
         at = LessThan::Find(text, at + 1, end)) {
        if (at + 2 < end && !starts_.test(Pair(static_cast<unsigned char>(text[at + 1]),
                                               static_cast<unsigned char>(text[at + 2]))))
            continue;
        if (Matches(text + at, text + end)) return at;
    }
    return end;
}

} // namespace qm
