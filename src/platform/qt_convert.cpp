#include "platform/qt_convert.h"

#include "base/codepage.h"

namespace qm {

QString ToQString(const std::string& cp1251) {
    QString out;
    out.reserve(static_cast<qsizetype>(cp1251.size()));
    for (char c : cp1251) out.append(QChar(static_cast<char16_t>(Cp1251ToUnicode(static_cast<unsigned char>(c)))));
    return out;
}

std::string FromQString(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (QChar c : text) {
        int byte = UnicodeToCp1251(c.unicode());
        out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return out;
}

QColor ToQColor(uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

uint32_t FromQColor(const QColor& colour) {
    return static_cast<uint32_t>(colour.red()) | (static_cast<uint32_t>(colour.green()) << 8) |
           (static_cast<uint32_t>(colour.blue()) << 16);
}

QImage WrapBitmap(Bitmap& bitmap) {
    return QImage(reinterpret_cast<uchar*>(bitmap.pixels.data()), bitmap.width, bitmap.height,
                  bitmap.width * 4, QImage::Format_RGB32);
}

} // namespace qm
