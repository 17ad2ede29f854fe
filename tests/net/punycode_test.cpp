#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "net/punycode.h"

namespace qm {
namespace {

// UTF-16 to printable text for failure messages.
std::string Show(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            char buffer[12];
            snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(c));
            out += buffer;
        }
    }
    return out;
}

TEST(EncodePunycode, PublishedSamplesInLowerCase) {
    const std::vector<std::pair<std::u16string, std::string>> cases = {
        {u"ليهمابتكلموشعربي؟", "egbpdaj6bu4bxfgehfvwxn"},
        {u"他们为什么不说中文", "ihqwcrb4cv8a8dqg056pqjye"},
        {u"他們爲什麽不說中文", "ihqwctvzc91f659drss3x8bo0yb"},
        {u"pročprostěnemluvíčesky", "proprostnemluvesky-uyb24dma41a"},
        {u"למההםפשוטלאמדבריםעברית", "4dbcagdahymbxekheh6e0a7fei0b"},
        {u"यहलोगहिन्दीक्योंनहींबोलसकतेहैं", "i1baa7eci9glrd9b2ae1bj0hfcgg6iyaf8o0a1dig0cd"},
        {u"なぜみんな日本語を話してくれないのか", "n8jok5ay5dzabd5bym9f0cm5685rrjetr6pdxa"},
        {u"세계의모든사람들이한국어를이해한다면얼마나좋을까",
         "989aomsvi5e83db1d2a355cv1e0vak1dwrv93d5xbh15a0dt30a5jpsd879ccm6fea98c"},
        {u"почемужеонинеговорятпорусски", "b1abfaaepdrnnbgefbadotcwatmq2g4l"},
        {u"porquénopuedensimplementehablarenespañol",
         "porqunopuedensimplementehablarenespaol-fmd56a"},
        {u"tạisaohọkhôngthểchỉnóitiếngviệt", "tisaohkhngthchnitingvit-kjcr8268qyxafd2f1b9g"},
        {u"3年b組金八先生", "3b-ww4c5e180e575a65lsy2b"},
        {u"安室奈美恵-with-super-monkeys", "-with-super-monkeys-pc58ag80a8qai00g7n9n"},
        {u"hello-another-way-それぞれの場所", "hello-another-way--fc4qua05auwb3674vfr0b"},
        {u"ひとつ屋根の下2", "2-u9tlzr9756bt3uc0v"},
        {u"majiでkoiする5秒前", "majikoi5-783gue6qz075azm5e"},
        {u"パフィーdeルンバ", "de-jg4avhby1noc0d"},
        {u"そのスピードで", "d9juau41awczczp"},
        {u"-> $1.00 <-", "-> $1.00 <--"},
    };
    for (const auto& [label, expected] : cases) {
        std::optional<std::string> actual = EncodePunycode(label);
        ASSERT_TRUE(actual.has_value()) << "label: " << Show(label);
        EXPECT_EQ(*actual, expected) << "label: " << Show(label);
    }
}

TEST(ToPunycodeHost, ConvertsOnlyLabelsWithNationalLetters) {
    const std::vector<std::pair<std::u16string, std::string>> cases = {
        {u"example.com", "example.com"},
        {u"WWW.Example.COM", "WWW.Example.COM"},
        {u"пример.рф", "xn--e1afmkfd.xn--p1ai"},
        {u"ПРИМЕР.рф", "xn--h0afmkfd.xn--p1ai"}, // no case folding
        {u"www.пример.com", "www.xn--e1afmkfd.com"},
        {u"aпример", "xn--a-jtbiqngd"},
        {u"мой-сайт.рф", "xn----8sbzclmxk.xn--p1ai"},
        {u"пример.рф.", "xn--e1afmkfd.xn--p1ai."},
        {u"я..я", "xn--41a..xn--41a"},
        {u"..", ".."},
        {u".", "."},
        {u"", ""},
        {u"я\u3002я", "xn--41aa4764a"}, // only U+002E separates labels
        {u"a\xD800"
         u"b",
         "xn--ab-zd9k"}, // a lone surrogate is one more code unit
        {u"host:8080", "host:8080"},
    };
    for (const auto& [host, expected] : cases)
        EXPECT_EQ(ToPunycodeHost(host), expected) << "host: " << Show(host);
}

TEST(ToPunycodeHost, TakesWindows1251Hosts) {
    // "\xEF\xF0\xE8\xEC\xE5\xF0.\xF0\xF4" is "пример.рф" in Windows-1251.
    EXPECT_EQ(ToPunycodeHost(std::string_view("\xEF\xF0\xE8\xEC\xE5\xF0.\xF0\xF4")),
              "xn--e1afmkfd.xn--p1ai");
    EXPECT_EQ(ToPunycodeHost(std::string_view("Example.COM")), "Example.COM");
    EXPECT_EQ(ToPunycodeHost(std::string_view("\xFF\0a", 3)), std::string("xn--\0a-unc", 10));
}

TEST(ToPunycodeHost, OverflowingLabelIsKeptAsTyped) {
    // 600 000 times "а" then "™" (U+2122): the jump to U+2122 times the handled count passes 32
    // bits. The label comes back unchanged in Windows-1251; the other labels are still encoded.
    std::string label(600000, '\xE0');
    label += '\x99';
    EXPECT_TRUE(ToPunycodeHost(std::string_view("\xFF." + label + ".\xFF")) ==
                "xn--41a." + label + ".xn--41a");

    std::u16string wide(70000, u'\x100');
    wide += u'\xFFFF';
    EXPECT_FALSE(EncodePunycode(wide).has_value());
    EXPECT_EQ(ToPunycodeHost(wide), std::string(70001, '?'));
}

// The encoding procedure exactly as published: a full scan of the label per code unit value.
std::optional<std::string> ReferenceEncode(std::u16string_view input) {
    auto digit = [](uint32_t d) { return static_cast<char>(d < 26 ? 'a' + d : '0' + d - 26); };
    auto adapt = [](uint32_t delta, uint32_t points, bool first) {
        delta = first ? delta / 700 : delta / 2;
        delta += delta / points;
        uint32_t k = 0;
        for (; delta > 455; k += 36)
            delta /= 35;
        return k + 36 * delta / (delta + 38);
    };
    std::string out;
    for (char16_t c : input)
        if (c < 128) out.push_back(static_cast<char>(c));
    uint32_t h = static_cast<uint32_t>(out.size());
    const uint32_t b = h;
    if (b > 0) out.push_back('-');
    uint32_t n = 128, delta = 0, bias = 72;
    while (h < input.size()) {
        uint32_t m = 0xFFFFFFFF;
        for (char16_t c : input)
            if (c >= n && c < m) m = c;
        if (m - n > (0xFFFFFFFF - delta) / (h + 1)) return std::nullopt;
        delta += (m - n) * (h + 1);
        n = m;
        for (char16_t c : input) {
            if (c < n && ++delta == 0) return std::nullopt;
            if (c != n) continue;
            uint32_t q = delta;
            for (uint32_t k = 36;; k += 36) {
                uint32_t t = k <= bias ? 1 : k >= bias + 26 ? 26 : k - bias;
                if (q < t) break;
                out.push_back(digit(t + (q - t) % (36 - t)));
                q = (q - t) / (36 - t);
            }
            out.push_back(digit(q));
            bias = adapt(delta, h + 1, h == b);
            delta = 0;
            ++h;
        }
        ++delta;
        ++n;
    }
    return out;
}

TEST(EncodePunycode, AgreesWithThePublishedProcedureOnRandomLabels) {
    std::mt19937 random(12345);
    // Few distinct values make repeats and long gaps; wide ranges make big jumps of n.
    const std::vector<std::pair<char16_t, char16_t>> ranges = {
        {0x20, 0x7F}, {0x410, 0x44F}, {0x430, 0x433}, {0x80, 0xFFFF}, {0xD800, 0xDFFF}};
    for (int round = 0; round < 2000; ++round) {
        std::u16string label;
        const size_t length = random() % 40;
        for (size_t i = 0; i < length; ++i) {
            auto [low, high] = ranges[random() % ranges.size()];
            label.push_back(static_cast<char16_t>(low + random() % (high - low + 1)));
        }
        EXPECT_EQ(EncodePunycode(label), ReferenceEncode(label)) << "label: " << Show(label);
    }
}

TEST(EncodePunycode, AgreesWithThePublishedProcedureAtTheOverflowEdge) {
    // 66 000 times U+0100, then one code unit near the top: the jump to it times the handled
    // count, plus the smaller code units before it, first exceeds 32 bits at U+FF33.
    int encoded = 0, overflowed = 0;
    for (char16_t top = 0xFF30; top <= 0xFF36; ++top) {
        std::u16string label(66000, u'\x100');
        label += top;
        std::optional<std::string> actual = EncodePunycode(label);
        EXPECT_TRUE(actual == ReferenceEncode(label)) << "top code unit: " << unsigned(top);
        ++(actual ? encoded : overflowed);
    }
    EXPECT_EQ(encoded, 3);
    EXPECT_EQ(overflowed, 4);
}

TEST(EncodePunycode, ManyDistinctCodeUnitsInALongLabel) {
    // 2^20 code units cycling through every non-ASCII value: a rescan per value would take
    // about 7 * 10^10 steps.
    std::u16string label;
    for (size_t i = 0; i < (1u << 20); ++i)
        label.push_back(static_cast<char16_t>(0x80 + i % (0x10000 - 0x80)));
    std::optional<std::string> encoded = EncodePunycode(label);
    ASSERT_TRUE(encoded.has_value());
    EXPECT_GT(encoded->size(), label.size());
}

TEST(ToPunycodeHost, MegabyteHostOfShortLabels) {
    std::string host;
    std::string expected;
    while (host.size() < (1u << 20)) {
        host += "\xFF.a.";
        expected += "xn--41a.a.";
    }
    // Compared as a whole so that a failure does not print a megabyte.
    EXPECT_TRUE(ToPunycodeHost(std::string_view(host)) == expected);
}

} // namespace
} // namespace qm
