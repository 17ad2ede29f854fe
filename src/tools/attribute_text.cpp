#include "tools/attribute_text.h"

#include <cstring>

#include "tools/source_decode.h"

namespace qm {
namespace {

constexpr size_t kMaxReferenceName = 11;

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

} // namespace

std::string DeQuote(std::string_view text) {
    if (!text.empty() && IsQuote(text.front())) text.remove_prefix(1);
    if (!text.empty() && IsQuote(text.back())) text.remove_suffix(1);
    return std::string(text);
}

std::string DeAmper(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const void* hit = std::memchr(text.data() + i, '&', text.size() - i);
        size_t amp = hit ? static_cast<const char*>(hit) - text.data() : text.size();
        out.append(text.substr(i, amp - i));
        if (amp == text.size()) break;
        // The ";" may come at most one character after the longest name.
        std::string_view window = text.substr(amp + 1, kMaxReferenceName + 1);
        size_t semicolon = window.find(';');
        if (semicolon == std::string_view::npos) {
            out.push_back('&');
            i = amp + 1;
        } else {
            out.append(AmpToStr(window.substr(0, semicolon)));
            i = amp + 1 + semicolon + 1;
        }
    }
    return out;
}

} // namespace qm
