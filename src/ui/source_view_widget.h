#pragma once
// Image1: shows the picture of the last paint pass, enlarged by the pixel zoom, and reports
// its size and the mouse to the main window.

#include <QImage>
#include <QWidget>

#include "base/bitmap.h"

namespace qm {

class SourceView : public QWidget {
    Q_OBJECT
public:
    // name: the design name, "Image1" for the view, "Image31" for the control bar.
    SourceView(QWidget* parent, const QString& name);

    void SetPicture(const Bitmap& picture);
    const QImage& Picture() const { return picture_; }
    // Back colour (0x00BBGGRR) shown where no picture is yet.
    void SetBackColour(uint32_t bgr);
    // Draws a rectangle outline on the shown picture and shows it at once (the click frame).
    void DrawFrame(QRect rect, int penWidth, uint32_t bgr);

signals:
    void resized(QSize size);
    void mousePressed(QMouseEvent* event);
    void mouseMoved(QMouseEvent* event);
    void mouseReleased(QMouseEvent* event);
    void wheelTurned(QWheelEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QImage picture_;
};

} // namespace qm
