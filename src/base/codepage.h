#pragma once
// The two single-byte code pages the program is made for: Windows-1251 (the text of the
// program) and DOS 866 (the OEM page). Conversions to Unicode happen only here.

#include <string>
#include <string_view>

namespace qm {

// Unicode code point of a byte; bytes below 0x80 are ASCII in both pages.
char32_t Cp1251ToUnicode(unsigned char byte);
char32_t Cp866ToUnicode(unsigned char byte);

// Byte for a code point, or -1 when the page has no such character.
int UnicodeToCp1251(char32_t code);
int UnicodeToCp866(char32_t code);

// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t code);

// Whole-string conversions between the pages and UTF-8. Characters the target page lacks,
// and malformed UTF-8 sequences, become "?".
std::string Cp1251ToUtf8(std::string_view text);
std::string Utf8ToCp1251(std::string_view text);
std::string Cp866ToUtf8(std::string_view text);

// Reads one UTF-8 sequence at text[pos]; returns its code point and advances pos, or returns
// U+FFFD and advances by one byte on a malformed or truncated sequence.
char32_t NextUtf8(std::string_view text, size_t& pos);

} // namespace qm
