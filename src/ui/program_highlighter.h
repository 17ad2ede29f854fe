#pragma once
// The program editor's colouring: keywords bold, comment lines in the theme's Media colour.
// The colours are formats of the text's layout, not of the text, so colouring is no edit: undo
// never takes it back and it never empties the redo history.

#include <QColor>
#include <QSyntaxHighlighter>

namespace qm {

class ProgramHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
  public:
    explicit ProgramHighlighter(QTextDocument* document);

    // Colours the whole text now; until the next call an edit recolours nothing, it only
    // carries the colours of the text around it along.
    void Recolour(const QColor& comment);

  protected:
    void highlightBlock(const QString& text) override;

  private:
    struct Edit {
        int from = -1;
        int removed = 0;
        int added = 0;
    };
    void Colour(const QString& text);
    void KeepColours();

    Edit edit_; // the latest change of the text, which the block being highlighted comes from
    QColor comment_;
    bool colouring_ = false;
};

} // namespace qm
