#pragma once
// The system-font path of the view: QPainter on a QImage that wraps our bitmap.

#include <QFont>
#include <QRawFont>
#include <array>
#include <map>
#include <memory>

#include "base/interfaces.h"

namespace qm {

class QtTextRasterizer : public TextRasterizer {
public:
    void SetFont(const FontSpec& font) override;
    int CharWidth(unsigned char byte) override;
    int LineHeight() override;
    void Draw(Bitmap& target, int x, int y, const std::string& text, uint32_t colour) override;

private:
    // Measuring must be fast: widths of the 256 byte values are taken once per font.
    struct Metrics {
        QFont font;
        std::array<int, 256> widths{};
        QRawFont raw;
        std::array<quint32, 256> glyphs{};
        int lineHeight = 0;
        int ascent = 0;
        bool dos = false;
    };
    static std::string Key(const FontSpec& font);
    Metrics& Current();

    std::map<std::string, std::unique_ptr<Metrics>> cache_;
    Metrics* current_ = nullptr;
    FontSpec spec_;
};

} // namespace qm
