// A mark pass places a run of ASCII characters a line at a time; a paint pass places every
// character alone. Both must put every character at the same place, with bold text, characters
// of other widths (a DOS font shows some as several or none), wraps and dropped indentation.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "render_fixture.h"

namespace qm {
namespace {

using Placed = std::tuple<int32_t, int32_t, char, ColorRole>; // page y, x, character, role

class CharacterSink : public LayoutSink {
  public:
    void PlaceText(int32_t pageY, int32_t x, std::string_view text, ColorRole role) override {
        for (size_t i = 0; i < text.size(); ++i)
            placed.emplace_back(pageY, x + static_cast<int32_t>(i) * test::kGlyph, text[i], role);
    }
    int32_t PieceCharWidth() const override { return test::kGlyph; }
    std::vector<Placed> placed;
};

TEST(UniformLayoutTest, LineAtATimeAndCharacterAtATimeAgree) {
    const std::string page =
        "<p>   indented words and a longwordthatiswiderthanthewholeviewsoitwraps twice over"
        "<p>Cyrillic \xC0\xC1\xC2 then an ellipsis\x85 and an empty code \x98 between"
        "<pre>  kept   spaces\n\tand a tab</pre><a href=\"/a/very/long/address/that/wraps\">link"
        "</a> text <img src=i.png> after " +
        std::string(300, 'x') + " end";
    for (const bool bold : {false, true}) {
        test::RenderRig rig(23);
        for (bool& b : rig.options.Bold) b = bold;
        CharacterSink marked, painted;
        rig.browser.PageSource = page;
        RequestDecode(rig.decode);
        rig.renderer.RenderSite(RenderMode::Prepare);
        rig.renderer.SetLayoutSink(&marked);
        rig.renderer.RenderSite(RenderMode::Mark);
        rig.renderer.SetLayoutSink(&painted);
        rig.view.ImageHeight = rig.view.ContentHeight + test::kLine; // one window shows all
        rig.Paint(0);
        ASSERT_GT(marked.placed.size(), page.size() / 2);
        EXPECT_EQ(marked.placed, painted.placed) << "bold " << bold;
    }
}

} // namespace
} // namespace qm
