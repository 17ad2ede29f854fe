#include "platform/qt_text_rasterizer.h"

#include <QFontMetrics>
#include <QPainter>

#include "platform/qt_convert.h"
#include "view/codepage.h"

namespace qm {
namespace {

constexpr int kOemCharset = 255;

QChar ByteToChar(unsigned char byte, bool dos) {
    return QChar(static_cast<char16_t>(dos ? Cp866ToUnicode(byte) : Cp1251ToUnicode(byte)));
}

} // namespace

std::string QtTextRasterizer::Key(const FontSpec& font) {
    return font.name + '|' + std::to_string(font.charset == kOemCharset) + '|' +
           std::to_string(font.pointSize) + '|' + std::to_string(font.bold) + '|' +
           std::to_string(font.antialiasing);
}

void QtTextRasterizer::SetFont(const FontSpec& font) {
    spec_ = font;
    auto& slot = cache_[Key(font)];
    if (!slot) {
        slot = std::make_unique<Metrics>();
        Metrics& m = *slot;
        m.font = QFont(QString::fromStdString(font.name));
        m.font.setPointSize(std::max(1, font.pointSize));
        m.font.setBold(font.bold);
        m.font.setStyleStrategy(font.antialiasing ? QFont::PreferAntialias : QFont::NoAntialias);
        m.dos = font.charset == kOemCharset;
        QFontMetrics metrics(m.font);
        for (int byte = 0; byte < 256; ++byte)
            m.widths[byte] = metrics.horizontalAdvance(ByteToChar(static_cast<unsigned char>(byte), m.dos));
        m.lineHeight = metrics.height();
        m.ascent = metrics.ascent();
    }
    current_ = slot.get();
}

QtTextRasterizer::Metrics& QtTextRasterizer::Current() {
    if (!current_) SetFont(spec_);
    return *current_;
}

int QtTextRasterizer::CharWidth(unsigned char byte) { return Current().widths[byte]; }

int QtTextRasterizer::LineHeight() { return Current().lineHeight; }

void QtTextRasterizer::Draw(Bitmap& target, int x, int y, const std::string& text, uint32_t colour) {
    if (text.empty() || target.width <= 0 || target.height <= 0) return;
    Metrics& m = Current();
    QString line;
    line.reserve(static_cast<qsizetype>(text.size()));
    int width = 0;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        line.append(ByteToChar(byte, m.dos));
        width += m.widths[byte];
    }
    QImage image = WrapBitmap(target);
    {
        QPainter painter(&image);
        painter.setFont(m.font);
        painter.setPen(ToQColor(colour));
        painter.drawText(x, y + m.ascent, line);
    }
    // QPainter sets the unused top byte of every pixel it touches; our bitmaps keep it 0.
    int top = std::max(0, y), bottom = std::min(target.height, y + m.lineHeight + 2);
    int left = std::max(0, x - 2), right = std::min(target.width, x + width + 4);
    for (int row = top; row < bottom; ++row) {
        uint32_t* pixels = target.Row(row);
        for (int col = left; col < right; ++col) pixels[col] &= 0x00FFFFFF;
    }
}

} // namespace qm
