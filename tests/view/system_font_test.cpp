// The system-font path of the renderer against a fake rasteriser: widths come from one table
// of 256 bytes per font, fonts follow the role's bold switch and the display options, and
// neighbouring characters of one colour are drawn as one string.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render_fixture.h"

namespace qm {
namespace {

// Every byte is 6 pixels wide (7 in bold); "|" is 10 pixels high.
class FakeRasterizer : public TextRasterizer {
  public:
    struct DrawCall {
        int x, y;
        std::string text;
        uint32_t colour;
        FontSpec font;
    };

    void SetFont(const FontSpec& font) override { font_ = font; }
    int CharWidth(unsigned char) override {
        ++widthQueries;
        return font_.bold ? 7 : 6;
    }
    int LineHeight() override { return 10; }
    void Draw(Bitmap& target, int x, int y, const std::string& text, uint32_t colour) override {
        draws.push_back({x, y, text, colour, font_});
        const int width = static_cast<int>(text.size()) * (font_.bold ? 7 : 6);
        FillRect(target, x, y, x + width, y + 8, colour);
    }

    int widthQueries = 0;
    std::vector<DrawCall> draws;

  private:
    FontSpec font_;
};

struct SystemFontRig : test::RenderRig {
    FakeRasterizer fake;
    Renderer systemRenderer{{browser, view, options, fonts, decode, pump, &fake, &host}};

    SystemFontRig() {
        fonts.BitmapFontActive = false;
        view.ImageWidth = 200;
        view.ImageHeight = 100;
        options.FontName = "Sans";
        options.Charset = 204;
        view.FontSize = 9;
    }

    void Show(const std::string& source) {
        browser.PageSource = source;
        RequestDecode(decode);
        systemRenderer.RenderSite(RenderMode::Prepare);
        systemRenderer.RenderSite(RenderMode::Mark);
        fake.draws.clear();
        fake.widthQueries = 0;
        systemRenderer.RenderSite(RenderMode::Paint);
    }
};

TEST(SystemFontTest, NeighbouringCharactersAreDrawnAsOneString) {
    SystemFontRig rig;
    rig.Show("hello world<br>next");
    EXPECT_EQ(12, rig.view.LineHeight) << "height of | plus the line gap of 2";
    ASSERT_EQ(2u, rig.fake.draws.size());
    const auto& first = rig.fake.draws[0];
    EXPECT_EQ("hello world", first.text);
    EXPECT_EQ(1, first.x);
    EXPECT_EQ(1, first.y) << "page y 1, minus 1, plus the top offset 1";
    EXPECT_EQ(rig.Color(ColorRole::Text), first.colour);
    EXPECT_EQ("Sans", first.font.name);
    EXPECT_EQ(204, first.font.charset);
    EXPECT_EQ(9, first.font.pointSize);
    EXPECT_TRUE(first.font.antialiasing);
    EXPECT_EQ("next", rig.fake.draws[1].text);
    EXPECT_EQ(13, rig.fake.draws[1].y);
    EXPECT_LE(rig.fake.widthQueries, 512) << "one table of 256 widths per bold state";
}

TEST(SystemFontTest, BlocksUseTheirRoleFont) {
    SystemFontRig rig;
    rig.options.Bold[static_cast<size_t>(ColorRole::Links)] = true;
    rig.options.Antialiasing = false;
    rig.Show("t<a href=x>");
    ASSERT_EQ(2u, rig.fake.draws.size());
    EXPECT_FALSE(rig.fake.draws[0].font.bold);
    const auto& link = rig.fake.draws[1];
    EXPECT_EQ("Link: x", link.text);
    EXPECT_TRUE(link.font.bold);
    EXPECT_FALSE(link.font.antialiasing);
    EXPECT_EQ(rig.Color(ColorRole::Links), link.colour);
}

TEST(SystemFontTest, WrapsByTheWidthTable) {
    SystemFontRig rig;
    rig.view.ImageWidth = 62; // 10 characters of 6 pixels fit below x 62
    rig.Show("abcdefghijklmnop");
    ASSERT_EQ(2u, rig.fake.draws.size());
    EXPECT_EQ("abcdefghij", rig.fake.draws[0].text);
    EXPECT_EQ("klmnop", rig.fake.draws[1].text);
    EXPECT_EQ(1 + 12, rig.fake.draws[1].y);
}

TEST(SystemFontTest, SelectionSplitsRunsSoCellsAreFilledFirst) {
    SystemFontRig rig;
    rig.options.Highlight = false;
    rig.view.SelectionActive = true;
    rig.view.SelectionTop = rig.view.SelectionBottom = 5;
    rig.Show("ab");
    // Both characters are drawn, each over its freshly filled cell.
    std::string drawn;
    for (const auto& call : rig.fake.draws)
        drawn += call.text;
    EXPECT_EQ("ab", drawn);
    EXPECT_EQ(InvColor(rig.Color(ColorRole::Text)), rig.fake.draws.back().colour);
    EXPECT_EQ(PixelFromColor(InvColor(rig.Color(ColorRole::Text))), rig.host.picture.Row(3)[8]);
}

} // namespace
} // namespace qm
