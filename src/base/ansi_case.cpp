#include "base/ansi_case.h"

#include <array>

#include "base/codepage.h"

namespace qm {
namespace {

// Upper case of the letters Windows-1251 can hold; other code points map to themselves.
char32_t UnicodeUpper(char32_t code) {
    if (code >= 'a' && code <= 'z') return code - 0x20;
    if (code >= 0x0430 && code <= 0x044F) return code - 0x20;
    if (code >= 0x0450 && code <= 0x045F) return code - 0x50;
    if (code == 0x0491) return 0x0490;
    return code;
}

std::array<unsigned char, 256> BuildUpperTable() {
    std::array<unsigned char, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        int upper =
            UnicodeToCp1251(UnicodeUpper(Cp1251ToUnicode(static_cast<unsigned char>(byte))));
        table[byte] = static_cast<unsigned char>(upper < 0 ? byte : upper);
    }
    return table;
}

} // namespace

const std::array<unsigned char, 256>& AnsiUpperTable() {
    static const std::array<unsigned char, 256> table = BuildUpperTable();
    return table;
}

unsigned char AnsiUpperByte(unsigned char byte) {
    return AnsiUpperTable()[byte];
}

std::string AnsiUpperCase(std::string_view text) {
    const auto& table = AnsiUpperTable();
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return out;
}

} // namespace qm
