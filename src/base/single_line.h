#pragma once
// The text of a single-line field (address, search, file, link, User-Agent). A line break in it
// would shift every later line of qm.ini and end a request header early.

#include <string>
#include <string_view>

namespace qm {

// Every CR and LF becomes a space, one for one, so caret and selection offsets stay valid.
inline std::string SingleLine(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

} // namespace qm
