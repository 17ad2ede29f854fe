#pragma once
// Colour arithmetic of the view. Colours are Windows colour values (0x00BBGGRR); bitmap
// pixels are 0x00RRGGBB words, so every colour is turned into a pixel on the way.

#include <cstdint>

#include "base/bitmap.h"

namespace qm {

constexpr uint32_t ColorRed(uint32_t c) {
    return c & 0xFF;
}
constexpr uint32_t ColorGreen(uint32_t c) {
    return (c >> 8) & 0xFF;
}
constexpr uint32_t ColorBlue(uint32_t c) {
    return (c >> 16) & 0xFF;
}
constexpr uint32_t MakeColor(uint32_t r, uint32_t g, uint32_t b) {
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}

// The selection colour of a drag.
constexpr uint32_t InvColor(uint32_t c) {
    return MakeColor(255 - ColorRed(c), 255 - ColorGreen(c), 255 - ColorBlue(c));
}

// The selection colour while the pointer still counts as a click.
constexpr uint32_t RotColor(uint32_t c) {
    return MakeColor(ColorRed(c), ColorGreen(c), 255 - ColorBlue(c));
}

// One part a, seven parts b: the highlight band of a block.
constexpr uint32_t ColorSumm(uint32_t a, uint32_t b) {
    return MakeColor((ColorRed(a) + 7 * ColorRed(b)) / 8, (ColorGreen(a) + 7 * ColorGreen(b)) / 8,
                     (ColorBlue(a) + 7 * ColorBlue(b)) / 8);
}

// One part a, two parts b: the dots of a dotted border.
constexpr uint32_t ColorSumm12(uint32_t a, uint32_t b) {
    return MakeColor((ColorRed(a) + 2 * ColorRed(b)) / 3, (ColorGreen(a) + 2 * ColorGreen(b)) / 3,
                     (ColorBlue(a) + 2 * ColorBlue(b)) / 3);
}

constexpr uint32_t PixelFromColor(uint32_t c) {
    return (ColorRed(c) << 16) | (ColorGreen(c) << 8) | ColorBlue(c);
}

constexpr uint32_t ColorFromPixel(uint32_t p) {
    return MakeColor((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

// Pixel access by colour; writes and reads outside the bitmap are ignored (reads give 0).
inline void SetPixelz(Bitmap& bitmap, int x, uint32_t colour, int y) {
    if (bitmap.Contains(x, y)) bitmap.Row(y)[x] = PixelFromColor(colour);
}

inline uint32_t GetPixelz(const Bitmap& bitmap, int x, int y) {
    return bitmap.Contains(x, y) ? ColorFromPixel(bitmap.Row(y)[x]) : 0;
}

// Fills [left, right) x [top, bottom), clipped to the bitmap.
inline void FillRect(Bitmap& bitmap, int left, int top, int right, int bottom, uint32_t colour) {
    left = left < 0 ? 0 : left;
    top = top < 0 ? 0 : top;
    right = right > bitmap.width ? bitmap.width : right;
    bottom = bottom > bitmap.height ? bitmap.height : bottom;
    const uint32_t pixel = PixelFromColor(colour);
    for (int y = top; y < bottom; ++y) {
        uint32_t* row = bitmap.Row(y);
        for (int x = left; x < right; ++x)
            row[x] = pixel;
    }
}

} // namespace qm
