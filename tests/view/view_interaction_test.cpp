#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "view/render_fixture.h"
#include "view/view_interaction.h"

using namespace qm;

namespace {

constexpr const char* kBase = "http://example.com/dir/page.html";

struct Rig {
    ViewState view;
    BrowserState browser;
    ViewOptions options;
    ViewMouse mouse{view, browser, options};

    Rig() {
        view.LineHeight = 16;
        view.ImageWidth = 300;
        view.ImageHeight = 200;
        browser.BaseURL = kBase;
    }

    void AddObject(int top, int bottom, ViewObjectKind kind, std::string text) {
        view.ViewObjects.push_back(ViewObject{top, bottom, kind, std::move(text)});
    }

    ViewMouseResult Click(MouseButton button, int x, int y, KeyModifier keys = KeyModifier::None) {
        mouse.MouseDown(button, x, y);
        return mouse.MouseUp(button, keys, x, y);
    }
};

TEST(ViewMouse, LeftClickOnALinkFollowsTheResolvedAddressWithTheReferer) {
    Rig rig;
    rig.AddObject(40, 60, ViewObjectKind::Link, "../other/a.html?x=1");
    ViewMouseResult result = rig.Click(MouseButton::Left, 50, 45);
    EXPECT_EQ(result.action.kind, ClickActionKind::FollowLink);
    EXPECT_EQ(result.action.address, "http://example.com/other/a.html?x=1");
    EXPECT_EQ(result.action.baseUrl, kBase); // the Referer of the navigation
    ASSERT_TRUE(result.frame.has_value());
}

TEST(ViewMouse, ClickActionByButtonCtrlAndTrafficSaverMode) {
    struct Case {
        ViewObjectKind kind;
        MouseButton button;
        KeyModifier keys;
        int mode;
        ClickActionKind expected;
    } cases[] = {
        {ViewObjectKind::Link, MouseButton::Left, KeyModifier::None, -1,
         ClickActionKind::FollowLink},
        {ViewObjectKind::Link, MouseButton::Left, KeyModifier::Ctrl, -1,
         ClickActionKind::SaveResource},
        {ViewObjectKind::Link, MouseButton::Right, KeyModifier::None, -1,
         ClickActionKind::SaveResource},
        {ViewObjectKind::Link, MouseButton::Left, KeyModifier::None, 0,
         ClickActionKind::FollowLink},
        {ViewObjectKind::Link, MouseButton::Right, KeyModifier::None, 0, ClickActionKind::TestLink},
        {ViewObjectKind::Link, MouseButton::Left, KeyModifier::Ctrl, 0, ClickActionKind::TestLink},
        // The full saver turns the choice round: a plain click only fills the field.
        {ViewObjectKind::Link, MouseButton::Left, KeyModifier::None, 1,
         ClickActionKind::FillObjectField},
        {ViewObjectKind::Link, MouseButton::Right, KeyModifier::None, 1,
         ClickActionKind::FollowLink},
        {ViewObjectKind::Link, MouseButton::Left, KeyModifier::Ctrl, 1,
         ClickActionKind::FollowLink},
        {ViewObjectKind::Resource, MouseButton::Left, KeyModifier::None, -1,
         ClickActionKind::SaveResource},
        {ViewObjectKind::Resource, MouseButton::Right, KeyModifier::None, 0,
         ClickActionKind::TestLink},
        {ViewObjectKind::Resource, MouseButton::Left, KeyModifier::None, 1,
         ClickActionKind::FillObjectField},
        {ViewObjectKind::Resource, MouseButton::Right, KeyModifier::Ctrl, 1,
         ClickActionKind::FillObjectField},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.browser.TrafficSaverMode = c.mode;
        rig.AddObject(0, 20, c.kind, "img/b.png");
        ViewMouseResult result = rig.Click(c.button, 10, 10, c.keys);
        SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(c.kind) << " right "
                                        << (c.button == MouseButton::Right) << " ctrl "
                                        << (c.keys == KeyModifier::Ctrl) << " mode " << c.mode);
        EXPECT_EQ(static_cast<int>(result.action.kind), static_cast<int>(c.expected));
        EXPECT_EQ(result.action.address, "http://example.com/dir/img/b.png");
        EXPECT_EQ(result.action.baseUrl, kBase);
    }
}

TEST(ViewMouse, SmallDragsStillClickAndLargerOnesDoNot) {
    struct Case {
        const char* name;
        MouseButton button;
        int dx;
        int dy;
        bool clicks;
    } cases[] = {
        {"left, 3 px down", MouseButton::Left, 0, 3, true},
        {"left, 7 px up", MouseButton::Left, 0, -7, true},
        {"left, 8 px down", MouseButton::Left, 0, 8, false},
        {"left, far sideways", MouseButton::Left, 120, 0, true},
        {"right, 7 px sideways", MouseButton::Right, 7, 0, true},
        {"right, 8 px sideways", MouseButton::Right, 8, 0, false},
        {"right, 3 px down", MouseButton::Right, 0, 3, true},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.AddObject(0, 200, ViewObjectKind::Link, "a.html");
        rig.mouse.MouseDown(c.button, 100, 50);
        MouseButtons held;
        (c.button == MouseButton::Left ? held.left : held.right) = true;
        rig.mouse.MouseMove(held, 100 + c.dx, 50 + c.dy);
        ViewMouseResult result =
            rig.mouse.MouseUp(c.button, KeyModifier::None, 100 + c.dx, 50 + c.dy);
        EXPECT_EQ(result.action.kind != ClickActionKind::None, c.clicks) << c.name;
        EXPECT_EQ(result.frame.has_value(), c.clicks) << c.name;
    }
}

TEST(ViewMouse, LeftDragScrollsThePageWithThePointer) {
    Rig rig;
    rig.view.ScrollY = 500;
    rig.mouse.MouseDown(MouseButton::Left, 10, 100);
    ViewMouseResult result = rig.mouse.MouseMove({.left = true}, 10, 40);
    EXPECT_EQ(rig.view.ScrollY, 560);
    EXPECT_TRUE(result.paint);
    rig.mouse.MouseMove({.left = true}, 10, 130);
    EXPECT_EQ(rig.view.ScrollY, 470);
    // Moving without a button only sets the cursor.
    result = rig.mouse.MouseMove({}, 10, 10);
    EXPECT_EQ(rig.view.ScrollY, 470);
    EXPECT_FALSE(result.paint);
}

TEST(ViewMouse, ZoomTwoMapsScreenRow100ToViewRow50) {
    Rig rig;
    rig.view.PixelZoom = 2;
    rig.view.ImageWidth = 400;
    rig.AddObject(40, 50, ViewObjectKind::Link, "first.html");
    rig.AddObject(50, 60, ViewObjectKind::Link, "second.html");
    ViewMouseResult result = rig.Click(MouseButton::Left, 30, 100);
    EXPECT_EQ(result.action.address, "http://example.com/dir/second.html");
    ASSERT_TRUE(result.frame.has_value());
    const ClickFrame& frame = *result.frame;
    EXPECT_EQ(frame.left, 1);
    EXPECT_EQ(frame.top, 100);
    EXPECT_EQ(frame.right, 400 - 2 - 1);
    EXPECT_EQ(frame.bottom, 120);
    EXPECT_EQ(frame.penWidth, 2);
    EXPECT_EQ(frame.colour, rig.options.Color(ColorRole::Text));

    EXPECT_EQ(rig.mouse.MouseMove({}, 30, 99).cursor, ViewCursor::Hand);     // row 49
    EXPECT_EQ(rig.mouse.MouseMove({}, 30, 121).cursor, ViewCursor::Default); // row 60
    EXPECT_EQ(rig.mouse.LastY(), 121); // kept unzoomed for keyboard scrolling
}

TEST(ViewMouse, FirstObjectInListOrderWinsAndMissesDoNothing) {
    Rig rig;
    rig.AddObject(10, 30, ViewObjectKind::Resource, "outer.png");
    rig.AddObject(15, 20, ViewObjectKind::Link, "inner.html");
    EXPECT_EQ(rig.Click(MouseButton::Left, 5, 16).action.address,
              "http://example.com/dir/outer.png");
    ViewMouseResult miss = rig.Click(MouseButton::Left, 5, 30); // Bottom is outside
    EXPECT_EQ(miss.action.kind, ClickActionKind::None);
    EXPECT_FALSE(miss.frame.has_value());
    EXPECT_FALSE(miss.paint);
}

TEST(ViewMouse, RightDragSelectsLinesAndRequestsTheirCopy) {
    Rig rig;
    rig.view.ScrollY = 100;
    ViewMouseResult down = rig.mouse.MouseDown(MouseButton::Right, 40, 70);
    EXPECT_TRUE(down.paint);
    EXPECT_TRUE(rig.view.SelectionActive);
    EXPECT_TRUE(rig.view.ClickFeedback);
    EXPECT_EQ(rig.view.CopyTop, 170);

    rig.mouse.MouseMove({.right = true}, 40, 74);
    EXPECT_TRUE(rig.view.ClickFeedback) << "still within the click threshold";
    rig.mouse.MouseMove({.right = true}, 40, 22); // upwards: the range is kept in order
    EXPECT_FALSE(rig.view.ClickFeedback);
    EXPECT_EQ(rig.view.SelectionTop, 122);
    EXPECT_EQ(rig.view.SelectionBottom, 170);

    ViewMouseResult up = rig.mouse.MouseUp(MouseButton::Right, KeyModifier::None, 40, 22);
    EXPECT_TRUE(up.paint);
    EXPECT_FALSE(rig.view.SelectionActive);
    EXPECT_FALSE(rig.view.ClickFeedback);
    EXPECT_TRUE(rig.view.CopyRequest);
    EXPECT_EQ(rig.view.CopyTop, 122);
    EXPECT_EQ(rig.view.CopyBottom, 170);
}

TEST(ViewMouse, RightClickOnALinkActsInsteadOfCopying) {
    Rig rig;
    rig.AddObject(0, 40, ViewObjectKind::Link, "a.html");
    ViewMouseResult up = rig.Click(MouseButton::Right, 10, 20);
    EXPECT_EQ(up.action.kind, ClickActionKind::SaveResource);
    EXPECT_FALSE(rig.view.CopyRequest);
    EXPECT_FALSE(rig.view.SelectionActive);
    EXPECT_TRUE(rig.view.ClickFeedback);
    EXPECT_TRUE(up.paint);
}

// The whole way: a right drag over three painted lines puts their text into the object info
// area at the next paint pass, lines joined by CR LF.
TEST(ViewMouse, RightDragOverThreeLinesCopiesTheirText) {
    test::RenderRig render(40, 200);
    render.options.Gaps = false;
    render.Show("zero<br>one<br>two<br>three<br>four");
    ViewMouse mouse(render.view, render.browser, render.options);
    // Lines n = 0.. have page y 1 + 19n; press inside line 1, release inside line 3.
    mouse.MouseDown(MouseButton::Right, 8, 1 + test::kLine + 5);
    mouse.MouseMove({.right = true}, 8, 1 + 3 * test::kLine + 5);
    mouse.MouseUp(MouseButton::Right, KeyModifier::None, 8, 1 + 3 * test::kLine + 5);
    render.Paint(0);
    // The advance into the first selected line adds its line end too.
    EXPECT_EQ(render.host.objectInfo, "\r\none\r\ntwo\r\nthree");
    EXPECT_FALSE(render.view.CopyRequest);
}

TEST(CodeObjectText, CutsTheBlockAndNormalisesLineEnds) {
    struct Case {
        const char* source;
        const char* field;
        const char* expected;
    } cases[] = {
        {"<script>a=1;\r\nb=2;</script>", "9 10", "a=1;\r\nb=2;"},
        {"xa\nb\rc\r\nd", "2 9", "a\r\nb\r\nc\r\nd"},
        {"x\n\r\n\ry", "1 6", "x\r\n\r\n\r\ny"},
        {"\tif (a)\t{\r\t\n}", "1 99", "if (a){\r\n\r\n}"},
        {"ab\r\ncd", "1 3", "ab\r\n"}, // a CR cut from its LF is a line end of its own
        {"abc", "3 5", "c"},
        {"abc", "0 2", "ab"},
        {"abc", "4 1", ""},
        {"abc", "1 0", ""},
        {"abc", "nonsense", ""},
        {"abc", "1 2x", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CodeObjectText(c.source, c.field), c.expected)
            << "source \"" << c.source << "\" field \"" << c.field << "\"";
}

TEST(ViewMouse, CodeAndFormBlocksHandTheirTextOn) {
    Rig rig;
    rig.browser.DecodedSource = "x<style>p{}\n</style>";
    rig.AddObject(0, 10, ViewObjectKind::Code, "9 4");
    rig.AddObject(10, 20, ViewObjectKind::Form, "<form action=q><input name=a></form>");
    ViewMouseResult code = rig.Click(MouseButton::Left, 1, 5);
    EXPECT_EQ(code.action.kind, ClickActionKind::ShowCode);
    EXPECT_EQ(code.action.text, "p{}\r\n");
    ViewMouseResult form = rig.Click(MouseButton::Left, 1, 15);
    EXPECT_EQ(form.action.kind, ClickActionKind::OpenForm);
    EXPECT_EQ(form.action.text, "<form action=q><input name=a></form>");
    EXPECT_EQ(form.action.baseUrl, kBase);
}

TEST(ScrollBarChanged, CaptionShowsScreenPixelsAndStatus) {
    struct Case {
        int position;
        int zoom;
        int language;
        std::string expected;
    } cases[] = {
        {1234, 1, 1, "1 234 / 4 600 px - Ready"}, {1234, 2, 1, "2 468 / 9 600 px - Ready"},
        {9000, 1, 1, "4 600 / 4 600 px - Ready"}, // beyond the end: the end
        {-20, 1, 1, "0 / 4 600 px - Ready"},      {0, 1, 0, "0 / 4 600 \xEF\xEA\xF1 - Ready"},
    };
    for (const Case& c : cases) {
        ViewState view;
        view.ContentHeight = 5000;
        view.ImageHeight = 400;
        view.PixelZoom = c.zoom;
        view.ScrollBar.Position = c.position;
        BrowserState browser;
        browser.StatusText = "Ready";
        browser.LanguageIndex = c.language;
        EXPECT_EQ(ScrollBarChanged(view, browser), c.expected) << "position " << c.position;
        EXPECT_EQ(view.ScrollY, c.position);
    }
    ViewState shortPage;
    shortPage.ContentHeight = 100;
    shortPage.ImageHeight = 400;
    EXPECT_EQ(ScrollBarChanged(shortPage, BrowserState{}), "0 / 0 px - ");
}

TEST(SwitchShowScroll, KeyTwiceGivesTheEarlierWidthBack) {
    ShowScrollLayout hidden = SwitchShowScroll(ShowScrollCaller::KeyOrMenu, true, 549, 55);
    EXPECT_FALSE(hidden.checked);
    EXPECT_FALSE(hidden.stripVisible);
    EXPECT_EQ(hidden.imageWidth, 549);
    ShowScrollLayout shown = SwitchShowScroll(ShowScrollCaller::KeyOrMenu, hidden.checked, 549, 55);
    EXPECT_TRUE(shown.checked);
    EXPECT_TRUE(shown.stripVisible);
    EXPECT_EQ(shown.imageWidth, 494);
    // The check box has already changed when it calls.
    EXPECT_FALSE(SwitchShowScroll(ShowScrollCaller::CheckBox, false, 549, 55).stripVisible);
}

} // namespace
