#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "state/user_guide.h"
#include "state/user_guide_texts.h"
#include "base/codepage.h"

namespace qm {
namespace {

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    for (;;) {
        size_t next = text.find("\r\n", pos);
        lines.push_back(text.substr(pos, next == std::string::npos ? next : next - pos));
        if (next == std::string::npos) return lines;
        pos = next + 2;
    }
}

TEST(UserGuide, RussianLinesTheAboutWindowQuotesAreExact) {
    struct Case {
        int line; // 1-based, as the guide is numbered
        std::string_view text;
    };
    const std::vector<Case> cases = {
        {1, "Предупреждение: для корректного копирования русского текста из обозревателя "
            "(браузера) в буфер по Ctrl+C предварительно переключите раскладку клавиатуры на "
            "русскую (RU) перед копированием и вставкой."},
        {3, "Окно браузера содержит 3 основных поля ввода: "},
        {8, "Управление"},
        {105, "Отсылка параметров GET и POST методами через URL:"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kUserGuideRussian[c.line - 1], c.text) << "line " << c.line;
    }
    EXPECT_TRUE(kUserGuideRussian[41].starts_with("- Язык/Language - ")) << kUserGuideRussian[41];
    EXPECT_EQ(kUserGuideEnglish[0],
              "Warning: if you want to copy russian text from browser to clipboard by Ctrl+C you "
              "need to switch keyboard layout to RU (Russian) before copying and pasting.");
}

TEST(UserGuide, GuidesMatchLineForLine) {
    for (size_t i = 0; i < kUserGuideEnglish.size(); ++i) {
        EXPECT_EQ(kUserGuideEnglish[i].empty(), kUserGuideRussian[i].empty())
            << "line " << i + 1 << ": \"" << kUserGuideEnglish[i] << "\" / \""
            << kUserGuideRussian[i] << "\"";
    }
}

TEST(UserGuide, RussianTranslationHowToUsesTheRuPrefix) {
    for (int line = 124; line <= 131; ++line) {
        std::string_view text = kUserGuideRussian[line - 1];
        EXPECT_EQ(text.find("\"en "), std::string_view::npos) << "line " << line << ": " << text;
    }
    EXPECT_NE(kUserGuideRussian[127].find("\"ru "), std::string_view::npos)
        << kUserGuideRussian[127];
}

TEST(UserGuide, EveryCharacterExistsInWindows1251) {
    for (const auto* guide : {&kUserGuideRussian, &kUserGuideEnglish}) {
        for (size_t i = 0; i < guide->size(); ++i) {
            std::string_view line = (*guide)[i];
            for (size_t pos = 0; pos < line.size();) {
                size_t at = pos;
                char32_t code = NextUtf8(line, pos);
                EXPECT_GE(UnicodeToCp1251(code), 0)
                    << "line " << i + 1 << ", byte " << at << ", U+" << std::hex
                    << static_cast<uint32_t>(code) << ": " << line;
                EXPECT_NE(code, U'\r');
                EXPECT_NE(code, U'\n');
            }
        }
    }
}

TEST(UserGuide, TextJoinsTheConvertedLinesWithCrLf) {
    const std::vector<std::pair<int, const std::array<std::string_view, kUserGuideLines>*>>
        languages = {{0, &kUserGuideRussian}, {1, &kUserGuideEnglish}, {7, &kUserGuideEnglish}};
    for (const auto& [language, lines] : languages) {
        std::vector<std::string> actual = SplitCrLf(UserGuideText(language));
        ASSERT_EQ(actual.size(), static_cast<size_t>(kUserGuideLines)) << "language " << language;
        for (size_t i = 0; i < actual.size(); ++i) {
            EXPECT_EQ(Cp1251ToUtf8(actual[i]), (*lines)[i])
                << "language " << language << ", line " << i + 1;
        }
    }
}

} // namespace
} // namespace qm
