#include "tools/markup_escape.h"

namespace qm {

std::string EscapeMarkup(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out.push_back(c);
        }
    }
    return out;
}

std::string EscapeAddressAttribute(std::string_view address) {
    std::string out;
    out.reserve(address.size());
    for (char c : address) {
        switch (c) {
        case '"': out += "%22"; break;
        case '<': out += "%3C"; break;
        case '>': out += "%3E"; break;
        default: out.push_back(c);
        }
    }
    return out;
}

} // namespace qm
