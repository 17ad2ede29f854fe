// The text fields of the main window mirror the browser's field models: the user's edits go
// into the model, and the logic's changes come back through FieldChanged.

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "ui/main_window.h"
#include "platform/qt_convert.h"

namespace qm {
namespace {

// The file field shows a local file name, which is UTF-8 here; the others hold program text.
QString ShownText(FieldId field, const std::string& text) {
    return field == FieldId::File ? QString::fromStdString(text) : ToQString(text);
}

std::string ModelText(FieldId field, const QString& text) {
    return field == FieldId::File ? text.toStdString() : FromQString(text);
}

} // namespace

void TForm1::BindFields() {
    const std::pair<QLineEdit*, FieldId> lines[] = {{Edit1, FieldId::Address},
                                                    {Edit2, FieldId::Link},
                                                    {Edit3, FieldId::File},
                                                    {Edit5, FieldId::Search}};
    for (auto [edit, field] : lines) {
        connect(edit, &QLineEdit::textChanged, this, [this, field] { ReadLineField(field); });
        connect(edit, &QLineEdit::cursorPositionChanged, this, [this, field] { ReadLineField(field); });
        connect(edit, &QLineEdit::selectionChanged, this, [this, field] { ReadLineField(field); });
    }
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] { ReadObjectInfo(); });
    connect(Memo1, &QPlainTextEdit::cursorPositionChanged, this, [this] { ReadObjectInfo(); });
}

QLineEdit* TForm1::LineEditOf(FieldId field) const {
    switch (field) {
    case FieldId::Address: return Edit1;
    case FieldId::Link: return Edit2;
    case FieldId::File: return Edit3;
    case FieldId::Search: return Edit5;
    case FieldId::ObjectInfo: break;
    }
    return nullptr;
}

void TForm1::ReadLineField(FieldId field) {
    if (showingField_) return;
    const QLineEdit* edit = LineEditOf(field);
    TextField& model = browser_.State().Field(field);
    model.Text = ModelText(field, edit->text());
    // Positions count characters; program text has one byte for each.
    const bool selected = edit->hasSelectedText();
    model.SelectionStart = static_cast<size_t>(selected ? edit->selectionStart() : edit->cursorPosition());
    model.SelectionLength = static_cast<size_t>(selected ? edit->selectionLength() : 0);
}

void TForm1::ReadObjectInfo() {
    if (showingField_) return;
    TextField& model = browser_.State().ObjectInfo;
    // The control keeps line feeds; the area's text ends its lines in CR LF.
    QString text = Memo1->toPlainText();
    text.replace('\n', "\r\n");
    model.Text = FromQString(text);
    const QTextCursor cursor = Memo1->textCursor();
    const int line = cursor.blockNumber();  // each earlier line break became two bytes
    model.SelectionStart = static_cast<size_t>(cursor.selectionStart() + line);
    model.SelectionLength = static_cast<size_t>(cursor.selectionEnd() - cursor.selectionStart());
}

void TForm1::FieldChanged(FieldId field) {
    const TextField& model = browser_.State().Field(field);
    showingField_ = true;
    if (field == FieldId::ObjectInfo) {
        QString text = ToQString(model.Text);
        text.replace("\r\n", "\n");
        Memo1->setPlainText(text);
    } else {
        QLineEdit* edit = LineEditOf(field);
        edit->setText(ShownText(field, model.Text));
        if (model.SelectionLength > 0)
            edit->setSelection(static_cast<int>(model.SelectionStart), static_cast<int>(model.SelectionLength));
        else
            edit->setCursorPosition(static_cast<int>(model.SelectionStart));
    }
    showingField_ = false;
}

} // namespace qm
