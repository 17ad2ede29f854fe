#include "ui/panel_button_widget.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/qt_convert.h"

namespace qm {

PanelButton::PanelButton(QWidget* parent, const QString& name, const QString& imageName)
    : QFrame(parent) {
    setObjectName(name);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
    caption_ = new QLabel(this);
    caption_->setTextFormat(Qt::PlainText); // form buttons and slots show outside names
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setAttribute(Qt::WA_TransparentForMouseEvents);
    if (!imageName.isEmpty()) {
        icon_ = new QLabel(this);
        icon_->setObjectName(imageName);
        icon_->setAlignment(Qt::AlignCenter);
        icon_->installEventFilter(this);
    }
}

QFont IconFont() {
    QFont font("DejaVu Sans");
    font.setPixelSize(14);
    font.setBold(true);
    return font;
}

QPixmap GlyphIcon(const QString& glyph, QColor colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(IconFont());
    painter.setPen(colour);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
    return pixmap;
}

void PanelButton::SetGlyph(const QString& glyph) {
    glyph_ = glyph;
    DrawGlyph();
}

void PanelButton::SetGlyphColour(QColor colour) {
    glyphColour_ = colour;
    DrawGlyph();
}

// A disabled tool draws its glyph as disabled text is drawn, half-way to the background, which
// the style's own greying does not do on a dark theme.
void PanelButton::DrawGlyph() {
    if (glyph_.isEmpty()) return;
    SetIcon(GlyphIcon(glyph_, isEnabled()
                                  ? glyphColour_
                                  : palette().color(QPalette::Disabled, QPalette::WindowText)));
}

void PanelButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) DrawGlyph();
    QFrame::changeEvent(event);
}

void PanelButton::SetCaption(const QString& text) {
    caption_->setText(text);
    PlaceParts();
}

void PanelButton::SetIcon(const QPixmap& pixmap) {
    if (icon_) icon_->setPixmap(pixmap);
}

void PanelButton::SetHint(const QString& hint) {
    setToolTip(hint);
    if (icon_) icon_->setToolTip(hint);
}

void PanelButton::mousePressEvent(QMouseEvent* event) {
    pressed_ = true;
    setFrameShadow(QFrame::Sunken);
    QFrame::mousePressEvent(event);
}

void PanelButton::mouseReleaseEvent(QMouseEvent* event) {
    setFrameShadow(QFrame::Raised);
    bool inside = rect().contains(event->position().toPoint());
    if (pressed_ && inside) {
        if (event->button() == Qt::LeftButton) emit clicked();
        else if (event->button() == Qt::RightButton) emit rightClicked();
    }
    pressed_ = false;
}

void PanelButton::resizeEvent(QResizeEvent* event) {
    PlaceParts();
    QFrame::resizeEvent(event);
}

void PanelButton::PlaceParts() {
    caption_->setGeometry(rect());
    if (icon_ && !caption_->text().isEmpty()) {
        // With a caption the icon stands in a square at the left.
        icon_->setGeometry(2, 2, height() - 4, height() - 4);
        caption_->setGeometry(rect().adjusted(height(), 0, 0, 0));
    } else if (icon_) {
        icon_->setGeometry(rect().adjusted(2, 2, -2, -2));
    }
}

bool PanelButton::eventFilter(QObject* watched, QEvent* event) {
    // The icon passes its clicks to the panel, so both behave as one control.
    if (watched == icon_ && (event->type() == QEvent::MouseButtonPress ||
                             event->type() == QEvent::MouseButtonRelease)) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        QMouseEvent mapped(mouse->type(), icon_->mapTo(this, mouse->position().toPoint()),
                           mouse->globalPosition(), mouse->button(), mouse->buttons(),
                           mouse->modifiers());
        if (event->type() == QEvent::MouseButtonPress) mousePressEvent(&mapped);
        else mouseReleaseEvent(&mapped);
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

ColourSwatch::ColourSwatch(QWidget* parent, const QString& name) : QFrame(parent) {
    setObjectName(name);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
    SetColour(colour_);
}

void ColourSwatch::SetColour(uint32_t bgr) {
    colour_ = bgr;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(bgr));
    setPalette(pal);
}

void ColourSwatch::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

ClickLabel::ClickLabel(QWidget* parent, const QString& name) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setObjectName(name);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (!rect().contains(event->position().toPoint())) return;
    if (event->button() == Qt::LeftButton) emit clicked(event->globalPosition().toPoint());
    else if (event->button() == Qt::RightButton) emit rightClicked(event->globalPosition().toPoint());
}

} // namespace qm
