#include <gtest/gtest.h>

#include "view/key_scroll.h"

using qm::KeyScroll;
using qm::ScrollKeys;
using qm::ViewState;

namespace {

ViewState View() {
    ViewState view;
    view.LineHeight = 16;
    view.ImageHeight = 200;  // one screen is 12 lines = 192 px
    view.ContentHeight = 5000;
    view.PixelZoom = 1;
    return view;
}

ScrollKeys Keys(bool ctrl, bool pageUp, bool up, bool pageDown, bool down) {
    return ScrollKeys{ctrl, pageUp, up, pageDown, down};
}

TEST(KeyScroll, HeldKeyActsOnceThenWaits23TicksThenEveryTick) {
    ViewState view = View();
    KeyScroll scroll;
    ScrollKeys down = Keys(false, false, false, false, true);
    scroll.KeyDown(down);
    std::vector<int> acted;
    for (int tick = 1; tick <= 27; ++tick)
        if (scroll.Tick(down, view)) acted.push_back(tick);
    EXPECT_EQ(acted, (std::vector<int>{1, 25, 26, 27}));
    EXPECT_EQ(view.ScrollY, 4 * 16);
    scroll.KeyUp();
    EXPECT_EQ(scroll.RepeatCount(), 0);
    EXPECT_EQ(scroll.ScrollSpeed(), 0);
}

TEST(KeyScroll, StepsOfEachKeyWithAndWithoutCtrl) {
    struct Case {
        const char* name;
        ScrollKeys keys;
        int start;
        int expected;
    } cases[] = {
        {"Down", Keys(false, false, false, false, true), 100, 116},
        {"Ctrl+Down", Keys(true, false, false, false, true), 100, 148},
        {"Up", Keys(false, false, true, false, false), 100, 84},
        {"Ctrl+Up", Keys(true, false, true, false, false), 100, 52},
        {"PageDown", Keys(false, false, false, true, false), 100, 292},
        {"PageUp", Keys(false, true, false, false, false), 300, 108},
        {"Ctrl+PageDown", Keys(true, false, false, true, false), 100, 4800},
        {"Ctrl+PageUp", Keys(true, true, false, false, false), 300, 0},
    };
    for (const auto& c : cases) {
        ViewState view = View();
        view.ScrollY = c.start;
        KeyScroll scroll;
        scroll.KeyDown(c.keys);
        EXPECT_TRUE(scroll.Tick(ScrollKeys{}, view)) << c.name;  // the fresh snapshot counts
        EXPECT_EQ(view.ScrollY, c.expected) << c.name;
    }
}

TEST(KeyScroll, ZoomShrinksTheScreenStep) {
    ViewState view = View();
    view.PixelZoom = 2;  // 100 view pixels: 6 lines
    KeyScroll scroll;
    scroll.KeyDown(Keys(false, false, false, true, false));
    scroll.Tick({}, view);
    EXPECT_EQ(view.ScrollY, 96);
}

TEST(KeyScroll, WheelIsThreeLinesOrAPageWithCtrlAndActsAtOnce) {
    ViewState view = View();
    KeyScroll scroll;
    for (int i = 0; i < 3; ++i) {
        scroll.Wheel(true);
        EXPECT_TRUE(scroll.Tick({}, view));
    }
    EXPECT_EQ(view.ScrollY, 3 * 48);
    scroll.Wheel(false);
    ScrollKeys ctrl;
    ctrl.ctrl = true;
    scroll.Tick(ctrl, view);
    EXPECT_EQ(view.ScrollY, 3 * 48 - 192);
    EXPECT_FALSE(scroll.WheelPending());
}

TEST(KeyScroll, KeyAfterAWheelStepActsAtOnceWithItsCtrl) {
    ViewState view = View();
    KeyScroll scroll;
    scroll.Wheel(true);
    scroll.Tick({}, view);
    scroll.KeyDown(Keys(true, false, false, true, false));
    EXPECT_TRUE(scroll.Tick({}, view));
    EXPECT_EQ(view.ScrollY, 4800);
}

TEST(KeyScroll, EdgesStopTheirDirectionButRecordTheSpeed) {
    ViewState view = View();
    view.AtBottom = true;
    view.ScrollY = 700;
    KeyScroll scroll;
    scroll.KeyDown(Keys(false, false, false, false, true));
    scroll.Tick({}, view);
    EXPECT_EQ(view.ScrollY, 700);
    EXPECT_EQ(scroll.ScrollSpeed(), 16);
    scroll.KeyUp();
    scroll.KeyDown(Keys(false, false, true, false, false));
    scroll.Tick({}, view);
    EXPECT_EQ(view.ScrollY, 684);
}

} // namespace
