// Reference tests of the renderer with the built-in 8x16 bitmap font, which draws the same
// everywhere: pixels compared between sources, rows compared against colour roles, restarts
// against full runs, aborted passes against consistent state.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/view_colors.h"
#include "render_fixture.h"
#include "state/ui_strings.h"

namespace qm {
namespace {

using test::FirstDifferentRow;
using test::kGlyph;
using test::kLine;
using test::PixelAt;
using test::RenderRig;
using test::RowsHold;

// Page y of line n and the bitmap rows of its band at offset 0.
int LineY(int n) {
    return 1 + n * kLine;
}

struct PassCalls {
    int restart = 0;
    int full = 0;
};

// Paints at scroll from the saved checkpoints and again from the top: pictures and objects must
// match. Adds the pump calls of each pass to calls.
void ExpectRestartEqualsFull(RenderRig& rig, const std::vector<RenderCheckpoint>& checkpoints,
                             int scroll, const std::string& what, PassCalls& calls) {
    rig.view.RenderCheckpoints = checkpoints;
    rig.pump.calls = 0;
    Bitmap restarted = rig.Paint(scroll);
    calls.restart += rig.pump.calls;
    const auto restartedObjects = rig.view.ViewObjects;
    rig.view.RenderCheckpoints.resize(1);
    rig.pump.calls = 0;
    Bitmap full = rig.Paint(scroll);
    calls.full += rig.pump.calls;
    ASSERT_EQ(-1, FirstDifferentRow(restarted, full)) << what << " scroll " << scroll;
    const auto& objects = rig.view.ViewObjects;
    ASSERT_EQ(restartedObjects.size(), objects.size()) << what << " scroll " << scroll;
    for (size_t i = 0; i < objects.size(); ++i) {
        EXPECT_EQ(restartedObjects[i].Top, objects[i].Top) << what << " scroll " << scroll;
        EXPECT_EQ(restartedObjects[i].Bottom, objects[i].Bottom) << what << " scroll " << scroll;
        EXPECT_EQ(restartedObjects[i].Text, objects[i].Text) << what << " scroll " << scroll;
    }
}

// Row y across the picture: a solid line of text colour, or every fourth pixel a dot.
void ExpectBorderRow(const RenderRig& rig, const Bitmap& picture, int y, bool dotted,
                     const std::string& what) {
    const uint32_t text = rig.Color(ColorRole::Text), back = rig.Color(ColorRole::Back);
    for (int x = 0; x < picture.width; ++x) {
        const uint32_t expected = dotted ? (x % 4 == 0 ? ColorSumm12(text, back) : back) : text;
        ASSERT_EQ(expected, PixelAt(picture, x, y)) << what << " at x " << x;
    }
}

TEST(RendererTest, EquivalentSourcesGiveIdenticalPixels) {
    struct Pair {
        const char* a;
        const char* b;
    };
    const std::vector<Pair> pairs = {
        {"a\r\nb", "a b"},
        {"&#60;x&amp;", "&lt;x&#38;"},
        {"<img\nsrc=a.png>", "<IMG SRC=a.png>"},
        {"x<script>y</script>z", "xz"},
        {"<p>a</p>", "<br>a<br>"},
        {"   indented", "indented"},
        {"<a href=\"x\" >t</a>", "<a href=\"x\">t</a>"},
    };
    for (const Pair& pair : pairs) {
        RenderRig a, b;
        a.Show(pair.a);
        b.Show(pair.b);
        EXPECT_EQ(-1, FirstDifferentRow(a.host.picture, b.host.picture))
            << "sources [" << pair.a << "] and [" << pair.b << "]";
        EXPECT_EQ(a.view.ContentHeight, b.view.ContentHeight) << pair.a;
    }
}

TEST(RendererTest, EachLineCarriesItsColourRole) {
    RenderRig rig;
    rig.options.Comments = true;
    // Lines: 0 text, 1 gap, 2 link, 3 text, 4 gap, 5 comment.
    const Bitmap& picture = rig.Show("text<a href=x>more<!--c-->");
    const uint32_t back = rig.Color(ColorRole::Back);
    struct Row {
        int line;
        ColorRole ink;
        bool band;
    };
    const std::vector<Row> rows = {{0, ColorRole::Text, false},
                                   {2, ColorRole::Links, true},
                                   {3, ColorRole::Text, false},
                                   {5, ColorRole::Comments, true}};
    for (const Row& row : rows) {
        const int top = LineY(row.line), bottom = top + kLine;
        EXPECT_TRUE(RowsHold(picture, top, bottom, rig.Color(row.ink))) << "line " << row.line;
        const uint32_t band = row.band ? ColorSumm(rig.Color(row.ink), back) : back;
        EXPECT_EQ(band, PixelAt(picture, 0, top)) << "band of line " << row.line;
        EXPECT_EQ(band, PixelAt(picture, picture.width - 2, bottom - 1)) << "line " << row.line;
        EXPECT_EQ(back, PixelAt(picture, picture.width - 1, top))
            << "last column, line " << row.line;
        for (ColorRole other : {ColorRole::Text, ColorRole::Links, ColorRole::Comments})
            if (other != row.ink) {
                EXPECT_FALSE(RowsHold(picture, top, bottom, rig.Color(other)))
                    << "line " << row.line << " holds role " << static_cast<int>(other);
            }
    }
    for (int gap : {1, 4})
        for (int y = LineY(gap); y < LineY(gap) + kLine; ++y)
            for (int x = 0; x < picture.width; ++x)
                ASSERT_EQ(back, PixelAt(picture, x, y)) << "gap line " << gap << " at " << x;

    ASSERT_EQ(1u, rig.view.ViewObjects.size());
    const ViewObject& link = rig.view.ViewObjects[0];
    EXPECT_EQ(ViewObjectKind::Link, link.Kind);
    EXPECT_EQ("x", link.Text);
    EXPECT_EQ(LineY(2), link.Top);
    EXPECT_EQ(LineY(3), link.Bottom);
}

TEST(RendererTest, GlyphsSitTwoRowsBelowTheLineTop) {
    RenderRig rig;
    rig.options.Highlight = false;
    const Bitmap& picture = rig.Show("_");
    const uint32_t ink = rig.Color(ColorRole::Text);
    // The underscore of the 8x16 font lies near the bottom of its cell, which starts at row 2.
    int lowest = -1;
    for (int y = 0; y < picture.height; ++y)
        if (RowsHold(picture, y, y + 1, ink)) lowest = y;
    EXPECT_GE(lowest, 2 + 12);
    EXPECT_LE(lowest, 2 + 15);
    EXPECT_FALSE(RowsHold(picture, 0, 2, ink));
    EXPECT_EQ(ink, PixelAt(picture, 1, lowest));
}

TEST(RendererTest, BorderKinds) {
    struct Case {
        const char* what;
        const char* source;
        bool gaps;
        bool dotted; // expected pattern of row 19, the last row of line 0's band
    };
    const std::vector<Case> cases = {
        {"solid bottom border", "a</div>b", true, false},
        {"dotted bottom border", "a</td>b", true, true},
        {"dotted after solid on one row", "a</div></td>b", false, false},
        {"solid after dotted on one row", "a</td></div>b", false, false},
    };
    for (const Case& c : cases) {
        RenderRig rig;
        rig.options.Gaps = c.gaps;
        const Bitmap& picture = rig.Show(c.source);
        ASSERT_NO_FATAL_FAILURE(ExpectBorderRow(rig, picture, LineY(1) - 1, c.dotted, c.what));
    }
}

TEST(RendererTest, TopBordersOfTables) {
    RenderRig rig;
    rig.options.TopBorders = true;
    rig.options.Media = false; // TD would also break for its background block
    const Bitmap& picture = rig.Show("x<table><tr><td>a");
    // TABLE after x: advance, solid line above line 1. TR and TD on the empty line 1: no
    // advance, their top borders fall on the same row; the dotted one must not hide it.
    ExpectBorderRow(rig, picture, LineY(1) - 1, false, "table top");
}

// A long page with every kind of line: wrapped words, blocks with bands and objects,
// borders, preformatted text, forms shown twice, comments.
std::string MixedPage() {
    std::string page = "<title>T</title>";
    for (int i = 0; i < 40; ++i) {
        const std::string n = std::to_string(i);
        page += "Paragraph " + n + " with words that wrap around the narrow view.<p>";
        page += "<a href=l" + n + ".html>link " + n + "</a> <img src=i" + n + ".png width=3>";
        page += "<table><tr><td>cell</td><td background=b.gif>x</td></tr></table>";
        page += "<!-- note " + n + " --><pre>pre  line\n\n  second</pre>";
        page += "<form action=f><input src=s.png>in form</form>";
        page += "Averyveryverylongwordthatcannotfitononeline" + n + "&amp;more<br><br>";
        page += "<b>bold</b><blockquote>q</blockquote>";
    }
    return page;
}

TEST(RendererTest, RestartFromCheckpointEqualsFullRun) {
    RenderRig rig(30, 160);
    rig.options.Comments = true;
    rig.options.TopBorders = true;
    rig.options.Accents = true;
    rig.options.Anchors = true;
    rig.options.FormsCode = true;
    rig.Show(MixedPage());
    const auto checkpoints = rig.view.RenderCheckpoints;
    ASSERT_GT(checkpoints.size(), 10u);
    for (size_t i = 1; i < checkpoints.size(); ++i)
        ASSERT_LT(checkpoints[i - 1].Y, checkpoints[i].Y) << "checkpoint " << i;

    const int content = rig.view.ContentHeight;
    PassCalls calls;
    for (int scroll = 0; scroll < content; scroll += 37) {
        for (bool selection : {false, true}) {
            rig.view.SelectionActive = selection;
            rig.view.SelectionTop = scroll + 40;
            rig.view.SelectionBottom = scroll + 90;
            ASSERT_NO_FATAL_FAILURE(ExpectRestartEqualsFull(
                rig, checkpoints, scroll, selection ? "selection" : "no selection", calls));
        }
    }
    // Restarting is what keeps scrolling cheap: far fewer lines are laid out.
    EXPECT_LT(calls.restart * 10, calls.full);
}

TEST(RendererTest, CopyFromCheckpointEqualsFullRun) {
    RenderRig rig(30, 160);
    rig.Show(MixedPage());
    const auto checkpoints = rig.view.RenderCheckpoints;
    for (int top : {30, 400, 2000, 5000}) {
        std::string copies[2];
        for (int full = 0; full < 2; ++full) {
            rig.view.RenderCheckpoints = checkpoints;
            if (full) rig.view.RenderCheckpoints.resize(1);
            rig.view.CopyRequest = true;
            rig.view.CopyTop = top;
            rig.view.CopyBottom = top + 200;
            rig.Paint(top + 1000);
            EXPECT_FALSE(rig.view.CopyRequest);
            copies[full] = rig.host.objectInfo;
        }
        EXPECT_EQ(copies[1], copies[0]) << "copy from " << top;
        EXPECT_FALSE(copies[0].empty());
    }
}

TEST(RendererTest, CopyCollectsTheSelectedLines) {
    RenderRig rig;
    rig.Show("one<br>two<br>three<br>four");
    rig.view.CopyRequest = true;
    rig.view.CopyTop = LineY(1);
    rig.view.CopyBottom = LineY(3);
    rig.Paint(0);
    EXPECT_EQ("one\r\ntwo\r\nthree", rig.host.objectInfo);
}

TEST(RendererTest, SelectionInvertsCellsAndInk) {
    RenderRig rig;
    rig.options.Highlight = false;
    rig.options.Colors[0] = RgbColor(200, 220, 240); // inverted, it differs from the ink
    rig.Show("ab<br>cd");
    const uint32_t back = rig.Color(ColorRole::Back), text = rig.Color(ColorRole::Text);
    for (bool feedback : {false, true}) {
        rig.view.SelectionActive = true;
        rig.view.ClickFeedback = feedback;
        rig.view.SelectionTop = rig.view.SelectionBottom = LineY(1) - 1;
        const Bitmap& picture = rig.Paint(0);
        const uint32_t cell = feedback ? RotColor(back) : InvColor(back);
        const uint32_t ink = feedback ? RotColor(text) : InvColor(text);
        EXPECT_EQ(cell, PixelAt(picture, 1, LineY(0))) << feedback;
        EXPECT_EQ(cell, PixelAt(picture, 1 + 2 * kGlyph - 1, LineY(1) - 1));
        EXPECT_EQ(back, PixelAt(picture, 1 + 2 * kGlyph, LineY(0))) << "right of the text";
        EXPECT_TRUE(RowsHold(picture, LineY(0), LineY(1), ink));
        EXPECT_FALSE(RowsHold(picture, LineY(1), LineY(2), cell)) << "line 1 is not selected";
    }
}

TEST(RendererTest, AbortedMarkPassLeavesConsistentState) {
    RenderRig rig(30, 160);
    const std::string page = MixedPage();
    rig.Show(page);
    const int fullHeight = rig.view.ContentHeight;

    rig.pump.onEvents = [&](int calls) {
        if (calls == 200) rig.browser.ProcessAbort = true;
    };
    rig.pump.calls = 0;
    rig.view.ScrollY = fullHeight;
    ASSERT_TRUE(rig.renderer.RenderSite(RenderMode::Mark));
    rig.pump.onEvents = nullptr;

    EXPECT_FALSE(rig.browser.RenderBusy);
    EXPECT_FALSE(rig.browser.ProcessAbort) << "the flag is cleared when taken";
    EXPECT_GT(rig.view.ContentHeight, 0);
    EXPECT_LT(rig.view.ContentHeight, fullHeight);
    EXPECT_LE(rig.view.ScrollY, std::max(0, rig.view.ContentHeight - 160));
    EXPECT_EQ(rig.view.ScrollY, rig.view.ScrollBar.Position);
    for (const RenderCheckpoint& point : rig.view.RenderCheckpoints) {
        EXPECT_LT(point.Y, rig.view.ContentHeight);
        EXPECT_LE(point.Position, static_cast<int32_t>(rig.browser.DecodedSource.size()));
    }
    EXPECT_EQ("Quillmar " + rig.browser.VersionString, rig.host.captions.back());

    // The partial layout still paints, and a new mark pass restores the whole page.
    const int pictures = rig.host.pictures;
    rig.Paint(rig.view.ScrollY);
    EXPECT_EQ(pictures + 1, rig.host.pictures);
    rig.renderer.RenderSite(RenderMode::Mark);
    EXPECT_EQ(fullHeight, rig.view.ContentHeight);
}

TEST(RendererTest, AbortedPaintPassClosesItsObjects) {
    RenderRig rig(30, 400);
    std::string page;
    for (int i = 0; i < 30; ++i)
        page += "<a href=x" + std::to_string(i) + ">t</a>";
    rig.Show(page);
    rig.pump.onEvents = [&](int calls) {
        if (calls == 5) rig.browser.ProcessAbort = true;
    };
    rig.pump.calls = 0;
    rig.Paint(0);
    rig.pump.onEvents = nullptr;
    EXPECT_FALSE(rig.browser.RenderBusy);
    EXPECT_FALSE(rig.browser.ProcessAbort);
    EXPECT_FALSE(rig.view.ViewObjects.empty());
    EXPECT_LT(rig.view.ViewObjects.size(), 30u);
    for (const ViewObject& object : rig.view.ViewObjects)
        EXPECT_GT(object.Bottom, object.Top);
}

TEST(RendererTest, ObjectsOfTheWindowOnly) {
    RenderRig rig(30, 100);
    std::string page;
    for (int i = 0; i < 40; ++i)
        page += "<a href=x" + std::to_string(i) + ">";
    rig.Show(page);
    rig.Paint(600);
    ASSERT_FALSE(rig.view.ViewObjects.empty());
    for (const ViewObject& object : rig.view.ViewObjects) {
        EXPECT_GE(object.Bottom, -kLine) << object.Text;
        EXPECT_LE(object.Top, 100) << object.Text;
        EXPECT_EQ(object.Bottom - object.Top, kLine) << object.Text;
    }
    // Blocks are two lines apart (block line and gap): about three fit in 100 rows.
    EXPECT_LE(rig.view.ViewObjects.size(), 4u);
}

TEST(RendererTest, PixelZoomStretchesTheLayout) {
    RenderRig zoomed(30, 100), plain(10, 33);
    zoomed.view.ImageWidth = 3 * plain.view.ImageWidth;
    zoomed.view.PixelZoom = 3;
    zoomed.Show("zoomed text<a href=x>");
    const Bitmap& small = plain.Show("zoomed text<a href=x>");
    const Bitmap& big = zoomed.host.picture;
    ASSERT_EQ(100, big.height);
    ASSERT_EQ(33, small.height);
    for (int y = 0; y < 99; ++y)
        for (int x = 0; x < big.width; ++x)
            ASSERT_EQ(small.Row(y / 3)[x / 3], big.Row(y)[x]) << x << "," << y;
    for (int x = 0; x < big.width; ++x)
        ASSERT_EQ(zoomed.Color(ColorRole::Back), PixelAt(big, x, 99)) << "row 99 is background";
}

TEST(RendererTest, EmptySourceAndTinyViews) {
    RenderRig rig;
    const Bitmap& picture = rig.Show("");
    EXPECT_EQ(1 + kLine, rig.view.ContentHeight);
    EXPECT_FALSE(RowsHold(picture, 0, picture.height, rig.Color(ColorRole::Text)));

    RenderRig narrow;
    narrow.view.ImageWidth = 4; // narrower than one glyph
    narrow.Show("ab");
    EXPECT_EQ(1 + 2 * kLine, narrow.view.ContentHeight) << "each character keeps a line of its own";

    RenderRig zero;
    zero.view.ImageWidth = 0;
    zero.view.ImageHeight = 0;
    zero.view.PixelZoom = 20;
    zero.Show("text");
    EXPECT_EQ(1, zero.host.picture.width);
    EXPECT_EQ(1, zero.host.picture.height);
}

TEST(RendererTest, PaintKeepsTheWindowInsideThePage) {
    RenderRig rig(40, 100);
    rig.Show("a<br>b<br>c<br>d<br>e<br>f<br>g<br>h");
    const int max = rig.view.ContentHeight - 100;
    rig.Paint(100000);
    EXPECT_EQ(max, rig.view.ScrollY);
    EXPECT_TRUE(rig.view.AtBottom);
    EXPECT_FALSE(rig.view.AtTop);
    EXPECT_EQ(max, rig.view.ScrollBar.Max);
    EXPECT_EQ(kLine, rig.view.ScrollBar.SmallStep);
    rig.Paint(-50);
    EXPECT_EQ(0, rig.view.ScrollY);
    EXPECT_TRUE(rig.view.AtTop);
    EXPECT_FALSE(rig.view.AtBottom);

    rig.view.ScrollY = 100000;
    rig.renderer.RenderSite(RenderMode::Mark);
    EXPECT_EQ(max, rig.view.ScrollY) << "the mark pass clamps the offset too";
}

TEST(RendererTest, ProgressCaptionsAndPassEnd) {
    RenderRig rig;
    rig.browser.VersionString = "1.2.3.4";
    // The title at the end keeps the prepare pass reading to the end.
    rig.Show(std::string(3000, 'x') + "</title>");
    const auto& captions = rig.host.captions;
    auto count = [&](const std::string& prefix) {
        return std::count_if(captions.begin(), captions.end(),
                             [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
    };
    EXPECT_GE(count("Source code preparing (F5 - abort) "), 100);
    EXPECT_GE(count("Source code marking (F5 - abort) "), 100);
    EXPECT_EQ(2, count("Quillmar 1.2.3.4"));
    const std::string first = "Source code preparing (F5 - abort) 0% (? s)";
    EXPECT_EQ(first, captions.front());
    EXPECT_TRUE(captions[captions.size() - 2].ends_with("% (0 s)"))
        << captions[captions.size() - 2];
    EXPECT_EQ(3, rig.host.stopCaptions);
    EXPECT_EQ(1, rig.host.scrollBarChanges);
}

TEST(RendererTest, SuspendedOrBusyPassesDoNothing) {
    RenderRig rig;
    rig.Show("x");
    const int pictures = rig.host.pictures;
    rig.view.RenderSuspended = true;
    EXPECT_FALSE(rig.renderer.RenderSite(RenderMode::Paint));
    rig.view.RenderSuspended = false;
    rig.browser.RenderBusy = true;
    EXPECT_FALSE(rig.renderer.RenderSite(RenderMode::Paint));
    EXPECT_TRUE(rig.browser.RenderBusy) << "the running pass keeps its flag";
    EXPECT_EQ(pictures, rig.host.pictures);
}

TEST(RendererTest, TextViewKeepsLeadingSpacesWithoutMargins) {
    RenderRig rig;
    rig.view.ViewMode = ViewMode::Text;
    rig.options.Highlight = false;
    const Bitmap& picture = rig.Show("  x");
    const uint32_t ink = rig.Color(ColorRole::Text);
    int left = picture.width;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (PixelAt(picture, x, y) == ink) left = std::min(left, x);
    EXPECT_GE(left, 1 + 2 * kGlyph);
    EXPECT_LT(left, 1 + 3 * kGlyph);
    EXPECT_EQ(16, rig.view.LineHeight) << "no line gap in the text view";
}

// Pages glued together from fragments that open and close every kind of scanner state.
std::string RandomPage(unsigned seed, int pieces) {
    // clang-format off
    static const char* const kFragments[] = {
        "<a href=", "\"", "'", ">", "<", "<!--", "-->", "&amp;", "&", ";", "<pre>", "</pre>",
        "<form>", "</form>", "<script>", "</script>", "<style>", "</style>", "\r\n", "\n", "\r",
        "\t", " ", "text ", "word", "<meta x=1>", "<br>", "</div>", "<td>", "</td>", "<table>",
        "<b>", "</b>", "<img src=/a.png>", "x/y", "<title>", "</title>", "&lt;", "&nbsp;",
        "<a name=n>", "</a>", "<input src=/i.png>", "<link href=/s.css>", "<base href=/b/>",
        "\x01\x1f", "\xA9\x85\xE6", "&#1025;&copy;"};
    // clang-format on
    constexpr unsigned kCount = sizeof(kFragments) / sizeof(kFragments[0]);
    std::string page;
    unsigned state = seed * 2654435761u + 1;
    for (int i = 0; i < pieces; ++i) {
        state = state * 1664525u + 1013904223u;
        page += kFragments[(state >> 8) % kCount];
    }
    return page;
}

TEST(RendererTest, RandomPagesRestartEqualsFullRun) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        RenderRig rig(20, 120);
        ViewOptions& o = rig.options;
        o.AllUrls = o.Comments = o.Scripts = o.ScriptsCode = o.Styles = o.Meta = seed % 2 == 0;
        o.TopBorders = o.Accents = o.Anchors = o.Linked = o.FormsCode = seed % 3 == 0;
        o.Gaps = seed % 5 != 0;
        const std::string page = RandomPage(seed, 400);
        rig.Show(page);
        ASSERT_FALSE(rig.browser.RenderBusy);
        const auto checkpoints = rig.view.RenderCheckpoints;
        const std::string what = "seed " + std::to_string(seed) + "\npage: " + page + "\n";
        PassCalls calls;
        for (int scroll = 0; scroll < rig.view.ContentHeight; scroll += 53)
            ASSERT_NO_FATAL_FAILURE(ExpectRestartEqualsFull(rig, checkpoints, scroll, what, calls));
    }
}

TEST(RendererTest, FontChangeKeepsTheRelativePosition) {
    RenderRig rig(40, 100);
    std::string page;
    for (int i = 0; i < 100; ++i)
        page += "line " + std::to_string(i) + "<br>";
    rig.Show(page, 0);
    const int oldHeight = rig.view.ContentHeight, oldScroll = oldHeight / 2;
    rig.Paint(oldScroll);
    rig.fonts.BitmapFontScale = 2;
    rig.renderer.RenderSite(RenderMode::Mark);
    rig.view.ScrollY = RelativeScrollY(oldScroll, oldHeight, rig.view.ContentHeight);
    rig.Paint(rig.view.ScrollY);
    EXPECT_NEAR(rig.view.ContentHeight / 2, rig.view.ScrollY, 1);
    EXPECT_EQ(2 * 16 + 3, rig.view.LineHeight);

    EXPECT_EQ(0, RelativeScrollY(5, 0, 0));
    EXPECT_EQ(50, RelativeScrollY(5, 0, 10)) << "an old height of 0 counts as 1";
    EXPECT_EQ(33, RelativeScrollY(1, 3, 100));
    EXPECT_EQ(2000000000, RelativeScrollY(1000000000, 1000000000, 2000000000));
}

// A long preformatted section gets restart points of its own, so painting deep inside it
// stays cheap and gives the picture of a pass from the top.
TEST(RendererTest, PreformattedSectionsHaveRestartPoints) {
    RenderRig rig(30, 160);
    std::string page = "before<pre>";
    for (int i = 0; i < 2000; ++i)
        page += "  line " + std::to_string(i) + " <b>x</b>&amp;\r\n";
    page += "</pre>after";
    for (int i = 0; i < 300; ++i)
        page += "<br>more";
    rig.Show(page);
    const auto checkpoints = rig.view.RenderCheckpoints;
    const auto inside = std::count_if(checkpoints.begin(), checkpoints.end(),
                                      [](const RenderCheckpoint& p) { return p.Preformatted; });
    EXPECT_GT(inside, 20);
    EXPECT_FALSE(checkpoints.back().Preformatted) << "the lines after the section";
    // Kept apart by distance, not one per line, so that short lines take little memory.
    EXPECT_LE(checkpoints.size(), static_cast<size_t>(rig.view.ContentHeight / kLine) /
                                          static_cast<size_t>(kCheckpointLines) +
                                      3);

    PassCalls calls;
    for (int scroll = 0; scroll < rig.view.ContentHeight; scroll += 397)
        ASSERT_NO_FATAL_FAILURE(ExpectRestartEqualsFull(rig, checkpoints, scroll, "pre", calls));
    EXPECT_LT(calls.restart * 10, calls.full);
}

// Runs without a break and long blocks get restart points inside them (after wraps and line
// breaks), kept apart by distance; a paint pass anywhere in them lays out little and gives the
// picture and objects of a pass from the top. Below the window, a long block's object takes
// the bottom the mark pass found.
TEST(RendererTest, LongRunsAndBlocksRestartInside) {
    std::string run;
    while (run.size() < 60000)
        run += "abc d  e"; // wrapped lines may begin with spaces

    struct Case {
        const char* what;
        std::string source;
        void (*tweak)(ViewOptions&);
    };
    const std::vector<Case> cases = {
        {"text line", "before<br>" + run + "<br>after", nullptr},
        {"image address", "x<img src=\"data:image/png;base64," + run + "\">y", nullptr},
        {"link address", "x<a href=\"" + run + "\">t</a>y", nullptr},
        {"ripped address", "x<a href=\"/" + run + "\">t</a>y",
         [](ViewOptions& o) { o.AllUrls = true; }},
        {"script code of many lines", "x<script>" + std::string(3000, '\n') + run + "</script>y",
         [](ViewOptions& o) { o.Scripts = o.ScriptsCode = true; }},
        {"link after an image that shows nothing",
         "x<img alt=a></td><a href=\"" + run + "\">t</a>y", [](ViewOptions& o) { o.Gaps = false; }},
        {"form code", "x<form action=f>" + run + "<br>" + run + "</form>y",
         [](ViewOptions& o) { o.FormsCode = true; }},
        {"comment", "x<!--" + run + "-->y", [](ViewOptions& o) { o.Comments = true; }},
        {"preformatted", "<pre>  " + run + "\n  " + run + "</pre>", nullptr},
    };
    for (const Case& c : cases) {
        RenderRig rig(30, 160);
        if (c.tweak) c.tweak(rig.options);
        rig.Show(c.source);
        const auto checkpoints = rig.view.RenderCheckpoints;
        const int height = rig.view.ContentHeight;
        const size_t lines = static_cast<size_t>(height / kLine);
        EXPECT_GT(checkpoints.size(), lines / kCheckpointLines / 2) << c.what;
        EXPECT_LE(checkpoints.size(), lines / kCheckpointLines + 3) << c.what;
        for (size_t i = 1; i < checkpoints.size(); ++i)
            ASSERT_LT(checkpoints[i - 1].Y, checkpoints[i].Y) << c.what << " checkpoint " << i;

        PassCalls calls;
        for (int scroll = 0; scroll < height; scroll += height / 25 + 1)
            ASSERT_NO_FATAL_FAILURE(
                ExpectRestartEqualsFull(rig, checkpoints, scroll, c.what, calls));
        EXPECT_LT(calls.restart * 10, calls.full) << c.what;
    }
}

// Tags inside a form's content draw their borders when the content is read as the form's raw
// block, for every form opening inside it, and again as page content. Once the line stops
// advancing, later borders fall on one row, where a solid one wins.
TEST(RendererTest, BordersFromTheContentOfNestedForms) {
    RenderRig rig;
    const Bitmap& picture = rig.Show("x<form><form></td><br></div><br></form>y");
    struct Row {
        int line; // the border lies on the row above it
        bool dotted;
    };
    const std::vector<Row> rows = {{1, true}, {2, false}, {4, false}, {6, false}};
    for (const Row& row : rows)
        ExpectBorderRow(rig, picture, LineY(row.line) - 1, row.dotted,
                        "line " + std::to_string(row.line));
    EXPECT_EQ(LineY(7), rig.view.ContentHeight);
}

// Text placed below a page y, as one string.
class TextBelow : public LayoutSink {
  public:
    explicit TextBelow(int32_t y) : y_(y) {}
    void PlaceText(int32_t pageY, int32_t, std::string_view text, ColorRole) override {
        if (pageY > y_) this->text += text;
    }
    std::string text;

  private:
    int32_t y_;
};

// A page taller than the layout takes ends at the limit with a line that says so, and its
// height stays a true 32-bit number.
TEST(RendererTest, TallPageEndsAtTheHeightLimit) {
    RenderRig rig(80, 600);
    rig.fonts.BitmapFontScale = 72;
    const int line = 16 * 72 + 3;
    std::string page = "<pre>";
    for (int i = 0; i < 1000000; ++i)
        page += "x\n";
    rig.browser.PageSource = page;
    RequestDecode(rig.decode);
    rig.renderer.RenderSite(RenderMode::Prepare);
    TextBelow notice(kPageHeightLimit);
    rig.renderer.SetLayoutSink(&notice);
    rig.renderer.RenderSite(RenderMode::Mark);
    rig.renderer.SetLayoutSink(nullptr);

    EXPECT_EQ(line, rig.view.LineHeight);
    EXPECT_GT(rig.view.ContentHeight, kPageHeightLimit);
    EXPECT_LT(rig.view.ContentHeight, kPageHeightLimit + 100 * line) << "the notice's lines only";
    const int language = rig.browser.LanguageIndex;
    EXPECT_EQ(UiString(272, language) + "1 073 741 824" + UiString(273, language), notice.text);

    rig.Paint(rig.view.ContentHeight);
    EXPECT_EQ(rig.view.ContentHeight - 600, rig.view.ScrollY);
    EXPECT_TRUE(RowsHold(rig.host.picture, 0, 600, rig.Color(ColorRole::Text)));
}

} // namespace
} // namespace qm
