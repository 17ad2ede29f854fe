#include <gtest/gtest.h>

#include "state/bitmap_font_state.h"
#include "view/site_to_hex.h"
#include "view/view_dump.h"
#include "view/view_modes.h"
#include "render_fixture.h"

namespace qm {
namespace {

const ConversionStep kAllSteps = [](int) { return true; };

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

TEST(TextView, EscapesEveryTagAndKeepsLineBreaks) {
    struct Case {
        std::string source, expected;
    } cases[] = {
        {Bytes({0x41, 0x0D, 0x0A}), "A<br>"},
        {"a\tb", "a  b"},
        {std::string("a\0b", 3), "a<br>b"},
        {"a\rb\nc\r\n\r\nd", "a<br>b<br>c<br><br>d"},
        {"<b>&amp;", "&lt;b&gt;&amp;amp;"},
        {Bytes({'x', 0x01, 0x1F, 0x7F}), Bytes({'x', ' ', ' ', 0x7F})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, TextViewSource(c.source, kAllSteps)) << c.source;
}

TEST(TextView, NoCharacterOfTheUtf8DecodingIsReadAsMarkup) {
    struct Case {
        std::string source;
        bool utf8;
        ViewMode mode;
        std::string expected; // the laid-out lines, Windows-1251
    };
    const std::string hexPad(27, ' ');
    const Case cases[] = {
        // Overlong forms of "<", "&" and ">".
        {Bytes({0x61, 0xC0, 0xBC, 0x62, 0x72, 0x3E, 0x7A}), true, ViewMode::Text, "a<br>z\n"},
        // Without it they are two letters; the 8x16 font has no glyph for the second.
        {Bytes({0x61, 0xC0, 0xBC, 0x62, 0x72, 0x3E, 0x7A}), false, ViewMode::Text,
         std::string("a\xC0") + "br>z\n"},
        {Bytes({0xC0, 0xA6, 0x6C, 0x74, 0x3B, 0xC0, 0xBE}), true, ViewMode::Text, "&lt;>\n"},
        {"<b>x</b>", true, ViewMode::Text, "<b>x</b>\n"},
        {"<b>x</b>", false, ViewMode::Text, "<b>x</b>\n"},
        {Bytes({0x61, 0xC0, 0xBC, 0x62, 0x72, 0x3E, 0x7A}), true, ViewMode::Hex,
         "00000000 61 C0 BC 62 72 3E 7A " + hexPad + "a\xC0 br>z\n"},
        {"<b>", true, ViewMode::Hex, "00000000 3C 62 3E " + hexPad + "            <b>\n"},
    };
    for (const Case& c : cases) {
        BrowserState browser;
        browser.PageSource = c.source;
        browser.Utf8Decoding = c.utf8;
        EXPECT_EQ(c.expected, DumpSourceView(browser, ViewOptions{}, 80, c.mode))
            << c.source << (c.utf8 ? " with" : " without") << " UTF-8";
    }
}

TEST(TextView, AStoppedConversionKeepsTheStepsDone) {
    std::vector<int> announced;
    const std::string done = TextViewSource("<a>\r\n&", [&](int percent) {
        announced.push_back(percent);
        return percent < 40; // F5 while ">" is announced
    });
    EXPECT_EQ("&lt;a>\r\n&amp;", done);
    EXPECT_EQ((std::vector<int>{0, 20, 40}), announced);
}

TEST(HexView, LinesHaveOffsetsCodesAndPaddedCharacters) {
    const HexCharacterCells cells = MarkupCells(HexShownBytes(BitmapFontState{}));
    std::string source = "0123456789ABCDEF<&>\x01";
    const std::string hex = HexViewSource(source, cells, "<br>", kAllSteps);
    EXPECT_EQ("00000000 30 31 32 33 34 35 36 37 38 39 41 42 43 44 45 46 0123456789ABCDEF<br>"
              "00000010 3C 26 3E 01 " + std::string(36, ' ') + "&lt;&amp;&gt; <br>",
              hex);
}

TEST(HexView, AStopKeepsOnlyTheFullLines) {
    const HexCharacterCells cells = MarkupCells(HexShownBytes(BitmapFontState{}));
    const std::string source(1000, 'x'); // a progress step every 10 bytes
    for (int stopAt : {2, 3, 16}) {      // the byte that grew the percentage is still taken
        const std::string hex = HexViewSource(source, cells, "\n", [&](int p) { return p < stopAt; });
        const size_t taken = stopAt * 10;
        EXPECT_EQ(taken / 16, static_cast<size_t>(std::count(hex.begin(), hex.end(), '\n')))
            << "stopped at " << stopAt << "%";
    }
}

TEST(HexView, TheBitmapFontDecidesWhichBytesAreShown) {
    BitmapFontState fonts;
    LoadBuiltinTVFfont(fonts, "INT:DOS8X16");
    fonts.DosEncoding = true; // as the character map sets it
    const std::array<bool, 256> shown = HexShownBytes(fonts);
    for (int byte = 0x80; byte <= 0xF1; ++byte) EXPECT_TRUE(shown[byte]) << std::hex << byte;
    EXPECT_FALSE(shown[0]);

    // A font with a glyph for the control code 1 shows it; the byte 0 never shows.
    std::string tvf = Bytes({16, 0});
    for (int code : {0, 1, int{'A'}}) tvf += Bytes({code, 0, 8, 0, 1, 0}) + std::string(32, '\xFF');
    ASSERT_TRUE(fonts.Font.LoadFromData(tvf));
    fonts.DosEncoding = false;
    const std::array<bool, 256> withControls = HexShownBytes(fonts);
    EXPECT_TRUE(withControls[1]);
    EXPECT_TRUE(withControls['A']);
    EXPECT_FALSE(withControls[0]);
    EXPECT_FALSE(withControls['B']) << "no glyph, no width";
}

// A font that draws the control codes 1, 9 and 10 as blocks and every other code as a dot: the
// character column keeps a cell for each control code, and the letter after them its column.
TEST(HexView, ControlCodesTheFontDrawsKeepTheirCells) {
    test::RenderRig rig(80);
    std::string tvf = Bytes({16, 0});
    for (int code = 1; code < 256; ++code) {
        const bool block = code == 1 || code == 9 || code == 10;
        tvf += Bytes({code, 0, 8, 0, 1, 0});
        for (int row = 0; row < 16; ++row) tvf += block ? Bytes({0xFF, 0}) : Bytes({row == 0, 0});
    }
    ASSERT_TRUE(rig.fonts.Font.LoadFromData(tvf));
    rig.view.ViewMode = ViewMode::Hex;
    const Bitmap& picture = rig.Show(Bytes({'A', 1, 9, 10, 'A'}));
    const uint32_t text = rig.Color(ColorRole::Text);
    const auto inkOf = [&](int cell) {
        const int left = 1 + (8 + 1 + 3 * 16 + cell) * test::kGlyph;
        int ink = 0;
        for (int y = 0; y < picture.height && y < 20; ++y)
            for (int x = left; x < left + test::kGlyph; ++x) ink += test::PixelAt(picture, x, y) == text;
        return ink;
    };
    const int expected[] = {1, 128, 128, 128, 1, 0};
    for (int cell = 0; cell < 6; ++cell) EXPECT_EQ(expected[cell], inkOf(cell)) << "cell " << cell;
}

TEST(HexView, ThePreparePassShowsTheCodesAndUnescapedCharacters) {
    test::RenderRig rig(80);
    rig.view.ViewMode = ViewMode::Hex;
    rig.browser.RequestReport = "old report";
    rig.Show("<&");
    EXPECT_TRUE(rig.browser.RequestReport.empty());
    EXPECT_FALSE(rig.browser.ConvertBusy);
    const std::vector<ViewLine> lines =
        LayoutViewLines(rig.browser, rig.options, 80, ViewMode::Hex);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("00000000 3C 26" + std::string(43, ' ') + "<&", lines[0].text);
}

TEST(HexView, TheDumpLinesMatchTheLaidOutView) {
    std::string source;
    for (int i = 0; i < 700; ++i) source += static_cast<char>((i * 37) % 256);
    BrowserState browser;
    browser.PageSource = source;
    std::string laidOut;
    for (const ViewLine& line : LayoutViewLines(browser, ViewOptions{}, kHexLineCharacters, ViewMode::Hex))
        laidOut += line.text + "\n";
    EXPECT_EQ(laidOut, DumpHexLines(source, [](unsigned char b) { return std::string(1, static_cast<char>(b)); }));
}

TEST(CharMap, ShowsBytes32To255InTheHexViewWithDosEncoding) {
    BrowserState browser;
    ViewState view;
    BitmapFontState fonts;
    SourceDecodeState decode;
    browser.PageContentType = "text/html";
    view.ScrollY = 500;
    ShowCharMap(browser, view, fonts, decode);
    ASSERT_EQ(224u, browser.PageSource.size());
    EXPECT_EQ(' ', browser.PageSource.front());
    EXPECT_EQ('\xFF', browser.PageSource.back());
    EXPECT_TRUE(browser.PageContentType.empty());
    EXPECT_TRUE(fonts.DosEncoding);
    EXPECT_EQ(ViewMode::Hex, view.ViewMode);
    EXPECT_EQ(0, view.ScrollY);
}

TEST(ViewModes, OnlyTheHtmlViewDecodesAgain) {
    ViewState view;
    SourceDecodeState decode;
    ChooseViewMode(view, decode, ViewMode::Html);
    EXPECT_TRUE(decode.NeedDecode);
    ChooseViewMode(view, decode, ViewMode::Hex);
    EXPECT_TRUE(decode.NeedDecode) << "the hex view leaves the flag";
    ChooseViewMode(view, decode, ViewMode::Text);
    EXPECT_FALSE(decode.NeedDecode);
}

} // namespace
} // namespace qm
