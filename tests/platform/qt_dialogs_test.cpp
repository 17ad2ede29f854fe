#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeView>

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

TEST(QtDialogs, DetailColumnsFitRussianSizesAndTypes) {
    qm::QtTranslations translations;
    translations.Use(0);
    QTemporaryDir folder;
    QFile file(folder.filePath("page.html"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(21'123'456));

    QFileDialog dialog(nullptr, QString(), folder.path());
    dialog.show();
    auto* model = dialog.findChild<QFileSystemModel*>();
    auto* view = dialog.findChild<QTreeView*>();
    ASSERT_TRUE(model && view);
    QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
    qm::FitFileColumns(dialog);
    ASSERT_TRUE(loaded.count() > 0 || loaded.wait());

    const QHeaderView& header = *view->header();
    const QAbstractItemView& items = *view; // QTreeView hides the size hint of a column
    for (int column : {1, 2}) {
        const int needed =
            std::max(items.sizeHintForColumn(column), header.sectionSizeHint(column));
        EXPECT_GE(header.sectionSize(column), needed) << "column " << column;
    }
    EXPECT_LE(header.length(), view->viewport()->width()) << "columns scroll sideways";
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
