#include "tools/charsets.h"

#include <array>
#include <cstdint>

#include "base/codepage.h"
#include "tools/source_decode.h"

namespace qm {
namespace {

constexpr std::array<std::string_view, kCharsetCount> kNames = {
    "windows-1251", "utf-8", "koi8-r", "koi8-u", "ibm866", "iso-8859-5", "utf-16le", "utf-16be",
};

struct LabelRow {
    std::string_view label;
    Charset charset;
};

// The labels browsers accept for these charsets, lower case.
constexpr LabelRow kLabels[] = {
    {"cp1251", Charset::Windows1251},
    {"windows-1251", Charset::Windows1251},
    {"x-cp1251", Charset::Windows1251},
    {"unicode-1-1-utf-8", Charset::Utf8},
    {"unicode11utf8", Charset::Utf8},
    {"unicode20utf8", Charset::Utf8},
    {"utf-8", Charset::Utf8},
    {"utf8", Charset::Utf8},
    {"x-unicode20utf8", Charset::Utf8},
    {"cskoi8r", Charset::Koi8R},
    {"koi", Charset::Koi8R},
    {"koi8", Charset::Koi8R},
    {"koi8-r", Charset::Koi8R},
    {"koi8_r", Charset::Koi8R},
    {"koi8-ru", Charset::Koi8U},
    {"koi8-u", Charset::Koi8U},
    {"866", Charset::Cp866},
    {"cp866", Charset::Cp866},
    {"csibm866", Charset::Cp866},
    {"ibm866", Charset::Cp866},
    {"csisolatincyrillic", Charset::Iso88595},
    {"cyrillic", Charset::Iso88595},
    {"iso-8859-5", Charset::Iso88595},
    {"iso-ir-144", Charset::Iso88595},
    {"iso8859-5", Charset::Iso88595},
    {"iso88595", Charset::Iso88595},
    {"iso_8859-5", Charset::Iso88595},
    {"iso_8859-5:1988", Charset::Iso88595},
    {"csunicode", Charset::Utf16LE},
    {"iso-10646-ucs-2", Charset::Utf16LE},
    {"ucs-2", Charset::Utf16LE},
    {"unicode", Charset::Utf16LE},
    {"unicodefeff", Charset::Utf16LE},
    {"utf-16", Charset::Utf16LE},
    {"utf-16le", Charset::Utf16LE},
    {"unicodefffe", Charset::Utf16BE},
    {"utf-16be", Charset::Utf16BE},
};

// clang-format off
// Eight to a line, as the code page tables of base/codepage.cpp.
constexpr std::array<char16_t, 128> kKoi8RHigh = {
    0x2500, 0x2502, 0x250C, 0x2510, 0x2514, 0x2518, 0x251C, 0x2524,
    0x252C, 0x2534, 0x253C, 0x2580, 0x2584, 0x2588, 0x258C, 0x2590,
    0x2591, 0x2592, 0x2593, 0x2320, 0x25A0, 0x2219, 0x221A, 0x2248,
    0x2264, 0x2265, 0x00A0, 0x2321, 0x00B0, 0x00B2, 0x00B7, 0x00F7,
    0x2550, 0x2551, 0x2552, 0x0451, 0x2553, 0x2554, 0x2555, 0x2556,
    0x2557, 0x2558, 0x2559, 0x255A, 0x255B, 0x255C, 0x255D, 0x255E,
    0x255F, 0x2560, 0x2561, 0x0401, 0x2562, 0x2563, 0x2564, 0x2565,
    0x2566, 0x2567, 0x2568, 0x2569, 0x256A, 0x256B, 0x256C, 0x00A9,
    0x044E, 0x0430, 0x0431, 0x0446, 0x0434, 0x0435, 0x0444, 0x0433,
    0x0445, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E,
    0x043F, 0x044F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0436, 0x0432,
    0x044C, 0x044B, 0x0437, 0x0448, 0x044D, 0x0449, 0x0447, 0x044A,
    0x042E, 0x0410, 0x0411, 0x0426, 0x0414, 0x0415, 0x0424, 0x0413,
    0x0425, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E,
    0x041F, 0x042F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0416, 0x0412,
    0x042C, 0x042B, 0x0417, 0x0428, 0x042D, 0x0429, 0x0427, 0x042A,
};

// KOI8-U puts the Ukrainian letters where KOI8-R has some of its double box lines.
struct Koi8UPatch {
    unsigned char byte;
    char16_t code;
};
constexpr std::array<Koi8UPatch, 8> kKoi8UPatches = {{
    {0xA4, 0x0454}, {0xA6, 0x0456}, {0xA7, 0x0457}, {0xAD, 0x0491},
    {0xB4, 0x0404}, {0xB6, 0x0406}, {0xB7, 0x0407}, {0xBD, 0x0490},
}};
// clang-format on

char32_t Koi8RToUnicode(unsigned char byte) {
    return byte < 0x80 ? byte : kKoi8RHigh[byte - 0x80];
}

char32_t Koi8UToUnicode(unsigned char byte) {
    for (const Koi8UPatch& patch : kKoi8UPatches)
        if (patch.byte == byte) return patch.code;
    return Koi8RToUnicode(byte);
}

// ISO-8859-5 is the Cyrillic block from U+0400 at 0xA0, with four exceptions.
char32_t Iso88595ToUnicode(unsigned char byte) {
    if (byte <= 0xA0 || byte == 0xAD) return byte;
    if (byte == 0xF0) return 0x2116;
    if (byte == 0xFD) return 0x00A7;
    return 0x0400 + (byte - 0xA0);
}

bool IsSingleByte(Charset charset) {
    return charset != Charset::Utf8 && charset != Charset::Utf16LE && charset != Charset::Utf16BE;
}

using ByteTable = std::array<char, 256>;

// Windows-1251 byte (or "?") of every byte of a single-byte charset, built once, so that a page
// costs one lookup per byte.
const ByteTable& TableFor(Charset charset) {
    static const std::array<ByteTable, kCharsetCount> tables = [] {
        std::array<ByteTable, kCharsetCount> built{};
        for (int index = 0; index < kCharsetCount; ++index) {
            const auto charset = static_cast<Charset>(index);
            for (int byte = 0; byte < 256; ++byte) {
                const int mapped = IsSingleByte(charset)
                                       ? UnicodeToCp1251(SingleByteToUnicode(
                                             charset, static_cast<unsigned char>(byte)))
                                       : -1;
                built[index][byte] = mapped < 0 ? '?' : static_cast<char>(mapped);
            }
        }
        return built;
    }();
    return tables[static_cast<size_t>(charset)];
}

std::string MapBytes(std::string_view bytes, const ByteTable& table) {
    std::string out(bytes.size(), '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        out[i] = table[static_cast<unsigned char>(bytes[i])];
    return out;
}

std::string Utf16ToCp1251(std::string_view bytes, bool bigEndian, bool& invalid) {
    const size_t units = bytes.size() / 2;
    auto unitAt = [&](size_t i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        return static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    auto isHigh = [](char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; };
    auto isLow = [](char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };
    std::string out;
    out.reserve(units + 1);
    size_t i = units > 0 && unitAt(0) == 0xFEFF ? 1 : 0;
    for (; i < units; ++i) {
        const char16_t unit = unitAt(i);
        if (isHigh(unit) && i + 1 < units && isLow(unitAt(i + 1))) {
            // Windows-1251 has nothing beyond the Basic Multilingual Plane.
            out.push_back('?');
            ++i;
        } else if (isHigh(unit) || isLow(unit)) {
            out.push_back('?');
            invalid = true;
        } else {
            const int byte = UnicodeToCp1251(unit);
            out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
        }
    }
    if (bytes.size() % 2 != 0) {
        out.push_back('?');
        invalid = true;
    }
    return out;
}

bool IsLabelSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

std::string_view TrimLabel(std::string_view s) {
    while (!s.empty() && IsLabelSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsLabelSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

} // namespace

std::string_view NameOfCharset(Charset charset) {
    const auto index = static_cast<size_t>(charset);
    return index < kNames.size() ? kNames[index] : std::string_view();
}

std::optional<Charset> CharsetFromLabel(std::string_view label) {
    label = TrimLabel(label);
    if (label.size() >= 2 && (label.front() == '"' || label.front() == '\'') &&
        label.back() == label.front())
        label = TrimLabel(label.substr(1, label.size() - 2));
    for (const LabelRow& row : kLabels) {
        if (row.label.size() != label.size()) continue;
        bool same = true;
        for (size_t i = 0; i < label.size() && same; ++i) {
            char c = label[i];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            same = c == row.label[i];
        }
        if (same) return row.charset;
    }
    return std::nullopt;
}

char32_t SingleByteToUnicode(Charset charset, unsigned char byte) {
    switch (charset) {
    case Charset::Windows1251:
        return Cp1251ToUnicode(byte);
    case Charset::Koi8R:
        return Koi8RToUnicode(byte);
    case Charset::Koi8U:
        return Koi8UToUnicode(byte);
    case Charset::Cp866:
        return Cp866ToUnicode(byte);
    case Charset::Iso88595:
        return Iso88595ToUnicode(byte);
    default:
        return byte < 0x80 ? byte : 0xFFFD;
    }
}

std::string DecodeToCp1251(std::string_view bytes, Charset charset, bool* errors) {
    bool invalid = false;
    std::string out;
    switch (charset) {
    case Charset::Koi8R:
    case Charset::Koi8U:
    case Charset::Cp866:
    case Charset::Iso88595:
        out = MapBytes(bytes, TableFor(charset));
        break;
    case Charset::Utf8:
        // The mark is not text; Utf8ToAnsi alone would show it as "?".
        if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
        out = Utf8ToAnsi(bytes, &invalid);
        break;
    case Charset::Utf16LE:
    case Charset::Utf16BE:
        out = Utf16ToCp1251(bytes, charset == Charset::Utf16BE, invalid);
        break;
    default:
        out.assign(bytes);
        break;
    }
    if (errors) *errors = invalid;
    return out;
}

} // namespace qm
