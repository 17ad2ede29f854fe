#include "tools/text_replace.h"

#include <cstring>
#include <vector>

#include "base/ansi_case.h"

namespace qm {
namespace {

// Knuth-Morris-Pratt over folded bytes, so that hostile sources ("aaaa...ab" against "aaab")
// stay linear. Fold is the identity or the Windows-1251 upper-case table.
template <bool Fold> class PatternFinder {
  public:
    explicit PatternFinder(std::string_view pattern)
        : upper_(AnsiUpperTable()), pattern_(pattern), fallback_(pattern.size(), 0) {
        if constexpr (Fold)
            for (char& c : pattern_)
                c = static_cast<char>(Folded(c));
        for (size_t i = 1, k = 0; i < pattern_.size(); ++i) {
            while (k > 0 && pattern_[i] != pattern_[k])
                k = fallback_[k - 1];
            if (pattern_[i] == pattern_[k]) ++k;
            fallback_[i] = k;
        }
    }

    // Start of the first match at or after from, or npos. A search starts afresh at from:
    // matches never overlap, so nothing before from can belong to the next one.
    size_t Find(std::string_view text, size_t from) const {
        const size_t length = pattern_.size();
        size_t matched = 0;
        for (size_t i = from; i < text.size(); ++i) {
            if (matched == 0) {
                i = SkipToFirstByte(text, i);
                if (i == text.size()) break;
            }
            unsigned char c = Folded(text[i]);
            while (matched > 0 && c != static_cast<unsigned char>(pattern_[matched]))
                matched = fallback_[matched - 1];
            if (c == static_cast<unsigned char>(pattern_[matched])) ++matched;
            if (matched == length) return i + 1 - length;
        }
        return std::string_view::npos;
    }

  private:
    unsigned char Folded(char c) const {
        auto byte = static_cast<unsigned char>(c);
        if constexpr (Fold) return upper_[byte];
        return byte;
    }

    // The first position at or after i whose byte can start a match (text.size() if none).
    size_t SkipToFirstByte(std::string_view text, size_t i) const {
        if constexpr (!Fold) {
            const void* hit = std::memchr(text.data() + i, pattern_[0], text.size() - i);
            return hit ? static_cast<const char*>(hit) - text.data() : text.size();
        }
        const auto first = static_cast<unsigned char>(pattern_[0]);
        while (i < text.size() && Folded(text[i]) != first)
            ++i;
        return i;
    }

    const std::array<unsigned char, 256>& upper_;
    std::string pattern_;
    std::vector<size_t> fallback_; // length of the longest proper border of pattern_[0..i]
};

template <bool Fold>
std::string ReplaceWith(std::string_view source, std::string_view pattern,
                        std::string_view replacement, bool all) {
    PatternFinder<Fold> finder(pattern);
    std::string out;
    out.reserve(replacement.size() > pattern.size() ? source.size() + source.size() / 2
                                                    : source.size());
    size_t copied = 0;
    for (;;) {
        size_t hit = finder.Find(source, copied);
        if (hit == std::string_view::npos) break;
        out.append(source.substr(copied, hit - copied));
        out.append(replacement);
        copied = hit + pattern.size();
        if (!all) break;
    }
    out.append(source.substr(copied));
    return out;
}

} // namespace

std::string ReplaceText(std::string_view source, std::string_view pattern,
                        std::string_view replacement, ReplaceFlags flags) {
    if (pattern.empty() || source.empty()) return std::string(source);
    const bool all = HasFlag(flags, ReplaceFlags::ReplaceAll);
    if (HasFlag(flags, ReplaceFlags::IgnoreCase))
        return ReplaceWith<true>(source, pattern, replacement, all);
    return ReplaceWith<false>(source, pattern, replacement, all);
}

} // namespace qm
