#include "base/bitmap_font.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "base/file_io.h"
#include "base/bitmap.h"
#include "base/builtin_fonts.h"

namespace qm {
namespace {

constexpr std::string_view kBuiltinPrefix = "INT:";

uint16_t ReadU16(const std::string& data, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(data[at]) |
                                 (static_cast<unsigned char>(data[at + 1]) << 8));
}

// Colours are 0x00BBGGRR, pixels 0x00RRGGBB.
uint32_t ColourToPixel(uint32_t colour) {
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

// Coordinates are 64-bit so that large scales and hostile widths cannot overflow.
void FillClipped(Bitmap& bitmap, int64_t left, int64_t top, int64_t width, int64_t height,
                 uint32_t pixel) {
    const int64_t x0 = std::max<int64_t>(left, 0);
    const int64_t y0 = std::max<int64_t>(top, 0);
    const int64_t x1 = std::min<int64_t>(left + width, bitmap.width);
    const int64_t y1 = std::min<int64_t>(top + height, bitmap.height);
    if (x0 >= x1) return;
    for (int64_t y = y0; y < y1; ++y) {
        uint32_t* row = bitmap.Row(static_cast<int>(y));
        std::fill(row + x0, row + x1, pixel);
    }
}

struct PenStep {
    int64_t scale = 1;
    int64_t extra = 0; // 1 in bold
};

// A glyph at scale 1 wholly inside the bitmap: its pixels are set straight in the rows, which
// a window full of text does for every character it shows.
bool DrawWholeGlyph(Bitmap& bitmap, const BitmapGlyph& glyph, int32_t height, int64_t penX,
                    int64_t penY, const PenStep& step, uint32_t pixel) {
    const int64_t right = penX + 16 * int64_t{glyph.words} + step.extra;
    if (step.scale != 1 || penX < 0 || penY < 0 || right > bitmap.width ||
        penY + height > bitmap.height)
        return false;
    for (int32_t r = 0; r < height; ++r) {
        uint32_t* row = bitmap.Row(static_cast<int>(penY + r)) + penX;
        for (int32_t k = 0; k < glyph.words; ++k) {
            for (uint32_t bits = glyph.Word(r, k); bits != 0; bits &= bits - 1) {
                uint32_t* at = row + 16 * k + std::countr_zero(bits);
                at[0] = pixel;
                if (step.extra) at[1] = pixel;
            }
        }
    }
    return true;
}

void DrawGlyph(Bitmap& bitmap, const BitmapGlyph& glyph, int32_t height, int64_t penX, int64_t penY,
               const PenStep& step, uint32_t pixel) {
    if (glyph.words == 0 || penX >= bitmap.width) return;
    if (penX + (16 * int64_t{glyph.words} + step.extra) * step.scale <= 0) return;
    if (DrawWholeGlyph(bitmap, glyph, height, penX, penY, step, pixel)) return;
    for (int32_t r = 0; r < height; ++r) {
        const int64_t top = penY + r * step.scale;
        if (top >= bitmap.height) break;
        if (top + step.scale <= 0) continue;
        for (int32_t k = 0; k < glyph.words; ++k) {
            const uint16_t bits = glyph.Word(r, k);
            for (int b = 0; bits != 0 && b < 16; ++b) {
                if (!(bits & (1u << b))) continue;
                FillClipped(bitmap, penX + (16 * int64_t{k} + b) * step.scale, top,
                            (step.extra + 1) * step.scale, step.scale, pixel);
            }
        }
    }
}

std::string_view ConvertedText(std::string_view text, const BitmapTextOptions& options,
                               std::string& storage) {
    if (options.convert == TextConversion::None) return text;
    storage = WinToDos(text, options.substitute);
    return storage;
}

int64_t EffectiveScale(const BitmapTextOptions& options) {
    return std::max<int64_t>(options.scale, 1);
}

} // namespace

bool BitmapFont::Load(const std::string& name) {
    Unload();
    if (name.compare(0, kBuiltinPrefix.size(), kBuiltinPrefix) == 0) {
        std::string_view image = BuiltinFontData(std::string_view(name).substr(4));
        return !image.empty() && LoadFromData(std::string(image));
    }
    // Only regular files: a device or pipe named as a font would never end.
    if (!FileExists(name)) return false;
    return LoadFromData(GetFileToString(name));
}

bool BitmapFont::LoadFromData(std::string data) {
    Unload();
    if (data.size() < 2) return false;
    data_ = std::move(data);
    height_ = ReadU16(data_, 0);
    const uint64_t size = data_.size();
    uint64_t p = 2;
    while (p + 2 < size) {
        if (size - p < 6) break;
        const uint64_t length = 6 + 2 * uint64_t{ReadU16(data_, p + 4)} * uint64_t(height_);
        if (length > size - p) break;
        glyphOffsets_[static_cast<unsigned char>(data_[p])] = p;
        p += length;
    }
    loaded_ = true;
    return true;
}

void BitmapFont::Unload() {
    loaded_ = false;
    data_.clear();
    data_.shrink_to_fit();
    glyphOffsets_.fill(0);
}

BitmapGlyph BitmapFont::Glyph(unsigned char code) const {
    const size_t at = glyphOffsets_[code];
    if (!loaded_ || at == 0) return {};
    const auto* base = reinterpret_cast<const unsigned char*>(data_.data()) + at;
    return {ReadU16(data_, at + 2), ReadU16(data_, at + 4), base + 6};
}

bool LoadBitmapFont(BitmapFont& font, const std::string& name) {
    return font.Load(name);
}

void UnloadBitmapFont(BitmapFont& font) {
    font.Unload();
}

int32_t BitmapFontHeight(const BitmapFont& font) {
    return font.Height();
}

int32_t BitmapTextWidth(const BitmapFont& font, std::string_view text,
                        const BitmapTextOptions& options) {
    if (!font.Loaded()) return 0;
    std::string storage;
    const std::string_view bytes = ConvertedText(text, options, storage);
    const int64_t scale = EffectiveScale(options);
    int64_t sum = 0;
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\r') break;
        if (options.bold == BoldText::On) sum += scale;
        if (font.HasGlyph(c)) sum += (font.Glyph(c).width + int64_t{options.letterGap}) * scale;
    }
    sum -= int64_t{options.letterGap} * scale;
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp<int64_t>(sum, -kMax, kMax));
}

void DrawBitmapText(const BitmapFont& font, Bitmap& bitmap, std::string_view text, int32_t x,
                    int32_t y, uint32_t colour, const BitmapTextOptions& options) {
    if (!font.Loaded()) return;
    std::string storage;
    const std::string_view bytes = ConvertedText(text, options, storage);
    const PenStep step{EffectiveScale(options), options.bold == BoldText::On ? 1 : 0};
    const uint32_t pixel = ColourToPixel(colour);
    int64_t penX = x;
    int64_t penY = y;
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\r') {
            penX = x;
            penY += font.Height() * step.scale + options.lineGap;
            continue;
        }
        if (!font.HasGlyph(c)) continue;
        const BitmapGlyph glyph = font.Glyph(c);
        DrawGlyph(bitmap, glyph, font.Height(), penX, penY, step, pixel);
        penX += (glyph.width + step.extra + options.letterGap) * step.scale;
    }
}

} // namespace qm
