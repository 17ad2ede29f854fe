#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include "platform/qt_clipboard.h"

namespace {

TEST(QtClipboard, ProgramTextCrossesAsUnicode) {
    qm::QtClipboard clipboard;
    clipboard.SetText("\xCF\xF0\xE8\xE2\xE5\xF2 & hello");  // Windows-1251 Cyrillic
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("Привет & hello"));
    EXPECT_EQ(clipboard.Text(), "\xCF\xF0\xE8\xE2\xE5\xF2 & hello");
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
