#pragma once
// Bitmap fonts in the TVF format: monochrome glyphs indexed by DOS 866 byte, drawn pixel by
// pixel into a Bitmap at an integer scale.
//
// TVF layout (16-bit little-endian numbers): Height, then records to the end of the data, each
// Code (low 8 bits used), Width (advance), W (words per row) and Height rows of W words; bit b
// of word k is pixel 16k + b, 1 = ink. A later record with the same code replaces an earlier
// one.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/dos_text.h"

namespace qm {

struct Bitmap;

enum class BoldText { Off, On };
// Whether text is Windows-1251 to be passed through WinToDos, or already DOS 866 bytes.
enum class TextConversion { None, WinToDos };

struct BitmapTextOptions {
    BoldText bold = BoldText::Off; // ink doubled to the right, one more pixel of advance
    TextConversion convert = TextConversion::WinToDos;
    DosSubstitution substitute = DosSubstitution::On; // only with convert
    int32_t scale = 1;                                // values below 1 count as 1
    int32_t letterGap = 0;                            // extra advance per glyph, unscaled
    int32_t lineGap = 0;                              // extra pixels after a carriage return
};

// One glyph inside a loaded font's data.
struct BitmapGlyph {
    int32_t width = 0;
    int32_t words = 0;
    const unsigned char* rows = nullptr; // Height × words little-endian 16-bit words

    uint16_t Word(int32_t row, int32_t word) const {
        const unsigned char* at = rows + 2 * (static_cast<size_t>(row) * words + word);
        return static_cast<uint16_t>(at[0] | (at[1] << 8));
    }
};

class BitmapFont {
  public:
    // LoadBitmapFont: "INT:" (exact case) followed by a built-in font name, or a file path.
    // Releases the current font first; false (and no font) when the name cannot be read.
    bool Load(const std::string& name);
    // Takes a TVF image. Records that run past the end of the data end the parse: the glyphs
    // before them are kept. Fewer than 2 bytes is no font at all.
    bool LoadFromData(std::string data);
    void Unload();

    bool Loaded() const { return loaded_; }
    // Kept after unloading; callers ask only while a font is active.
    int32_t Height() const { return height_; }
    bool HasGlyph(unsigned char code) const { return loaded_ && glyphOffsets_[code] != 0; }
    // The glyph of a byte; width 0 and no rows when there is none.
    BitmapGlyph Glyph(unsigned char code) const;

  private:
    bool loaded_ = false;
    int32_t height_ = 0;
    std::string data_;
    // Offset of each code's record in data_; 0 = no glyph (records start at 2 or later).
    std::array<size_t, 256> glyphOffsets_{};
};

bool LoadBitmapFont(BitmapFont& font, const std::string& name);
void UnloadBitmapFont(BitmapFont& font);
int32_t BitmapFontHeight(const BitmapFont& font);

// Width in pixels of text up to its first carriage return; 0 when no font is loaded.
int32_t BitmapTextWidth(const BitmapFont& font, std::string_view text,
                        const BitmapTextOptions& options);

// Draws text with the top-left corner of the first glyph cell at (x, y); a carriage return
// starts a new line at x. colour is 0x00BBGGRR. Pixels outside the bitmap are skipped.
void DrawBitmapText(const BitmapFont& font, Bitmap& bitmap, std::string_view text, int32_t x,
                    int32_t y, uint32_t colour, const BitmapTextOptions& options);

} // namespace qm
