#include "ui/program_highlighter.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <string>

#include "script/program_highlight.h"

namespace qm {
namespace {

// The highlighter reads ASCII only; every other character is a letter to it, which keeps one
// byte per position of the block. A line separator (Shift+Enter) ends a line as the
// interpreter reads it.
std::string HighlightBytes(const QString& text) {
    std::string bytes(static_cast<size_t>(text.size()), 'a');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80)
            bytes[static_cast<size_t>(i)] = static_cast<char>(c);
        else if (c == QChar::LineSeparator)
            bytes[static_cast<size_t>(i)] = '\n';
    }
    return bytes;
}

} // namespace

ProgramHighlighter::ProgramHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(static_cast<QObject*>(document)) {
    // Connected before the base class connects its own handler, so the edit is known when the
    // changed blocks are highlighted.
    connect(document, &QTextDocument::contentsChange, this,
            [this](int from, int removed, int added) {
                edit_ = {from, removed, added};
            });
    setDocument(document);
}

void ProgramHighlighter::Recolour(const QColor& comment) {
    comment_ = comment;
    colouring_ = true;
    rehighlight();
    colouring_ = false;
    edit_ = {};
}

void ProgramHighlighter::highlightBlock(const QString& text) {
    if (colouring_)
        Colour(text);
    else
        KeepColours();
}

void ProgramHighlighter::Colour(const QString& text) {
    QTextCharFormat keyword;
    keyword.setFontWeight(QFont::Bold);
    QTextCharFormat comment;
    comment.setForeground(comment_);
    for (const HighlightSpan& span : HighlightProgram(HighlightBytes(text)))
        setFormat(static_cast<int>(span.start), static_cast<int>(span.length),
                  span.kind == HighlightKind::Keyword ? keyword : comment);
}

// Text typed into a coloured word takes its colour and removed text takes its colour along,
// as in a rich-text field; new lines stay plain until the next colouring.
void ProgramHighlighter::KeepColours() {
    const QTextBlock block = currentBlock();
    const int at = edit_.from - block.position(); // where the edit starts in this block
    const int removedEnd = at + edit_.removed;
    const int shift = edit_.added - edit_.removed;
    const bool edited = edit_.from >= block.position();
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        int start = range.start;
        int end = range.start + range.length;
        if (edited) {
            start = start < at ? start : start < removedEnd ? at + edit_.added : start + shift;
            end = end <= at ? end : end <= removedEnd ? at : end + shift;
        }
        if (end > start) setFormat(start, end - start, range.format);
    }
}

} // namespace qm
