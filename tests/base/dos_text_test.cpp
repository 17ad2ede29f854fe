#include <gtest/gtest.h>

#include "support/shown_bytes.h"

#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/dos_text.h"

namespace qm {
namespace {

std::string Byte(int b) {
    return std::string(1, static_cast<char>(b));
}

struct WinToDosCase {
    std::string input;
    DosSubstitution mode;
    std::string expected;
};

TEST(WinToDos, ConvertsByItsTable) {
    using enum DosSubstitution;
    const std::vector<WinToDosCase> cases = {
        {"", On, ""},
        {"Hello, <world>!", Off, "Hello, <world>!"},
        {std::string("a\0b", 3), On, std::string("a\0b", 3)},
        {"\xA8\xE6", Off, "\xF0\xA6"},
        {"\xC0\xDF\xE0\xEF\xF0\xFF", Off, "\x80\x9F\xA0\xAF\xE0\xEF"},
        {"\xA8\xB8\xB9", On, "\xF0\xF1\xFC"},
        {"\x96\x97", Off, "--"},
        {"\x88\x98\xA6", On, "|||"},
        {"\x91\x92\x93\x94\xAB\xBB", Off, "''\"\"\"\""},
        {"\xA0", On, " "},
        {"\xA9\xAE", Off, "  "},
        {"\xA9\xAE", On, "(C)(R)"},
        {"\x85", On, "..."},
        {"\x85", Off, ""},
        {"a\x85z", On, "a...z"},
        {"\xA7", On, ""},
        {"\xA7", Off, ""},
        {"\x80\x99\xB1\xB2\xB5\xB6\xBF", On, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Shown(WinToDos(c.input, c.mode)), Shown(c.expected))
            << "input " << Shown(c.input) << (c.mode == On ? " substituted" : " plain");
    }
}

TEST(WinToDos, TableHasEightyOneUpperHalfBytes) {
    int kept = 0;
    for (int b = 0x80; b < 0x100; ++b) {
        const std::string out = WinToDos(Byte(b), DosSubstitution::Off);
        ASSERT_LE(out.size(), 1u) << Shown(Byte(b)); // the hex view relies on this
        if (!out.empty()) ++kept;
    }
    EXPECT_EQ(kept, 81);
}

TEST(WinToDos, LettersMatchTheCodePageTables) {
    std::vector<int> letters = {0xA8, 0xB8, 0xB9};
    for (int b = 0xC0; b < 0x100; ++b)
        letters.push_back(b);
    for (int b : letters) {
        const std::string out = WinToDos(Byte(b), DosSubstitution::On);
        ASSERT_EQ(out.size(), 1u) << Shown(Byte(b));
        EXPECT_EQ(Cp866ToUnicode(static_cast<unsigned char>(out[0])),
                  Cp1251ToUnicode(static_cast<unsigned char>(b)))
            << Shown(Byte(b));
    }
}

struct ByteCase {
    int from;
    int to;
};

TEST(StrAnsiToOEM, LettersAndBestFits) {
    const std::vector<ByteCase> cases = {
        {'A', 'A'},   {0x00, 0x00}, {0x7F, 0x7F}, {0xC0, 0x80}, {0xDF, 0x9F}, {0xE0, 0xA0},
        {0xEF, 0xAF}, {0xF0, 0xE0}, {0xFF, 0xEF}, {0xA8, 0xF0}, {0xB8, 0xF1}, {0xB9, 0xFC},
        {0xA0, 0xFF}, {0xB0, 0xF8}, {0xB7, 0xFA}, {0xA4, 0xFD}, {0xA1, 0xF6}, {0xAA, 0xF2},
        {0xAF, 0xF4}, {0x95, 0xF9}, {0x96, '-'},  {0x97, '-'},  {0x93, '"'},  {0xAB, '"'},
        {0x91, '\''}, {0xA9, 'C'},  {0xAE, 'R'},  {0x85, '.'},  {0xB2, 'I'},  {0xB3, 'i'},
        {0x80, 0x84}, {0x81, 0x83}, {0x8A, 0x8B}, {0xA5, 0x83}, {0x98, '?'},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Shown(StrAnsiToOEM(Byte(c.from))), Shown(Byte(c.to))) << Shown(Byte(c.from));
}

TEST(StrOEMtoAnsi, LettersAndBestFits) {
    const std::vector<ByteCase> cases = {
        {'z', 'z'},   {0x80, 0xC0}, {0x9F, 0xDF}, {0xA0, 0xE0}, {0xAF, 0xEF}, {0xE0, 0xF0},
        {0xEF, 0xFF}, {0xF0, 0xA8}, {0xF1, 0xB8}, {0xFC, 0xB9}, {0xFF, 0xA0}, {0xF9, 0x95},
        {0xB3, '|'},  {0xBA, '|'},  {0xC4, '-'},  {0xCD, '='},  {0xDA, '+'},  {0xCE, '+'},
        {0xB0, '#'},  {0xDB, '#'},  {0xFE, '#'},  {0xFB, 'v'},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Shown(StrOEMtoAnsi(Byte(c.from))), Shown(Byte(c.to))) << Shown(Byte(c.from));
}

TEST(StrAnsiToOEM, KeepsLengthAndRoundTripsSharedCharacters) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += Byte(b);
    const std::string oem = StrAnsiToOEM(all);
    const std::string ansi = StrOEMtoAnsi(all);
    ASSERT_EQ(oem.size(), all.size());
    ASSERT_EQ(ansi.size(), all.size());
    EXPECT_EQ(StrAnsiToOEM(""), "");
    EXPECT_EQ(StrOEMtoAnsi(""), "");

    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        // Only 0x98 of Windows-1251 is left without a stand-in.
        if (b >= 0x80 && b != 0x98) {
            EXPECT_NE(oem[b], '?') << "ANSI " << Shown(Byte(b));
        }
        if (b >= 0x80) {
            EXPECT_NE(ansi[b], '?') << "OEM " << Shown(Byte(b));
        }
        if (UnicodeToCp866(Cp1251ToUnicode(byte)) >= 0) {
            EXPECT_EQ(StrOEMtoAnsi(StrAnsiToOEM(Byte(b))), Byte(b)) << "ANSI " << Shown(Byte(b));
        }
        if (UnicodeToCp1251(Cp866ToUnicode(byte)) >= 0) {
            EXPECT_EQ(StrAnsiToOEM(StrOEMtoAnsi(Byte(b))), Byte(b)) << "OEM " << Shown(Byte(b));
        }
    }
}

} // namespace
} // namespace qm
