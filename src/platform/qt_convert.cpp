#include "platform/qt_convert.h"

#include "base/codepage.h"

namespace qm {

namespace {

constexpr char16_t kCarriageReturnPicture = u'\u240D';
constexpr char16_t kLineFeedPicture = u'\u240A';

QChar ToQChar(unsigned char byte) {
    return QChar(static_cast<char16_t>(Cp1251ToUnicode(byte)));
}

char ToByte(QChar c) {
    const int byte = UnicodeToCp1251(c.unicode());
    return byte < 0 ? '?' : static_cast<char>(byte);
}

} // namespace

QString ToQString(const std::string& cp1251) {
    QString out;
    out.reserve(static_cast<qsizetype>(cp1251.size()));
    for (char c : cp1251)
        out.append(ToQChar(static_cast<unsigned char>(c)));
    return out;
}

std::string FromQString(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (QChar c : text)
        out.push_back(ToByte(c));
    return out;
}

QString ToQStringLines(const std::string& cp1251) {
    QString out;
    out.reserve(static_cast<qsizetype>(cp1251.size()));
    for (size_t i = 0; i < cp1251.size(); ++i) {
        const auto byte = static_cast<unsigned char>(cp1251[i]);
        if (byte == '\r' && i + 1 < cp1251.size() && cp1251[i + 1] == '\n') {
            out.append(QChar(u'\n'));
            ++i;
        } else if (byte == '\r' || byte == '\n') {
            out.append(QChar(byte == '\r' ? kCarriageReturnPicture : kLineFeedPicture));
        } else {
            out.append(ToQChar(byte));
        }
    }
    return out;
}

std::string FromQStringLines(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'\n':
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
            out += "\r\n";
            break;
        case kCarriageReturnPicture:
            out.push_back('\r');
            break;
        case kLineFeedPicture:
            out.push_back('\n');
            break;
        default:
            out.push_back(ToByte(c));
        }
    }
    return out;
}

QColor ToQColor(uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

uint32_t FromQColor(const QColor& colour) {
    return static_cast<uint32_t>(colour.red()) | (static_cast<uint32_t>(colour.green()) << 8) |
           (static_cast<uint32_t>(colour.blue()) << 16);
}

QPalette ThemePalette(QPalette palette, uint32_t back, uint32_t text) {
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(role, ToQColor(back));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, ToQColor(text));
    return palette;
}

QImage WrapBitmap(Bitmap& bitmap) {
    return QImage(reinterpret_cast<uchar*>(bitmap.pixels.data()), bitmap.width, bitmap.height,
                  bitmap.width * 4, QImage::Format_RGB32);
}

} // namespace qm
