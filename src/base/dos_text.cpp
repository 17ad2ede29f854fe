#include "base/dos_text.h"

#include <array>
#include <cstdint>

#include "base/codepage.h"

namespace qm {
namespace {

using ByteMap = std::array<unsigned char, 256>;

struct Fit {
    char32_t from;
    char32_t to;
};

// Look-alikes for the characters only one of the two pages has. Letters lose their
// diacritic or become the nearest Russian letter; punctuation becomes ASCII.
constexpr Fit kBestFit[] = {
    {0x0402, 0x0414}, {0x0452, 0x0434}, // Dje -> De
    {0x040B, 0x0427}, {0x045B, 0x0447}, // Tshe -> Che
    {0x0403, 0x0413}, {0x0453, 0x0433}, // Gje -> Ghe
    {0x0490, 0x0413}, {0x0491, 0x0433}, // Ghe with upturn -> Ghe
    {0x0409, 0x041B}, {0x0459, 0x043B}, // Lje -> El
    {0x040A, 0x041D}, {0x045A, 0x043D}, // Nje -> En
    {0x040C, 0x041A}, {0x045C, 0x043A}, // Kje -> Ka
    {0x040F, 0x0426}, {0x045F, 0x0446}, // Dzhe -> Tse
    {0x0406, 'I'},    {0x0456, 'i'},    {0x0408, 'J'}, {0x0458, 'j'},    {0x0405, 'S'},
    {0x0455, 's'},    {0x201A, ','},    {0x201E, '"'}, {0x2026, '.'},    {0x2020, '+'},
    {0x2021, '+'},    {0x20AC, 'E'},    {0x2030, '%'}, {0x2039, '<'},    {0x203A, '>'},
    {0x2018, '\''},   {0x2019, '\''},   {0x201C, '"'}, {0x201D, '"'},    {0x2013, '-'},
    {0x2014, '-'},    {0x2122, 'T'},    {0x00A6, '|'}, {0x00A7, 'S'},    {0x00A9, 'C'},
    {0x00AB, '"'},    {0x00BB, '"'},    {0x00AC, '-'}, {0x00AD, '-'},    {0x00AE, 'R'},
    {0x00B1, '+'},    {0x00B5, 'u'},    {0x00B6, 'P'}, {0x2022, 0x2219}, {0x2219, 0x2022},
    {0x221A, 'v'},    {0x25A0, '#'},
};

char32_t BestFit(char32_t code) {
    for (const Fit& fit : kBestFit)
        if (fit.from == code) return fit.to;
    if (code == 0x2502 || code == 0x2551) return '|';
    if (code == 0x2500) return '-';
    if (code == 0x2550) return '=';
    if (code >= 0x2500 && code <= 0x257F) return '+'; // corners, tees and crosses
    if (code >= 0x2580 && code <= 0x259F) return '#'; // blocks and shades
    return '?';
}

ByteMap BuildMap(char32_t (*toUnicode)(unsigned char), int (*fromUnicode)(char32_t)) {
    ByteMap map{};
    for (int byte = 0; byte < 256; ++byte) {
        const char32_t code = toUnicode(static_cast<unsigned char>(byte));
        int target = fromUnicode(code);
        if (target < 0) target = fromUnicode(BestFit(code));
        map[byte] = static_cast<unsigned char>(target < 0 ? '?' : target);
    }
    return map;
}

const ByteMap& AnsiToOemMap() {
    static const ByteMap map = BuildMap(Cp1251ToUnicode, UnicodeToCp866);
    return map;
}

const ByteMap& OemToAnsiMap() {
    static const ByteMap map = BuildMap(Cp866ToUnicode, UnicodeToCp1251);
    return map;
}

std::string MapBytes(std::string_view text, const ByteMap& map) {
    std::string out(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i)
        out[i] = static_cast<char>(map[static_cast<unsigned char>(text[i])]);
    return out;
}

constexpr int16_t kDrop = -1;

// The bitmap fonts' own table: 66 letters, the numero sign and 14 punctuation bytes of the
// upper half have a DOS 866 byte; the rest of the upper half is dropped.
constexpr std::array<int16_t, 256> MakeWinToDosTable() {
    std::array<int16_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte)
        table[byte] = byte < 0x80 ? static_cast<int16_t>(byte) : kDrop;
    for (int byte = 0xC0; byte <= 0xDF; ++byte)
        table[byte] = static_cast<int16_t>(byte - 0xC0 + 0x80);
    for (int byte = 0xE0; byte <= 0xEF; ++byte)
        table[byte] = static_cast<int16_t>(byte - 0xE0 + 0xA0);
    for (int byte = 0xF0; byte <= 0xFF; ++byte)
        table[byte] = static_cast<int16_t>(byte - 0xF0 + 0xE0);
    table[0xA8] = 0xF0;
    table[0xB8] = 0xF1;
    table[0xB9] = 0xFC;
    for (int byte : {0x96, 0x97})
        table[byte] = '-';
    for (int byte : {0x88, 0x98, 0xA6})
        table[byte] = '|';
    for (int byte : {0x91, 0x92})
        table[byte] = '\'';
    for (int byte : {0x93, 0x94, 0xAB, 0xBB})
        table[byte] = '"';
    for (int byte : {0xA0, 0xA9, 0xAE})
        table[byte] = ' ';
    return table;
}

constexpr std::array<int16_t, 256> kWinToDos = MakeWinToDosTable();

} // namespace

std::string StrAnsiToOEM(std::string_view text) {
    return MapBytes(text, AnsiToOemMap());
}

std::string StrOEMtoAnsi(std::string_view text) {
    return MapBytes(text, OemToAnsiMap());
}

std::string WinToDos(std::string_view text, DosSubstitution substitute) {
    const bool readable = substitute == DosSubstitution::On;
    // Count the three-byte substitutions first so the output is allocated once.
    size_t grow = 0;
    if (readable)
        for (char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            grow += (byte == 0xA9 || byte == 0xAE || byte == 0x85) ? 2 : 0;
        }
    std::string out;
    out.reserve(text.size() + grow);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (readable && byte == 0xA9) {
            out += "(C)";
        } else if (readable && byte == 0xAE) {
            out += "(R)";
        } else if (readable && byte == 0x85) {
            out += "...";
        } else if (kWinToDos[byte] != kDrop) {
            out.push_back(static_cast<char>(kWinToDos[byte]));
        }
    }
    return out;
}

} // namespace qm
