// The text fields of the main window mirror the browser's field models: the user's edits go
// into the model, and the logic's changes come back through FieldChanged.

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "ui/main_window.h"
#include "base/single_line.h"
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

// The control's position of a model offset: each CR LF before it is one character there, and
// an offset between the CR and the LF of one is the line break itself.
int AreaPosition(std::string_view text, size_t offset) {
    offset = std::min(offset, text.size());
    size_t pairs = 0;
    for (size_t lf = text.find('\n', 1); lf != text.npos && lf <= offset;
         lf = text.find('\n', lf + 1))
        if (text[lf - 1] == '\r') ++pairs;
    return static_cast<int>(offset - pairs);
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
    // Moving the caret changes no text: a large area is not read again for it.
    connect(Memo1, &QPlainTextEdit::cursorPositionChanged, this, [this] { ReadAreaSelection(); });
    connect(Memo1, &QPlainTextEdit::selectionChanged, this, [this] { ReadAreaSelection(); });
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
    const std::string typed = ModelText(field, edit->text());
    model.Text = SingleLine(typed);
    // Positions count characters; program text has one byte for each.
    const bool selected = edit->hasSelectedText();
    model.SelectionStart = static_cast<size_t>(selected ? edit->selectionStart() : edit->cursorPosition());
    model.SelectionLength = static_cast<size_t>(selected ? edit->selectionLength() : 0);
    // A pasted line break: the field shows the spaces the model holds.
    if (model.Text != typed) FieldChanged(field);
}

void TForm1::ReadObjectInfo() {
    if (showingField_) return;
    const QString raw = Memo1->document()->toRawText();
    TextField& model = browser_.State().ObjectInfo;
    model.Text = FromQStringLines(raw);
    if (!raw.contains(QChar::LineSeparator)) return ReadAreaSelection();
    // A pasted line separator is a line break of the text (two bytes) but no block of the
    // control: the positions count it here, and the control shows the text again with the
    // break as a block, so that later positions count it as every other line break.
    const auto offset = [&raw](int position) {
        const QStringView before = QStringView(raw).left(position);
        return static_cast<size_t>(position + before.count(QChar::LineSeparator) +
                                   before.count(QChar::ParagraphSeparator));
    };
    const QTextCursor cursor = Memo1->textCursor();
    model.SelectionStart = offset(cursor.selectionStart());
    model.SelectionLength = offset(cursor.selectionEnd()) - model.SelectionStart;
    FieldChanged(FieldId::ObjectInfo);
}

// Each line break before a position is two bytes of the model: one CR LF per earlier block.
void TForm1::ReadAreaSelection() {
    if (showingField_) return;
    TextField& model = browser_.State().ObjectInfo;
    const QTextCursor cursor = Memo1->textCursor();
    auto offset = [this](int position) {
        return static_cast<size_t>(position + Memo1->document()->findBlock(position).blockNumber());
    };
    model.SelectionStart = offset(cursor.selectionStart());
    model.SelectionLength = offset(cursor.selectionEnd()) - model.SelectionStart;
}

void TForm1::ShowAreaSelection() {
    const TextField& model = browser_.State().ObjectInfo;
    const int start = AreaPosition(model.Text, model.SelectionStart);
    const int end = AreaPosition(model.Text, model.SelectionStart + model.SelectionLength);
    QTextCursor cursor = Memo1->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    showingField_ = true;
    Memo1->setTextCursor(cursor);
    Memo1->ensureCursorVisible();
    showingField_ = false;
}

void TForm1::FieldChanged(FieldId field) {
    const TextField& model = browser_.State().Field(field);
    showingField_ = true;
    if (field == FieldId::ObjectInfo) {
        Memo1->setPlainText(ToQStringLines(model.Text));
        showingField_ = false;
        return ShowAreaSelection();
    }
    QLineEdit* edit = LineEditOf(field);
    edit->setText(ShownText(field, model.Text));
    if (model.SelectionLength > 0)
        edit->setSelection(static_cast<int>(model.SelectionStart),
                           static_cast<int>(model.SelectionLength));
    else
        edit->setCursorPosition(static_cast<int>(model.SelectionStart));
    showingField_ = false;
}

void TForm1::FieldSelectionChanged(FieldId field) {
    if (field == FieldId::ObjectInfo) return ShowAreaSelection();
    FieldChanged(field);
}

void TForm1::FocusField(FieldId field) {
    if (!isActiveWindow()) return;
    if (field == FieldId::ObjectInfo)
        Memo1->setFocus();
    else
        LineEditOf(field)->setFocus();
}

} // namespace qm
