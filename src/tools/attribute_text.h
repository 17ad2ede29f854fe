#pragma once
// Helpers for attribute values and labels: enclosing quotes and character references.

#include <string>
#include <string_view>

namespace qm {

// Drops one double quote or apostrophe at the start and, independently, one at the end.
std::string DeQuote(std::string_view text);

// Decodes character references ("&", a name of at most 11 characters, ";") with AmpToStr.
// An "&" inside a reference is part of its name. A reference that is too long or not closed
// is left as it stands.
std::string DeAmper(std::string_view text);

} // namespace qm
