#include <gtest/gtest.h>

#include "support/shown_bytes.h"

#include <algorithm>
#include <string>
#include <vector>

#include "state/ui_strings.h"
#include "base/codepage.h"

namespace qm {
namespace {

constexpr int kRussian = 0;
constexpr int kEnglish = 1;

TEST(UiString, PicksTheColumnByLanguage) {
    struct Case {
        int index;
        int language;
        std::string expected; // Windows-1251 bytes
    };
    const std::vector<Case> cases = {
        {28, kEnglish, "B"},
        {28, kRussian, "\xC6"}, // Ж
        {97, kEnglish, "-"},
        {97, kRussian, "-"},
        {1, kEnglish, "Ready"},
        {1, kRussian, "\xC3\xEE\xF2\xEE\xE2\xEE"}, // Готово
        {0, kRussian, " \xE1\xE0\xE9\xF2"},        // " байт"
        {250, kEnglish, "Translate site to russian"},
        // The program's own messages follow the table.
        {251, kEnglish, "Maximum number of redirects followed: "},
        {258, kEnglish, "Cannot write file "},
        {258, kRussian, Utf8ToCp1251("Не удалось записать файл ")},
        {273, kEnglish, " pixels high"},
        {273, kRussian, Utf8ToCp1251(" пикс.")},
    };
    for (const auto& c : cases) {
        const std::string& actual = UiString(c.index, c.language);
        EXPECT_EQ(actual, c.expected)
            << "entry " << c.index << ", language " << c.language << ": expected "
            << Shown(c.expected) << ", got " << Shown(actual);
    }
}

TEST(UiString, AnyLanguageOtherThanZeroIsEnglish) {
    for (int language : {1, 2, -1, 1000}) {
        EXPECT_EQ(UiString(1, language), "Ready") << "language " << language;
    }
}

TEST(UiString, IndexOutsideTheTableGivesEmptyText) {
    for (int index : {-1, kUiStringCount, kUiStringCount + 1, -1000, 1 << 30}) {
        for (int language : {kRussian, kEnglish}) {
            EXPECT_EQ(UiString(index, language), "") << "entry " << index;
        }
    }
}

TEST(UiString, RepeatedEntriesEqualTheirOriginals) {
    const std::vector<std::pair<int, int>> repeats = {{52, 0}, {69, 17}, {185, 86}, {196, 30}};
    for (auto [copy, original] : repeats) {
        for (int language : {kRussian, kEnglish}) {
            EXPECT_EQ(UiString(copy, language), UiString(original, language))
                << "entry " << copy << " vs " << original << ", language " << language;
        }
    }
}

TEST(UiString, EveryEntryIsPresentAndFitsWindows1251) {
    // A character missing from the code page would have been turned into "?"; no entry of the
    // table contains a real question mark.
    for (int index = 0; index < kUiStringCount; ++index) {
        // Held free until the branches that add entries are merged and numbered in a row.
        for (int language : {kRussian, kEnglish}) {
            const std::string& text = UiString(index, language);
            EXPECT_FALSE(text.empty()) << "entry " << index << ", language " << language;
            EXPECT_EQ(text.find('?'), std::string::npos)
                << "entry " << index << ", language " << language << ": " << Cp1251ToUtf8(text);
        }
    }
}

TEST(UiString, CaptionsTheGuideQuotesReadBackAsUnicode) {
    const std::vector<std::pair<int, std::string>> cases = {
        {15, "Акценты"},
        {31, "Пропуски"},
        {140, "- все"},
        {141, "+ все"},
        {142, "Норм"},
        {165, "Добро пожаловать в бесплатный обозреватель-сайтораздиратель Quillmar "},
    };
    for (const auto& [index, utf8] : cases) {
        EXPECT_EQ(Cp1251ToUtf8(UiString(index, kRussian)), utf8) << "entry " << index;
    }
}

TEST(UiString, ControlsHelpKeepsItsCarriageReturns) {
    for (int language : {kRussian, kEnglish}) {
        const std::string& text = UiString(50, language);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 7) << "language " << language;
        EXPECT_EQ(text.find('\n'), std::string::npos);
    }
}

} // namespace
} // namespace qm
