#pragma once
// Decoders of escaped text (percent codes in addresses and in free text, backslash escapes of
// script sources) and the percent encoder of search queries. Each takes Windows-1251 bytes
// and returns a new string; none can fail or read past its input.

#include <string>
#include <string_view>

namespace qm {

// Percent codes of a link address, all or nothing: "%%" is "%", "%HH" a byte, "%uHHHH" of a
// basic Cyrillic letter or Ё/ё its two UTF-8 bytes, any other "%uHHHH" is kept as "%u" and
// the four digits. One malformed escape returns the text unchanged.
std::string HTTPDecod(std::string_view text);

enum class UrlDecoding {
    Shown, // as the view shows it: in UTF-8 mode the decoded bytes are read as UTF-8
    Raw,   // percent codes only
};

// The address as the view shows it: HTTPDecod, then, in UTF-8 mode, the conversion from
// UTF-8, kept only when the bytes were valid UTF-8.
std::string DecodeURL(std::string_view address, bool utf8Mode,
                      UrlDecoding decoding = UrlDecoding::Shown);

// Percent codes in free text: "%HH" (every value, "%00" too) and "%uHHHH" (one UTF-16 code
// unit, "?" when Windows-1251 lacks it, nothing for code 0). Anything malformed is copied.
std::string ProcDecode(std::string_view text);

// Backslash escapes of script sources: \' \" \\ \/, \n (CR LF), \t (space), \r \b \f \v
// (nothing), \xHH and \uHHHH as in ProcDecode. Anything malformed is copied.
std::string SlashDecode(std::string_view text);

// Letters, digits, "-", "." and "_" stay; every other byte becomes "%HH" (upper-case digits).
std::string GetStringCodes(std::string_view text);

} // namespace qm
