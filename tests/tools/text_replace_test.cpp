#include "tools/text_replace.h"

#include <random>

#include <gtest/gtest.h>

#include "base/ansi_case.h"
#include "support/shown_bytes.h"

namespace qm {
namespace {

using F = ReplaceFlags;

struct ReplaceCase {
    std::string source, pattern, replacement;
    ReplaceFlags flags;
    std::string expected;
};

void ExpectReplaces(const std::vector<ReplaceCase>& cases) {
    for (const auto& c : cases) {
        std::string actual = ReplaceText(c.source, c.pattern, c.replacement, c.flags);
        EXPECT_EQ(actual, c.expected)
            << "source " << Shown(c.source) << " pattern " << Shown(c.pattern) << " replacement "
            << Shown(c.replacement) << " flags " << static_cast<unsigned>(c.flags) << "\n expected "
            << Shown(c.expected) << "\n actual   " << Shown(actual);
    }
}

TEST(ReplaceText, FirstOrAllOccurrences) {
    ExpectReplaces({
        {"aaa", "a", "bb", F::ReplaceAll, "bbbbbb"},
        {"aaa", "a", "bb", F::None, "bbaa"},
        {"x aaa", "a", "", F::ReplaceAll, "x "},
        {"abcabc", "abc", "-", F::None, "-abc"},
        {"abc", "abc", "xyz", F::ReplaceAll, "xyz"},
        {"ab", "abc", "x", F::ReplaceAll, "ab"},
        {"no match", "zz", "x", F::ReplaceAll, "no match"},
        {"line\r\nline\r\n", "\r\n", "\n", F::ReplaceAll, "line\nline\n"},
    });
}

TEST(ReplaceText, EmptyPatternOrSourceChangesNothing) {
    ExpectReplaces({
        {"aaa", "", "x", F::ReplaceAll, "aaa"},
        {"", "a", "x", F::ReplaceAll, ""},
        {"", "", "x", F::ReplaceAll, ""},
    });
}

TEST(ReplaceText, MatchesNeverOverlapAndInsertedTextIsNotRescanned) {
    ExpectReplaces({
        {"aaaa", "aa", "b", F::ReplaceAll, "bb"},
        {"aaa", "aa", "b", F::ReplaceAll, "ba"},
        {"ab", "a", "aa", F::ReplaceAll, "aab"},
        {"aabaabaaab", "aaab", "X", F::ReplaceAll, "aabaabX"},
        {"abababc", "ababc", "X", F::ReplaceAll, "abX"},
    });
}

TEST(ReplaceText, IgnoreCaseFoldsLatinAndCyrillicButKeepsSourceBytes) {
    const auto all = F::ReplaceAll | F::IgnoreCase;
    ExpectReplaces({
        {"Hello HELLO hello", "hELLo", "X", all, "X X X"},
        {"ABC abc", "b", "-", all, "A-C a-c"},
        {"Hello", "hello", "X", F::ReplaceAll, "Hello"},
        // "Привет ПРИВЕТ" against "привет"
        {"\xCF\xF0\xE8\xE2\xE5\xF2 \xCF\xD0\xC8\xC2\xC5\xD2", "\xEF\xF0\xE8\xE2\xE5\xF2", "X", all,
         "X X"},
        {"\xCF\xD0\xC8", "\xEF\xF0\xE8", "X", F::ReplaceAll, "\xCF\xD0\xC8"},
        // Ё/ё, І/і, Ґ/ґ, Ў/ў, Џ/џ
        {"\xA8\xB8", "\xB8", "-", all, "--"},
        {"\xB2\xB3\xA5\xB4", "\xB3\xB4", "-", all, "\xB2-\xB4"},
        {"\xA1\xA2\x8F\x9F", "\xA1\x8F", "-", all, "\xA1-\x9F"},
        {"\xA1\x8F", "\xA2\x9F", "-", all, "-"},
        // Signs without case stay distinct
        {"\xB5\xB9", "\xB9", "-", all, "\xB5-"},
    });
}

TEST(ReplaceText, NulBytesAreOrdinaryCharacters) {
    using namespace std::string_literals;
    ExpectReplaces({
        {"a\0b\0c"s, "\0"s, "-", F::ReplaceAll, "a-b-c"},
        {"a\0b"s, "a\0"s, "", F::None, "b"},
    });
}

TEST(AnsiCase, UpperCaseOfEveryByteIsStableAndLengthPreserving) {
    for (int byte = 0; byte < 256; ++byte) {
        auto upper = AnsiUpperByte(static_cast<unsigned char>(byte));
        EXPECT_EQ(AnsiUpperByte(upper), upper) << "byte " << byte;
    }
    EXPECT_EQ(AnsiUpperCase("abz\xE0\xFF\xB8\x9A"), "ABZ\xC0\xDF\xA8\x8A");
    EXPECT_EQ(AnsiUpperCase("{}~\xB5\x98"), "{}~\xB5\x98");
}

// Straightforward left-to-right replacement to compare the fast matcher against.
std::string ReferenceReplace(const std::string& s, const std::string& p, const std::string& r,
                             bool all, bool fold) {
    if (p.empty()) return s;
    std::string us = fold ? AnsiUpperCase(s) : s, up = fold ? AnsiUpperCase(p) : p, out;
    bool replacing = true;
    for (size_t i = 0; i < s.size();) {
        if (replacing && us.compare(i, up.size(), up) == 0) {
            out += r;
            i += p.size();
            replacing = all;
        } else {
            out += s[i++];
        }
    }
    return out;
}

TEST(ReplaceText, AgreesWithReferenceOnRandomTexts) {
    std::mt19937 random(1251);
    const std::string alphabet = "aAb\xE0\xC0";
    auto randomText = [&](size_t maxLength) {
        std::string text(random() % (maxLength + 1), ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string source = randomText(24), pattern = randomText(4), replacement = randomText(3);
        bool all = random() % 2, fold = random() % 2;
        ReplaceFlags flags = (all ? F::ReplaceAll : F::None) | (fold ? F::IgnoreCase : F::None);
        std::string expected = ReferenceReplace(source, pattern, replacement, all, fold);
        ASSERT_EQ(ReplaceText(source, pattern, replacement, flags), expected)
            << "source " << Shown(source) << " pattern " << Shown(pattern) << " all " << all
            << " fold " << fold;
    }
}

TEST(ReplaceText, NearMissesOfALongPatternStayLinear) {
    // A naive matcher would compare about 4 * 10^9 bytes here.
    std::string source(2'000'000, 'a');
    std::string pattern = std::string(2000, 'a') + "b";
    source += "b";
    std::string result = ReplaceText(source, pattern, "X", F::ReplaceAll | F::IgnoreCase);
    EXPECT_EQ(result, std::string(2'000'000 - 2000, 'a') + "X");
}

} // namespace
} // namespace qm
