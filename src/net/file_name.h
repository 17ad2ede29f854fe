#pragma once
// Names for saved files, made from addresses and content types.

#include <cstddef>
#include <string>
#include <string_view>

namespace qm {

// The longest file name the file systems of this platform take, in bytes of UTF-8.
constexpr size_t kMaxFileNameBytes = 255;

// The last path segment of the address (query cut off, fragment kept), with characters that
// are unsafe in file names replaced by "_", trimmed and cut to 100 characters; "data" when
// nothing usable is left. Percent codes are not decoded.
std::string GetFileNameByURL(std::string_view address);

// The name with "." and the first extension of the content type appended, unless the name
// already ends in one of the type's extensions (case ignored) or the type is unknown.
std::string CompleteExtension(std::string_view name, std::string_view contentType);

// A file name (UTF-8) with " (number)" before its extension, or at its end when it has none;
// number 1 adds nothing. The result is cut to limit bytes at a character boundary, from the
// part before the extension, or from the end when the extension leaves no room for it.
std::string NumberedFileName(std::string_view name, int number, size_t limit = kMaxFileNameBytes);

// A name the program made (Windows-1251 text) as a file-system name: UTF-8, cut to limit bytes
// with its extension kept.
std::string FileSystemName(std::string_view name, size_t limit = kMaxFileNameBytes);

} // namespace qm
