#include "platform/qt_dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QRegularExpression>
#include <QStringList>

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

// File names on this platform are UTF-8, so paths pass through unconverted.
std::string QtDialogs::AskOpenFile(const std::string& title, const std::string& filter) {
    return QFileDialog::getOpenFileName(parent_, ToQString(title), QString(), ToQtFilter(filter))
        .toStdString();
}

std::string QtDialogs::AskSaveFile(const std::string& title, const std::string& filter,
                                   const std::string& suggestedPath) {
    return QFileDialog::getSaveFileName(parent_, ToQString(title),
                                        QString::fromStdString(suggestedPath), ToQtFilter(filter))
        .toStdString();
}

bool QtDialogs::AskColour(uint32_t& colour) {
    QColor chosen = QColorDialog::getColor(ToQColor(colour), parent_);
    if (!chosen.isValid()) return false;
    colour = FromQColor(chosen);
    return true;
}

} // namespace qm
