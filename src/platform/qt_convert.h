#pragma once
// The one place where our types meet Qt's: Windows-1251 text and QString, our colours and
// QColor, our bitmap and QImage.

#include <QColor>
#include <QImage>
#include <QString>
#include <string>

#include "base/bitmap.h"

namespace qm {

QString ToQString(const std::string& cp1251);
std::string FromQString(const QString& text);  // characters outside Windows-1251 become "?"

QColor ToQColor(uint32_t bgr);  // 0x00BBGGRR
uint32_t FromQColor(const QColor& colour);

// A QImage sharing the bitmap's pixels (valid while the bitmap lives and is not resized).
QImage WrapBitmap(Bitmap& bitmap);

} // namespace qm
