#pragma once
// A flat panel that acts as a button: an optional caption or a 16 by 16 icon image inside.
// Clicking the panel or its icon does the same.

#include <QFont>
#include <QFrame>
#include <QLabel>

namespace qm {

// Icons are drawn from a glyph, so that no picture files are needed and they take the colour
// of the theme's text.
// The font of the icons: a font the program installs, so every glyph draws on a fresh machine.
QFont IconFont();
inline const QColor kGlyphColour(0x20, 0x40, 0x80); // until a theme gives the text colour
QPixmap GlyphIcon(const QString& glyph, QColor colour = kGlyphColour);

class PanelButton : public QFrame {
    Q_OBJECT
public:
    // The icon label carries the design name of its image (e.g. "Image3").
    PanelButton(QWidget* parent, const QString& name, const QString& imageName = {});

    void SetCaption(const QString& text);
    QString Caption() const { return caption_->text(); }
    void SetIcon(const QPixmap& pixmap);
    void SetGlyph(const QString& glyph);
    const QString& Glyph() const { return glyph_; }
    void SetGlyphColour(QColor colour);
    void SetHint(const QString& hint);
    QLabel* Icon() const { return icon_; }

signals:
    void clicked();
    void rightClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DrawGlyph();
    void PlaceParts();

    QLabel* caption_ = nullptr;
    QLabel* icon_ = nullptr;
    bool pressed_ = false;
    QString glyph_;
    QColor glyphColour_ = kGlyphColour;
};

// A swatch of one colour role; a click asks for a new colour.
class ColourSwatch : public QFrame {
    Q_OBJECT
public:
    ColourSwatch(QWidget* parent, const QString& name);
    void SetColour(uint32_t bgr);
    uint32_t Colour() const { return colour_; }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    uint32_t colour_ = 0xFFFFFF;
};

// A label that reports clicks (the traffic saver label, the theme label, the logo).
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    ClickLabel(QWidget* parent, const QString& name);

signals:
    void clicked(QPoint globalPos);
    void rightClicked(QPoint globalPos);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace qm
