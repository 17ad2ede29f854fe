#pragma once
// Small formatting helpers shared by the downloader, the history page and the tools.

#include <cstdint>
#include <string>

namespace qm {

// Decimal digits grouped by three with single spaces: 1234567 -> "1 234 567". The minus sign
// counts as a character of the text, so -123 gives "- 123".
std::string BytesToStr(int32_t n);
std::string Bytes64ToStr(int64_t n);

// "hh:mm:ss"; hours are not wrapped at 24.
std::string GetTimeFromSec(uint32_t seconds);

// "0" + s when s is shorter than two characters.
std::string GetAddZero(const std::string& s);

// Upper-case hexadecimal digits, with leading zeros up to minDigits.
std::string UpperHex(uint64_t value, int minDigits);

} // namespace qm
