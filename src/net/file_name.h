#pragma once
// Names for saved files, made from addresses and content types.

#include <string>
#include <string_view>

namespace qm {

// The last path segment of the address (query cut off, fragment kept), with characters that
// are unsafe in file names replaced by "_", trimmed and cut to 100 characters; "data" when
// nothing usable is left. Percent codes are not decoded.
std::string GetFileNameByURL(std::string_view address);

// The name with "." and the first extension of the content type appended, unless the name
// already ends in one of the type's extensions (case ignored) or the type is unknown.
std::string CompleteExtension(std::string_view name, std::string_view contentType);

} // namespace qm
