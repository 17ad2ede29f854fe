#pragma once
// The one place where our types meet Qt's: Windows-1251 text and QString, our colours and
// QColor, our bitmap and QImage.

#include <QColor>
#include <QImage>
#include <QPalette>
#include <QString>
#include <string>

#include "base/bitmap.h"

namespace qm {

QString ToQString(const std::string& cp1251);
std::string FromQString(const QString& text);  // characters outside Windows-1251 become "?"

// Text whose lines end in CR LF as a plain-text control holds it: each CR LF is one line break,
// and a lone CR or LF, which the control would also take for a break, shows as its control
// picture. So every character of the control stands for one byte, or for one CR LF.
QString ToQStringLines(const std::string& cp1251);
// The control's raw text back (paragraph and line separators are line breaks).
std::string FromQStringLines(const QString& text);

QColor ToQColor(uint32_t bgr);  // 0x00BBGGRR
uint32_t FromQColor(const QColor& colour);
// A palette whose window, field and button roles take the theme's back and text colours.
QPalette ThemePalette(QPalette palette, uint32_t back, uint32_t text);

// A QImage sharing the bitmap's pixels (valid while the bitmap lives and is not resized).
QImage WrapBitmap(Bitmap& bitmap);

} // namespace qm
