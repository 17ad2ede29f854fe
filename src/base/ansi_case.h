#pragma once
// Upper-casing by the rules of the Windows-1251 code page: Latin and Cyrillic letters fold
// (Ё, the Ukrainian, Belarusian and Serbian letters included); every other byte stays.

#include <array>
#include <string>
#include <string_view>

namespace qm {

// The upper-case byte of every byte, for loops that fold a whole text.
const std::array<unsigned char, 256>& AnsiUpperTable();

unsigned char AnsiUpperByte(unsigned char byte);
std::string AnsiUpperCase(std::string_view text);

} // namespace qm
