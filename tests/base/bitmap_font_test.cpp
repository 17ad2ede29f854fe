#include "base/bitmap_font.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/bitmap.h"
#include "state/bitmap_font_state.h"

namespace qm {
namespace {

constexpr uint32_t kInk = 0x00FFFFFF;

// Builds TVF images record by record.
class Tvf {
  public:
    explicit Tvf(uint16_t height) { Word(height); }
    Tvf& Glyph(uint16_t code, uint16_t width, uint16_t words, std::vector<uint16_t> rowWords) {
        Word(code).Word(width).Word(words);
        for (uint16_t w : rowWords)
            Word(w);
        return *this;
    }
    Tvf& Word(uint16_t value) {
        bytes_.push_back(static_cast<char>(value & 0xFF));
        bytes_.push_back(static_cast<char>(value >> 8));
        return *this;
    }
    Tvf& Cut(size_t count) {
        bytes_.resize(bytes_.size() - count);
        return *this;
    }
    std::string Bytes() const { return bytes_; }

  private:
    std::string bytes_;
};

// '#' for pixels of the given colour, '.' for anything else.
std::vector<std::string> Picture(const Bitmap& bitmap, uint32_t pixel = kInk) {
    std::vector<std::string> rows;
    for (int y = 0; y < bitmap.height; ++y) {
        std::string row;
        for (int x = 0; x < bitmap.width; ++x)
            row += bitmap.Row(y)[x] == pixel ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

std::string Joined(const std::vector<std::string>& rows) {
    std::string out;
    for (const std::string& row : rows)
        out += "\n  " + row;
    return out;
}

BitmapTextOptions Raw(int scale = 1) {
    BitmapTextOptions options;
    options.convert = TextConversion::None;
    options.scale = scale;
    return options;
}

std::vector<std::string> Draw(const BitmapFont& font, std::string_view text, int width, int height,
                              int x, int y, const BitmapTextOptions& options) {
    Bitmap bitmap(width, height);
    DrawBitmapText(font, bitmap, text, x, y, kInk, options);
    return Picture(bitmap);
}

BitmapFont Builtin(const std::string& name) {
    BitmapFont font;
    EXPECT_TRUE(font.Load(name)) << name;
    return font;
}

// A 3-row font: 'a' is a 2-pixel diagonal of width 3, 'b' a full row with ink past its width.
BitmapFont SmallFont() {
    BitmapFont font;
    font.LoadFromData(Tvf(3)
                          .Glyph('a', 3, 1, {0x0001, 0x0002, 0x0000})
                          .Glyph('b', 2, 1, {0x000F, 0x0000, 0x0000})
                          .Glyph('w', 12, 2, {0x0001, 0x0001, 0x0000, 0x0000, 0x8000, 0x0000})
                          .Bytes());
    return font;
}

TEST(BitmapFontLoader, HostileImagesNeverReadPastTheData) {
    struct Case {
        const char* what;
        std::string data;
        bool loaded;
        int height;
        std::vector<unsigned char> glyphs;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"empty", "", false, 0, {}},
        {"one byte", std::string("\x08", 1), false, 0, {}},
        {"height only", Tvf(8).Bytes(), true, 8, {}},
        {"four bytes", Tvf(8).Word(65).Bytes(), true, 8, {}},
        {"record header cut", Tvf(8).Word(65).Word(8).Bytes(), true, 8, {}},
        {"bitmap cut", Tvf(2).Glyph('A', 8, 1, {1, 2}).Cut(1).Bytes(), true, 2, {}},
        {"good then cut", Tvf(2).Glyph('A', 8, 1, {1, 2}).Glyph('B', 8, 1, {3, 4}).Cut(3).Bytes(), true, 2, {'A'}},
        {"huge words and height", Tvf(0xFFFF).Glyph('A', 8, 0xFFFF, {1, 2, 3}).Bytes(), true, 0xFFFF, {}},
        {"huge words after a good record", Tvf(1).Glyph('A', 8, 1, {1}).Glyph('B', 8, 0xFFFF, {1}).Bytes(), true, 1, {'A'}},
        {"height zero", Tvf(0).Glyph('A', 8, 5, {}).Glyph('B', 8, 9, {}).Bytes(), true, 0, {'A', 'B'}},
        {"code uses low byte", Tvf(1).Glyph(0x0141, 8, 1, {1}).Bytes(), true, 1, {'A'}},
        {"no words", Tvf(4).Glyph('A', 8, 0, {}).Bytes(), true, 4, {'A'}},
    };
    // clang-format on
    for (const Case& c : cases) {
        BitmapFont font;
        const bool loaded = font.LoadFromData(c.data);
        EXPECT_EQ(loaded, c.loaded) << c.what;
        EXPECT_EQ(font.Loaded(), c.loaded) << c.what;
        if (c.loaded) {
            EXPECT_EQ(font.Height(), c.height) << c.what;
        }
        std::vector<unsigned char> glyphs;
        for (int code = 0; code < 256; ++code)
            if (font.HasGlyph(static_cast<unsigned char>(code)))
                glyphs.push_back(static_cast<unsigned char>(code));
        EXPECT_EQ(glyphs, c.glyphs) << c.what;
        // Measuring and drawing every byte must stay inside the data and the bitmap.
        std::string all;
        for (int code = 0; code < 256; ++code)
            all.push_back(static_cast<char>(code));
        Bitmap bitmap(40, 20);
        DrawBitmapText(font, bitmap, all, -3, -2, kInk, Raw(3));
        BitmapTextWidth(font, all, Raw(3));
    }
}

TEST(BitmapFontLoader, LaterRecordOfTheSameCodeWins) {
    BitmapFont font;
    font.LoadFromData(Tvf(1).Glyph('A', 5, 1, {1}).Glyph('A', 7, 1, {2}).Bytes());
    EXPECT_EQ(font.Glyph('A').width, 7);
    EXPECT_EQ(font.Glyph('A').Word(0, 0), 2);
}

TEST(BitmapFontLoader, NamesAndFiles) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "quillmar_bitmap_font_test";
    fs::create_directories(folder);
    const std::string good = (folder / "good.tvf").string();
    std::ofstream(good, std::ios::binary) << Tvf(5).Glyph('x', 6, 1, {1, 1, 1, 1, 1}).Bytes();
    // The prefix is compared exactly: a lower-case one names a file in the working folder.
    std::ofstream("int:DOS8X8", std::ios::binary) << Tvf(3).Bytes();

    struct Case {
        std::string name;
        bool loaded;
        int height;
    };
    const Case cases[] = {
        {good, true, 5},
        {"int:DOS8X8", true, 3},
        {"INT:DOS8X8", true, 8},
        {"INT:DOS8X14", true, 14},
        {"INT:DOS8X16", true, 16},
        {"INT:dos8x16", false, 0},
        {"INT:", false, 0},
        {"INT:NOSUCH", false, 0},
        {(folder / "missing.tvf").string(), false, 0},
        {folder.string(), false, 0},
        {"", false, 0},
    };
    for (const Case& c : cases) {
        BitmapFont font;
        font.Load("INT:DOS8X16"); // a failed load releases the previous font
        EXPECT_EQ(LoadBitmapFont(font, c.name), c.loaded) << c.name;
        EXPECT_EQ(font.Loaded(), c.loaded) << c.name;
        if (c.loaded) {
            EXPECT_EQ(BitmapFontHeight(font), c.height) << c.name;
        }
    }
    fs::remove("int:DOS8X8");
    fs::remove_all(folder);
}

TEST(BitmapFontLoader, UnloadKeepsTheHeight) {
    BitmapFont font = Builtin("INT:DOS8X14");
    UnloadBitmapFont(font);
    EXPECT_FALSE(font.Loaded());
    EXPECT_FALSE(font.HasGlyph('A'));
    EXPECT_EQ(BitmapFontHeight(font), 14);
    EXPECT_EQ(BitmapTextWidth(font, "ABC", Raw()), 0);
    Bitmap bitmap(20, 20);
    DrawBitmapText(font, bitmap, "ABC", 0, 0, kInk, Raw());
    EXPECT_EQ(Joined(Picture(bitmap)).find('#'), std::string::npos);
}

TEST(BitmapTextWidth, Measures) {
    const BitmapFont dos = Builtin("INT:DOS8X8");
    struct Case {
        const char* what;
        std::string text;
        BoldText bold;
        int scale;
        int letterGap;
        int expected;
    };
    // clang-format off
    const Case cases[] = {
        {"three letters at scale 2", "ABC", BoldText::Off, 2, 0, 48},
        {"bold adds a scaled pixel per byte", "ABC", BoldText::On, 2, 0, 54},
        {"byte without a glyph", "A\1B", BoldText::Off, 1, 0, 16},
        {"byte without a glyph in bold", "A\1B", BoldText::On, 1, 0, 19},
        {"byte 0 is a wide empty cell", std::string(1, '\0'), BoldText::Off, 3, 0, 48},
        {"only the first line counts", "AB\rCDEF", BoldText::Off, 1, 0, 16},
        {"line feed has no glyph", "AB\nC", BoldText::Off, 1, 0, 24},
        {"letter gap between glyphs", "AB", BoldText::Off, 2, 1, 34},
        {"empty text with a gap", "", BoldText::Off, 2, 1, -2},
        {"scale below 1 counts as 1", "AB", BoldText::Off, 0, 0, 16},
    };
    // clang-format on
    for (const Case& c : cases) {
        BitmapTextOptions options = Raw(c.scale);
        options.bold = c.bold;
        options.letterGap = c.letterGap;
        EXPECT_EQ(BitmapTextWidth(dos, c.text, options), c.expected) << c.what;
    }
}

TEST(DrawBitmapText, CapitalAOfTheEightRowFont) {
    // clang-format off
    const std::vector<std::string> expected = {
        "..###.....",
        ".##.##....",
        "##...##...",
        "#######...",
        "##...##...",
        "##...##...",
        "##...##...",
        "..........",
        "..........",
    };
    // clang-format on
    const auto actual = Draw(Builtin("INT:DOS8X8"), "A", 10, 9, 0, 0, Raw());
    EXPECT_EQ(actual, expected) << "expected" << Joined(expected) << "\nactual" << Joined(actual);
}

TEST(DrawBitmapText, PatternsOfScaleBoldGapsAndClipping) {
    const BitmapFont font = SmallFont();
    struct Case {
        const char* what;
        std::string text;
        int x, y, scale, letterGap, lineGap;
        BoldText bold;
        std::vector<std::string> expected;
    };
    // clang-format off
    const Case cases[] = {
        {"two glyphs advance by their widths", "ab", 0, 0, 1, 0, 0, BoldText::Off,
         {"#..####.",
          ".#......",
          "........"}},
        {"scale 2 makes 2x2 pixels", "a", 1, 0, 2, 0, 0, BoldText::Off,
         {".##.....",
          ".##.....",
          "...##...",
          "...##...",
          "........"}},
        {"bold doubles ink and advances one more", "aa", 0, 0, 1, 0, 0, BoldText::On,
         {"##..##..",
          ".##..##.",
          "........"}},
        {"letter gap", "aa", 0, 0, 1, 2, 0, BoldText::Off,
         {"#....#..",
          ".#....#.",
          "........"}},
        {"carriage return goes back to x", "a\rb", 2, 0, 1, 0, 1, BoldText::Off,
         {"..#.....",
          "...#....",
          "........",
          "........",
          "..####..",
          "........"}},
        {"clipped at negative coordinates", "ab", -1, -1, 1, 0, 0, BoldText::Off,
         {"#.......",
          "........"}},
        {"clipped at the right edge", "bbb", 3, 0, 1, 0, 0, BoldText::Off,
         {"...#####",
          "........"}},
        {"second word and ink past the width", "wa", 0, 0, 1, 0, 0, BoldText::Off,
         {"#...........#...#...",
          ".............#......",
          "...............#...."}},
        {"byte without a glyph neither draws nor moves", "a\1\na", 0, 0, 1, 0, 0, BoldText::Off,
         {"#..#....",
          ".#..#...",
          "........"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        BitmapTextOptions options = Raw(c.scale);
        options.letterGap = c.letterGap;
        options.lineGap = c.lineGap;
        options.bold = c.bold;
        const int width = static_cast<int>(c.expected[0].size());
        const int height = static_cast<int>(c.expected.size());
        const auto actual = Draw(font, c.text, width, height, c.x, c.y, options);
        EXPECT_EQ(actual, c.expected)
            << c.what << "\nexpected" << Joined(c.expected) << "\nactual" << Joined(actual);
    }
}

TEST(DrawBitmapText, ColourIsWrittenAsPixelWithRedHigh) {
    Bitmap bitmap(3, 3, 0x00123456);
    DrawBitmapText(SmallFont(), bitmap, "a", 0, 0, 0x00332211, Raw());
    EXPECT_EQ(bitmap.Row(0)[0], 0x00112233u);
    EXPECT_EQ(bitmap.Row(1)[1], 0x00112233u);
    EXPECT_EQ(bitmap.Row(0)[1], 0x00123456u);
}

TEST(DrawBitmapText, HugeScaleFarOutsideTheBitmapIsCheap) {
    const BitmapFont dos = Builtin("INT:DOS8X16");
    Bitmap bitmap(16, 16);
    BitmapTextOptions options = Raw(1000000);
    DrawBitmapText(dos, bitmap, "AAAA", 2000000000, -2000000000, kInk, options);
    DrawBitmapText(dos, bitmap, "\xDB", 0, 0, kInk, options);
    EXPECT_EQ(bitmap.Row(15)[15], kInk); // the first ink pixel covers the whole bitmap
    EXPECT_EQ(BitmapTextWidth(dos, std::string(4000, 'A'), options), 2147483647);
}

TEST(BuiltinFonts, EachLoadsAndDrawsAllGlyphs) {
    struct Case {
        const char* name;
        int height;
    };
    for (const Case& c :
         {Case{"INT:DOS8X8", 8}, Case{"INT:DOS8X14", 14}, Case{"INT:DOS8X16", 16}}) {
        const BitmapFont font = Builtin(c.name);
        EXPECT_EQ(font.Height(), c.height) << c.name;
        int drawn = 0;
        for (int code = 0; code < 256; ++code) {
            const auto byte = static_cast<unsigned char>(code);
            const bool expectGlyph = code == 0 || code >= 32;
            ASSERT_EQ(font.HasGlyph(byte), expectGlyph) << c.name << " code " << code;
            if (!expectGlyph) continue;
            EXPECT_EQ(font.Glyph(byte).width, code == 0 ? 16 : 8) << c.name << " code " << code;
            const auto picture =
                Draw(font, std::string(1, static_cast<char>(byte)), 16, c.height, 0, 0, Raw());
            const bool blank = Joined(picture).find('#') == std::string::npos;
            // Only the two spaces and the wide empty cell are blank.
            EXPECT_EQ(blank, code == 0 || code == 0x20 || code == 0xFF)
                << c.name << " code " << code;
            ++drawn;
        }
        EXPECT_EQ(drawn, 225) << c.name;
        std::string all;
        for (int code = 0; code < 256; ++code)
            if (code != '\r') all.push_back(static_cast<char>(code));
        EXPECT_EQ(BitmapTextWidth(font, all, Raw()), 224 * 8 + 16) << c.name;
    }
}

TEST(BuiltinFonts, GlyphsSitAtTheirDos866Positions) {
    // Cyrillic letters that look like Latin ones share their glyphs in these fonts.
    struct Case {
        unsigned char dos;
        char latin;
    };
    const Case letters[] = {{0x80, 'A'}, {0x82, 'B'}, {0x8D, 'H'}, {0x8E, 'O'},
                            {0xAE, 'o'}, {0xE0, 'p'}, {0xE1, 'c'}};
    for (const char* name : {"INT:DOS8X8", "INT:DOS8X14", "INT:DOS8X16"}) {
        const BitmapFont font = Builtin(name);
        const int h = font.Height();
        for (const Case& c : letters) {
            EXPECT_EQ(Draw(font, std::string(1, static_cast<char>(c.dos)), 8, h, 0, 0, Raw()),
                      Draw(font, std::string(1, c.latin), 8, h, 0, 0, Raw()))
                << name << " DOS " << int(c.dos) << " against " << c.latin;
        }
        // Box drawing: a full-width horizontal line at C4, a vertical bar at B3, a block at DB.
        const auto horizontal = Draw(font, "\xC4", 8, h, 0, 0, Raw());
        EXPECT_NE(std::find(horizontal.begin(), horizontal.end(), "########"), horizontal.end())
            << name << Joined(horizontal);
        for (const std::string& row : Draw(font, "\xB3", 8, h, 0, 0, Raw()))
            EXPECT_EQ(row, "...##...") << name;
        for (const std::string& row : Draw(font, "\xDB", 8, h, 0, 0, Raw()))
            EXPECT_EQ(row, "########") << name;
    }
}

TEST(BuiltinFonts, WindowsTextIsConvertedToDos866) {
    const BitmapFont font = Builtin("INT:DOS8X16");
    struct Case {
        const char* what;
        std::string windows;
        DosSubstitution substitute;
        std::string dos;
    };
    // clang-format off
    const Case cases[] = {
        {"capital A, Ya", "\xC0\xDF", DosSubstitution::On, "\x80\x9F"},
        {"small a, pe, er, ya", "\xE0\xEF\xF0\xFF", DosSubstitution::On, "\xA0\xAF\xE0\xEF"},
        {"capital Yo, small zhe", "\xA8\xE6", DosSubstitution::On, "\xF0\xA6"},
        {"numero sign", "\xB9", DosSubstitution::On, "\xFC"},
        {"copyright sign in the page view", "\xA9", DosSubstitution::On, "(C)"},
        {"copyright sign in the hex view", "\xA9", DosSubstitution::Off, " "},
    };
    // clang-format on
    for (const Case& c : cases) {
        BitmapTextOptions converted;
        converted.substitute = c.substitute;
        EXPECT_EQ(Draw(font, c.windows, 40, 16, 0, 0, converted),
                  Draw(font, c.dos, 40, 16, 0, 0, Raw()))
            << c.what;
        EXPECT_EQ(BitmapTextWidth(font, c.windows, converted), 8 * int(c.dos.size())) << c.what;
    }
}

TEST(BitmapFontState, LoadingSwitchesTheViewAndFailureKeepsTheFont) {
    BitmapFontState state;
    FontSwitch result = LoadBuiltinTVFfont(state, "INT:DOS8X14");
    EXPECT_TRUE(result.loaded);
    EXPECT_TRUE(result.rerender);
    EXPECT_TRUE(state.BitmapFontActive);
    EXPECT_EQ(state.FontFileName, "INT:DOS8X14");

    result = LoadTVFfont(state, "/nonexistent/font.tvf", FontLoadRequest::Asked);
    EXPECT_FALSE(result.loaded);
    EXPECT_FALSE(result.rerender);
    EXPECT_TRUE(state.Font.Loaded());
    EXPECT_EQ(BitmapFontHeight(state.Font), 14);
    EXPECT_EQ(state.FontFileName, "INT:DOS8X14");

    CloseBitmapFont(state);
    EXPECT_FALSE(state.BitmapFontActive);
    EXPECT_FALSE(state.Font.Loaded());
    EXPECT_EQ(state.FontFileName, "");
}

TEST(BitmapFontState, RerenderOnlyWhenAskedOrBuiltIn) {
    namespace fs = std::filesystem;
    const std::string file = (fs::temp_directory_path() / "quillmar_state_font.tvf").string();
    std::ofstream(file, std::ios::binary) << Tvf(7).Bytes();
    BitmapFontState state;
    EXPECT_FALSE(LoadTVFfont(state, file, FontLoadRequest::NotAsked).rerender);
    EXPECT_TRUE(LoadTVFfont(state, file, FontLoadRequest::Asked).rerender);
    EXPECT_TRUE(LoadTVFfont(state, "INT:DOS8X8", FontLoadRequest::NotAsked).rerender);
    fs::remove(file);
}

TEST(BitmapFontState, LabelsSizeListAndDosSwitch) {
    EXPECT_EQ(FontLabelText("INT:DOS8X16"), "TVF: DOS8X16");
    EXPECT_EQ(FontLabelText("C:\\fonts\\thin.tvf"), "TVF: thin.tvf");
    EXPECT_EQ(FontLabelText("/home/u/fonts/thin.tvf"), "TVF: thin.tvf");
    EXPECT_EQ(FontLabelText("plain.tvf"), "TVF: plain.tvf");

    BitmapFontState state;
    int32_t fontSize = 11;
    EXPECT_FALSE(ToggleDosEncoding(state)); // system font: nothing to redraw
    EXPECT_EQ(EncodingLabelText(state), "DOS CP866");
    ApplySizeListChoice(state, fontSize, 14);
    EXPECT_EQ(fontSize, 14);

    LoadBuiltinTVFfont(state, "INT:DOS8X8");
    ApplySizeListChoice(state, fontSize, 3);
    EXPECT_EQ(state.BitmapFontScale, 3);
    EXPECT_EQ(fontSize, 14);
    EXPECT_EQ(SizeListNumber(state, fontSize), 3);
    EXPECT_TRUE(ToggleDosEncoding(state));
    EXPECT_EQ(EncodingLabelText(state), "WIN CP1251");

    CloseBitmapFont(state);
    EXPECT_EQ(SizeListNumber(state, fontSize), 14);
}

} // namespace
} // namespace qm
