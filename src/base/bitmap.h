#pragma once
// The program's own 32-bit bitmap: pixels are 0x00RRGGBB words, rows top to bottom.

#include <cstdint>
#include <vector>

namespace qm {

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    Bitmap() = default;
    Bitmap(int w, int h, uint32_t fill = 0)
        : width(w > 0 ? w : 0), height(h > 0 ? h : 0),
          pixels(static_cast<size_t>(width) * static_cast<size_t>(height), fill) {}

    uint32_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * width; }
    const uint32_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * width; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

} // namespace qm
