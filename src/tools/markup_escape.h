#pragma once
// Text that a server or a page supplied, made safe to place into a page the program builds
// itself (request reports, the bookmarks and history pages): it shows as written and never
// becomes markup of its own.

#include <string>
#include <string_view>

namespace qm {

// "&", "<" and ">" as character references.
std::string EscapeMarkup(std::string_view text);

// An address for a double-quoted attribute: the characters that would end the value or the
// tag become percent codes, which address the same resource.
std::string EscapeAddressAttribute(std::string_view address);

} // namespace qm
