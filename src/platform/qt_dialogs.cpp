#include "platform/qt_dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QRegularExpression>
#include <QScreen>
#include <QStringList>
#include <QTimer>
#include <QTreeView>

#include "platform/qt_convert.h"

namespace qm {

QString ToQtFilter(const std::string& filter) {
    QStringList parts = ToQString(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        // "*.*" means every file; here it would hide names without a dot.
        if (patterns.trimmed() == "*.*") patterns = "*";
        // The dialog shows the patterns itself; those the description names would show twice.
        static const QRegularExpression named(R"(\s*\([^()]*\)\s*$)");
        QString description = parts[i];
        description.remove(named);
        filters << QString("%1 (%2)").arg(description, patterns);
    }
    return filters.join(";;");
}

namespace {

// Grows the dialog evenly to both sides, within its screen, until every visible column of the
// detail view fits.
void WidenToColumns(QFileDialog& dialog, const QTreeView& tree) {
    const QAbstractItemView& view = tree; // QTreeView hides the size hint of a column
    const QHeaderView& header = *tree.header();
    int wanted = 0;
    for (int column = 0; column < header.count(); ++column) {
        if (header.isSectionHidden(column)) continue;
        // The last column stretches over the rest, so its own size says nothing.
        wanted += column == header.count() - 1
                      ? std::max(view.sizeHintForColumn(column), header.sectionSizeHint(column))
                      : header.sectionSize(column);
    }
    const int missing = wanted - tree.viewport()->width();
    if (missing <= 0) return;
    const QRect area = dialog.screen()->availableGeometry();
    const int width = std::min(dialog.width() + missing, area.width());
    const int frame = dialog.frameGeometry().width() - dialog.width();
    const int left = dialog.x() - (width - dialog.width()) / 2;
    dialog.move(std::max(area.left(), std::min(left, area.right() + 1 - width - frame)),
                dialog.y());
    dialog.resize(width, dialog.height());
}

std::string AskFile(QFileDialog& dialog) {
    // The dialog makes its views when it shows; the desktop's own dialog has none.
    QTimer::singleShot(0, &dialog, [&dialog] { FitFileColumns(dialog); });
    if (dialog.exec() != QDialog::Accepted) return {};
    // File names on this platform are UTF-8, so paths pass through unconverted.
    return dialog.selectedFiles().value(0).toStdString();
}

} // namespace

// Qt's widths of the detail columns fit English samples ("128.88 GB"); longer sizes and the
// translated types were cut.
void FitFileColumns(QFileDialog& dialog) {
    auto* view = dialog.findChild<QTreeView*>();
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (!view || !model) return;
    auto fit = [&dialog, view] {
        for (int column = 1; column < view->header()->count(); ++column)
            view->resizeColumnToContents(column);
        WidenToColumns(dialog, *view);
    };
    // Sizes and types arrive with the folder's listing, after the dialog shows.
    QObject::connect(model, &QFileSystemModel::directoryLoaded, view, fit);
    fit();
}

std::string QtDialogs::AskOpenFile(const std::string& title, const std::string& filter) {
    QFileDialog dialog(parent_, ToQString(title), QString(), ToQtFilter(filter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    return AskFile(dialog);
}

std::string QtDialogs::AskSaveFile(const std::string& title, const std::string& filter,
                                   const std::string& suggestedPath) {
    QFileDialog dialog(parent_, ToQString(title), QString::fromStdString(suggestedPath),
                       ToQtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    return AskFile(dialog);
}

bool QtDialogs::AskColour(uint32_t& colour) {
    QColor chosen = QColorDialog::getColor(ToQColor(colour), parent_);
    if (!chosen.isValid()) return false;
    colour = FromQColor(chosen);
    return true;
}

} // namespace qm
