#include <gtest/gtest.h>

#include "platform/qt_dialogs.h"

namespace {

TEST(QtDialogs, FiltersShowEachPatternOnceAndAllFilesMatchNamesWithoutDot) {
    struct Case {
        std::string filter;
        QString expected;
    } cases[] = {
        {"All files (*.*)|*.*", "All files (*)"},
        {"Tollvane Font (*.tvf)|*.tvf", "Tollvane Font (*.tvf)"},
        {"Web pages|*.htm;*.html", "Web pages (*.htm *.html)"},
        {"Pictures (*.bmp)|*.bmp|All files (*.*)|*.*", "Pictures (*.bmp);;All files (*)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qm::ToQtFilter(c.filter), c.expected) << c.filter;
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
