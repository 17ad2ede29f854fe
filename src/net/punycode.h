#pragma once
// Host names with national letters are sent to the resolver in their ASCII-compatible form:
// every label with a non-ASCII character becomes "xn--" and its Punycode (RFC 3492).

#include <optional>
#include <string>
#include <string_view>

namespace qm {

// Punycode of one label's UTF-16 code units, without the "xn--" prefix. Code units are taken
// as they are: no case folding, no normalisation, a surrogate pair counts as two. Empty when a
// delta would exceed 32 bits.
std::optional<std::string> EncodePunycode(std::u16string_view label);

// Converts label by label ("." separates labels). Pure-ASCII labels, empty ones included, are
// kept as they are; a label that cannot be encoded is kept too, in Windows-1251.
std::string ToPunycodeHost(std::u16string_view host);

// The same for a Windows-1251 host as typed in the address bar.
std::string ToPunycodeHost(std::string_view host);

} // namespace qm
