#include "platform/qt_text_rasterizer.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>

#include "platform/qt_convert.h"
#include "base/codepage.h"

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
        m.font = QFont(ToQString(font.name));
        m.font.setPointSize(std::max(1, font.pointSize));
        m.font.setBold(font.bold);
        m.font.setStyleStrategy(font.antialiasing ? QFont::PreferAntialias : QFont::NoAntialias);
        m.dos = font.charset == kOemCharset;
        QFontMetrics metrics(m.font);
        m.raw = QRawFont::fromFont(m.font);
        for (int byte = 0; byte < 256; ++byte) {
            QChar c = ByteToChar(static_cast<unsigned char>(byte), m.dos);
            m.widths[byte] = metrics.horizontalAdvance(c);
            QList<quint32> index = m.raw.glyphIndexesForString(QString(c));
            m.glyphs[byte] = index.isEmpty() ? 0 : index.front();
        }
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
    // Glyphs go exactly where the width table put them, so drawing matches the layout
    // (drawing the string would use the font's own fractional, kerned advances).
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(static_cast<qsizetype>(text.size()));
    positions.reserve(static_cast<qsizetype>(text.size()));
    int width = 0;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        glyphs.append(m.glyphs[byte]);
        positions.append(QPointF(width, 0));
        width += m.widths[byte];
    }
    QGlyphRun run;
    run.setRawFont(m.raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    QImage image = WrapBitmap(target);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing, spec_.antialiasing);
        painter.setPen(ToQColor(colour));
        painter.drawGlyphRun(QPointF(x, y + m.ascent), run);
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
