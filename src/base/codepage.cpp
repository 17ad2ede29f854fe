#include "base/codepage.h"

#include <array>
#include <cstdint>

#include "base/ascii_run.h"

namespace qm {
namespace {

// Upper halves (0x80..0xFF). Byte 0x98 of Windows-1251 has no character and maps to U+0098.
constexpr std::array<char16_t, 128> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

constexpr std::array<char16_t, 128> kCp866High = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

// Byte for every code point of the Basic Multilingual Plane (-1: none), so that conversion
// from Unicode costs one lookup per character.
struct ReverseTable {
    std::array<int16_t, 0x10000> bytes{};
    explicit ReverseTable(const std::array<char16_t, 128>& high) {
        bytes.fill(-1);
        for (int i = 0; i < 0x80; ++i) bytes[static_cast<size_t>(i)] = static_cast<int16_t>(i);
        // Later entries never overwrite earlier ones, so the lowest byte wins.
        for (int i = 127; i >= 0; --i) bytes[high[static_cast<size_t>(i)]] = static_cast<int16_t>(0x80 + i);
    }
    int operator()(char32_t code) const { return code < 0x10000 ? bytes[code] : -1; }
};

std::string PageToUtf8(std::string_view text, char32_t (*toUnicode)(unsigned char)) {
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t end = AsciiEnd(text.data(), i, text.size());
        out.append(text.data() + i, end - i);
        if (end == text.size()) break;
        AppendUtf8(out, toUnicode(static_cast<unsigned char>(text[end])));
        i = end;
    }
    return out;
}

} // namespace

char32_t Cp1251ToUnicode(unsigned char byte) {
    return byte < 0x80 ? byte : kCp1251High[byte - 0x80];
}

char32_t Cp866ToUnicode(unsigned char byte) {
    return byte < 0x80 ? byte : kCp866High[byte - 0x80];
}

int UnicodeToCp1251(char32_t code) {
    static const ReverseTable table(kCp1251High);
    return table(code);
}

int UnicodeToCp866(char32_t code) {
    static const ReverseTable table(kCp866High);
    return table(code);
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

char32_t NextUtf8(std::string_view text, size_t& pos) {
    auto lead = static_cast<unsigned char>(text[pos]);
    int extra = lead < 0x80 ? 0 : lead < 0xC2 ? -1 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2
              : lead < 0xF5 ? 3 : -1;
    if (extra == 0) {
        ++pos;
        return lead;
    }
    if (extra < 0 || pos + extra >= text.size()) {
        ++pos;
        return 0xFFFD;
    }
    char32_t code = lead & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        code = (code << 6) | (next & 0x3F);
    }
    constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (code < kMinimum[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++pos;
        return 0xFFFD;
    }
    pos += extra + 1;
    return code;
}

std::string Cp1251ToUtf8(std::string_view text) { return PageToUtf8(text, Cp1251ToUnicode); }
std::string Cp866ToUtf8(std::string_view text) { return PageToUtf8(text, Cp866ToUnicode); }

std::string Utf8ToCp1251(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        char32_t code = NextUtf8(text, pos);
        int byte = UnicodeToCp1251(code);
        out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return out;
}

} // namespace qm
