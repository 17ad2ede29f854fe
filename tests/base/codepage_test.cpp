#include <gtest/gtest.h>

#include "support/shown_bytes.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/codepage.h"

namespace qm {
namespace {

std::string CodeName(char32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(code));
    return text;
}

std::string AllBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    return bytes;
}

TEST(Codepage, EveryWindows1251ByteSurvivesARoundTripThroughUtf8) {
    const std::string bytes = AllBytes();
    std::string utf8 = Cp1251ToUtf8(bytes);
    EXPECT_EQ(Utf8ToCp1251(utf8), bytes);
    for (int b = 0; b < 256; ++b) {
        char32_t code = Cp1251ToUnicode(static_cast<unsigned char>(b));
        EXPECT_EQ(UnicodeToCp1251(code), b) << "byte " << b << " -> " << CodeName(code);
    }
}

TEST(Codepage, EveryDos866ByteSurvivesARoundTripThroughUnicode) {
    const std::string bytes = AllBytes();
    std::string utf8 = Cp866ToUtf8(bytes);
    size_t pos = 0;
    for (int b = 0; b < 256; ++b) {
        char32_t code = Cp866ToUnicode(static_cast<unsigned char>(b));
        ASSERT_LT(pos, utf8.size()) << "byte " << b;
        EXPECT_EQ(NextUtf8(utf8, pos), code) << "byte " << b;
        EXPECT_EQ(UnicodeToCp866(code), b) << "byte " << b << " -> " << CodeName(code);
    }
    EXPECT_EQ(pos, utf8.size());
}

TEST(Codepage, UnassignedWindows1251Byte98MapsToU0098) {
    EXPECT_EQ(Cp1251ToUnicode(0x98), U'\u0098');
    EXPECT_EQ(UnicodeToCp1251(U'\u0098'), 0x98);
    EXPECT_EQ(Cp1251ToUtf8("\x98"), "\xC2\x98");
    EXPECT_EQ(Utf8ToCp1251("\xC2\x98"), "\x98");
}

TEST(Codepage, LettersSitAtTheStandardPositionsOfBothPages) {
    struct Range {
        int win, dos, count;
        char32_t first;
    };
    const std::vector<Range> ranges = {
        {0xC0, 0x80, 32, U'А'}, {0xE0, 0xA0, 16, U'а'}, {0xF0, 0xE0, 16, U'р'},
        {0xA8, 0xF0, 1, U'Ё'},  {0xB8, 0xF1, 1, U'ё'},  {0xB9, 0xFC, 1, U'№'},
    };
    for (const auto& r : ranges) {
        for (int i = 0; i < r.count; ++i) {
            char32_t code = r.first + i;
            EXPECT_EQ(Cp1251ToUnicode(static_cast<unsigned char>(r.win + i)), code)
                << "win byte " << r.win + i;
            EXPECT_EQ(Cp866ToUnicode(static_cast<unsigned char>(r.dos + i)), code)
                << "dos byte " << r.dos + i;
        }
    }
}

TEST(Codepage, CharactersAPageLacksAreReportedOrReplaced) {
    EXPECT_EQ(UnicodeToCp1251(U'Ä'), -1);
    EXPECT_EQ(UnicodeToCp1251(U'\u0080'), -1);
    EXPECT_EQ(UnicodeToCp866(U'—'), -1);
    EXPECT_EQ(UnicodeToCp866(U'\u0098'), -1);
    EXPECT_EQ(UnicodeToCp1251(U'\U0001F600'), -1);
    // One "?" per missing character, whatever its UTF-8 length.
    EXPECT_EQ(Utf8ToCp1251("a\xC3\x84"
                           "b\xE4\xB8\xAD"
                           "c\xF0\x9F\x98\x80"
                           "d"),
              "a?b?c?d");
}

TEST(Codepage, MalformedUtf8BecomesQuestionMarks) {
    struct Case {
        std::string input;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"", ""},
        {"\xD0\x90\xD1\x8F", "\xC0\xFF"}, // А я
        {"\x80", "?"},                    // lone continuation byte
        {"\xBF\xBF", "??"},
        {"\xD0", "?"}, // truncated at the end
        {"a\xE2\x82", "a??"},
        {"\xF0\x9F\x98", "???"},
        {"\xD0"
         "A",
         "?A"}, // lead byte followed by ASCII
        {"\xE2"
         "AB",
         "?AB"},
        {"\xC0\x80", "??"}, // overlong NUL
        {"\xC1\xBF", "??"},
        {"\xE0\x80\xAF", "???"}, // overlong slash
        {"\xF0\x80\x80\xAF", "????"},
        {"\xED\xA0\x80", "???"},      // UTF-16 surrogate
        {"\xF4\x90\x80\x80", "????"}, // above U+10FFFF
        {"\xF5\x80\x80\x80", "????"},
        {"\xFE\xFF", "??"},
        {"x\xD0\x90\xD0", "x\xC0?"},
    };
    for (const auto& c : cases) {
        std::string actual = Utf8ToCp1251(c.input);
        EXPECT_EQ(actual, c.expected) << "input " << Shown(c.input) << ": expected "
                                      << Shown(c.expected) << ", got " << Shown(actual);
    }
}

TEST(Codepage, NextUtf8StopsAtTheEndOfItsView) {
    // The bytes after the view would complete each sequence; reading them would be a fault.
    struct Case {
        std::string buffer;
        size_t viewSize;
        size_t start;
    };
    const std::vector<Case> cases = {
        {"\xD0\x90", 1, 0},         {"\xE2\x82\xAC", 2, 0},       {"\xE2\x82\xAC", 1, 0},
        {"\xF0\x9F\x98\x80", 3, 0}, {"ab\xF0\x9F\x98\x80", 4, 2},
    };
    for (const auto& c : cases) {
        std::string_view view(c.buffer.data(), c.viewSize);
        size_t pos = c.start;
        EXPECT_EQ(NextUtf8(view, pos), U'\uFFFD') << Shown(view);
        EXPECT_EQ(pos, c.start + 1) << Shown(view);
    }
}

TEST(Codepage, NextUtf8ReadsEachLengthAtItsLimits) {
    const std::vector<char32_t> codes = {0x00,   0x7F,   0x80,   0x7FF,   0x800,   0xD7FF,
                                         0xE000, 0xFFFD, 0xFFFF, 0x10000, 0x10FFFF};
    for (char32_t code : codes) {
        std::string utf8;
        AppendUtf8(utf8, code);
        size_t expectedSize = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        EXPECT_EQ(utf8.size(), expectedSize) << CodeName(code);
        size_t pos = 0;
        EXPECT_EQ(NextUtf8(utf8, pos), code) << CodeName(code) << ": " << Shown(utf8);
        EXPECT_EQ(pos, utf8.size()) << CodeName(code);
    }
}

} // namespace
} // namespace qm
