#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>
#include <QTemporaryDir>

#include "platform/qt_dialogs.h"
#include "platform/qt_translations.h"

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

TEST(QtDialogs, FileDialogSpeaksTheInterfaceLanguageAfterEachSwitch) {
    const std::pair<int, QString> cases[] = {{0, "Отмена"}, {1, "Cancel"}, {0, "Отмена"}};
    qm::QtTranslations translations;
    for (const auto& [language, cancel] : cases) {
        translations.Use(language);
        QFileDialog dialog;
        dialog.show();
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), cancel) << language;
    }
}

} // namespace

int main(int argc, char** argv) {
    // Qt's file dialog keeps its column widths and recent folders in the user's settings.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
