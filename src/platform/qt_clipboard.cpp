#include "platform/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/qt_convert.h"

namespace qm {

void QtClipboard::SetText(const std::string& text) {
    QGuiApplication::clipboard()->setText(ToQString(text));
}

std::string QtClipboard::Text() { return FromQString(QGuiApplication::clipboard()->text()); }

} // namespace qm
