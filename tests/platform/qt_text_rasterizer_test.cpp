// The system-font rasteriser on our own bitmap.

#include <gtest/gtest.h>

#include <QGuiApplication>

#include "platform/qt_text_rasterizer.h"

namespace {

qm::FontSpec Font(int charset = 1, bool antialiasing = false) {
    qm::FontSpec font;
    font.name = "DejaVu Sans Mono";
    font.pointSize = 12;
    font.charset = charset;
    font.antialiasing = antialiasing;
    return font;
}

int CountInk(const qm::Bitmap& bitmap, uint32_t background) {
    int ink = 0;
    for (uint32_t pixel : bitmap.pixels) ink += pixel != background;
    return ink;
}

TEST(QtTextRasterizer, WidthsComeFromTheFontAndLineHeightIsPositive) {
    qm::QtTextRasterizer raster;
    raster.SetFont(Font());
    EXPECT_GT(raster.LineHeight(), 10);
    // A monospaced font: every printable byte, Cyrillic included, has the width of "M".
    int m = raster.CharWidth('M');
    EXPECT_GT(m, 4);
    EXPECT_EQ(raster.CharWidth('i'), m);
    EXPECT_EQ(raster.CharWidth(0xC0), m);  // Windows-1251 capital A
}

TEST(QtTextRasterizer, DrawsInkOfTheColourAndKeepsTheTopByteZero) {
    qm::QtTextRasterizer raster;
    raster.SetFont(Font());
    qm::Bitmap bitmap(100, 30, 0xFFFFFF);
    raster.Draw(bitmap, 2, 2, "Hi", 0x0000FF);  // red as 0x00BBGGRR
    EXPECT_GT(CountInk(bitmap, 0xFFFFFF), 10);
    bool sawRed = false;
    for (uint32_t pixel : bitmap.pixels) {
        EXPECT_EQ(pixel & 0xFF000000u, 0u);
        sawRed |= pixel == 0xFF0000;  // 0x00RRGGBB
    }
    EXPECT_TRUE(sawRed);
}

TEST(QtTextRasterizer, DrawingOutsideTheBitmapIsClipped) {
    qm::QtTextRasterizer raster;
    raster.SetFont(Font());
    qm::Bitmap bitmap(20, 10, 0);
    raster.Draw(bitmap, -50, -50, "far away", 0xFFFFFF);
    raster.Draw(bitmap, 500, 500, "far away", 0xFFFFFF);
    EXPECT_EQ(CountInk(bitmap, 0), 0);
    qm::Bitmap empty;
    raster.Draw(empty, 0, 0, "x", 0xFFFFFF);  // nothing to draw into
}

TEST(QtTextRasterizer, OemCharsetShowsTheBytesAsDos866) {
    // Byte 0xB0 is a light shade in DOS 866 and a degree sign in Windows-1251: the shade covers
    // far more of its cell.
    qm::QtTextRasterizer raster;
    raster.SetFont(Font(255));
    qm::Bitmap dos(40, 30, 0xFFFFFF);
    raster.Draw(dos, 0, 0, std::string(1, '\xB0'), 0);
    raster.SetFont(Font(1));
    qm::Bitmap win(40, 30, 0xFFFFFF);
    raster.Draw(win, 0, 0, std::string(1, '\xB0'), 0);
    EXPECT_GT(CountInk(dos, 0xFFFFFF), 2 * CountInk(win, 0xFFFFFF));
}

TEST(QtTextRasterizer, GlyphsLandWhereTheWidthTableSaysEvenInProportionalFonts) {
    // Kerned, fractional advances would drift from the integer layout over a long line.
    qm::QtTextRasterizer raster;
    qm::FontSpec font = Font();
    font.name = "Liberation Sans";
    font.pointSize = 14;
    raster.SetFont(font);
    std::string line;
    for (int i = 0; i < 30; ++i) line += "AVAWal1";
    int width = 0;
    for (char c : line) width += raster.CharWidth(static_cast<unsigned char>(c));
    qm::Bitmap bitmap(width + 40, 40, 0xFFFFFF);
    raster.Draw(bitmap, 0, 0, line, 0);
    int rightmost = 0;
    for (int y = 0; y < bitmap.height; ++y)
        for (int x = 0; x < bitmap.width; ++x)
            if (bitmap.Row(y)[x] != 0xFFFFFF) rightmost = std::max(rightmost, x);
    // The last glyph is "1": its ink ends inside its own cell, never past it.
    EXPECT_LE(rightmost, width);
    EXPECT_GE(rightmost, width - raster.CharWidth('1'));
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
