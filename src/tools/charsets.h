#pragma once
// The charsets a page may come in, their labels, and the conversion of a page's bytes to the
// program's code page (Windows-1251).

#include <optional>
#include <string>
#include <string_view>

#include "base/charset.h"

namespace qm {

// The canonical lower-case name: "windows-1251", "utf-8", "koi8-r", "koi8-u", "ibm866",
// "iso-8859-5", "utf-16le", "utf-16be".
std::string_view NameOfCharset(Charset charset);

// The charset of a label as pages and servers write it: surrounding spaces and one pair of
// quotes are ignored, letters compare case-insensitively, and the aliases are those browsers
// accept for these eight (cp1251, koi8_r, cp866, cyrillic, ucs-2, ...). nullopt for an unknown
// or empty label.
std::optional<Charset> CharsetFromLabel(std::string_view label);

// The code point of a byte in one of the single-byte charsets (Windows1251, Koi8R, Koi8U,
// Cp866, Iso88595). For the others, ASCII bytes are themselves and the rest U+FFFD.
char32_t SingleByteToUnicode(Charset charset, unsigned char byte);

// The page's bytes in Windows-1251. Characters Windows-1251 lacks become "?", which is not an
// error. Utf8 is Utf8ToAnsi after a leading byte order mark is dropped, with its errors.
// UTF-16 drops a leading byte order mark of its own order and reads a surrogate pair as one
// character; a lone surrogate or a last odd byte becomes "?" and is an error. Windows1251
// bytes come back unchanged. When errors is given it receives whether there was an error.
std::string DecodeToCp1251(std::string_view bytes, Charset charset, bool* errors = nullptr);

} // namespace qm
