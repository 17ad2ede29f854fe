#include "ui/source_view_widget.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/qt_convert.h"

namespace qm {

SourceView::SourceView(QWidget* parent, const QString& name) : QWidget(parent) {
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    setAutoFillBackground(true);
}

void SourceView::SetPicture(const Bitmap& picture) {
    // The renderer's bitmap already has the size of the view (zoom applied), so a copy is shown.
    picture_ = QImage(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width,
                      picture.height, picture.width * 4, QImage::Format_RGB32)
                   .copy();
    update();
}

void SourceView::SetBackColour(uint32_t bgr) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(bgr));
    setPalette(pal);
    update();
}

void SourceView::DrawFrame(QRect rect, int penWidth, uint32_t bgr) {
    if (picture_.isNull()) return;
    {
        QPainter painter(&picture_);
        QPen pen(ToQColor(bgr));
        pen.setWidth(penWidth);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect);
    }
    repaint();
}

void SourceView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (!picture_.isNull()) painter.drawImage(0, 0, picture_);
}

void SourceView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit resized(size());
}

void SourceView::mousePressEvent(QMouseEvent* event) { emit mousePressed(event); }
void SourceView::mouseMoveEvent(QMouseEvent* event) { emit mouseMoved(event); }
void SourceView::mouseReleaseEvent(QMouseEvent* event) { emit mouseReleased(event); }
void SourceView::wheelEvent(QWheelEvent* event) { emit wheelTurned(event); }

} // namespace qm
