#include <gtest/gtest.h>

#include "view/control_bar.h"
#include "base/view_colors.h"

using namespace qm;

namespace {

// w 40: thumb half x 0..20, knob column 3w/4 = 30, knob travel (200 - 2*10) / 2 = 90.
constexpr ControlBarSize kSize{40, 200, 400};

struct Rig {
    ViewState view;
    BrowserState browser;
    ViewOptions options;
    ControlBar bar{view, browser};

    Rig() {
        view.ContentHeight = 1000;
        view.MaxScrollSpeed = 32;
        bar.SetSize(kSize);
    }
};

TEST(ControlBar, ThumbHeightAndTopFollowTheOffset) {
    struct Case {
        int contentHeight;
        int zoom;
        int scrollY;
        int expectedTop;
    } cases[] = {
        // t = floor(200 * 20 / 400) = 10; the thumb travels 190 rows.
        {1000, 1, 0, 0},     {1000, 1, 400, 95},
        {1000, 1, 800, 190}, {1000, 2, 450, 95}, // the range is 1000 - 200/2 = 900
        {200, 1, 0, 0}, // a page as tall as the view keeps the thumb at the top
        {150, 1, 0, 0}, // and so does a shorter one
    };
    for (const auto& c : cases) {
        ViewState view;
        view.ContentHeight = c.contentHeight;
        view.PixelZoom = c.zoom;
        view.ScrollY = c.scrollY;
        EXPECT_EQ(ThumbHeight(kSize), 10);
        EXPECT_EQ(ThumbTop(view, kSize), c.expectedTop)
            << "content " << c.contentHeight << " zoom " << c.zoom << " scroll " << c.scrollY;
    }
}

TEST(ControlBar, DrawsFramesSlotThumbAndKnob) {
    Rig rig;
    rig.view.ScrollY = 400; // thumb rows 95..103
    const uint32_t back = rig.options.Color(ColorRole::Back);
    const uint32_t text = rig.options.Color(ColorRole::Text);
    Bitmap bar = DrawControlBar(rig.view, rig.options, kSize, 16); // knob centre 145
    ASSERT_EQ(bar.width, 40);
    ASSERT_EQ(bar.height, 200);
    struct Probe {
        const char* what;
        int x;
        int y;
        uint32_t expected;
    } probes[] = {
        {"left edge", 0, 0, text},
        {"middle line", 20, 199, text},
        {"right edge", 39, 100, text},
        {"slot outline", 28, 50, text},
        {"slot inside", 30, 50, back},
        {"above the thumb", 10, 94, back},
        {"thumb highlight", 10, 96, kControlBarShine},
        {"thumb body", 10, 102, kControlBarBody},
        {"below the thumb", 10, 104, back},
        {"knob body", 30, 145, kControlBarBody},
        {"knob highlight", 28, 143, kControlBarShine},
        {"beside the knob", 33, 152, back},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(GetPixelz(bar, p.x, p.y), p.expected)
            << p.what << " (" << p.x << ", " << p.y << ")";
}

TEST(ControlBar, KnobCentreFollowsTheSpeedWithinItsTravel) {
    Rig rig;
    struct Case {
        double speed;
        int expected;
    } cases[] = {{0, 100}, {16, 145}, {-32, 10}, {500, 190}, {-8, 77}};
    for (const auto& c : cases)
        EXPECT_EQ(KnobCentre(rig.view, kSize, c.speed), c.expected) << "speed " << c.speed;
    rig.view.MaxScrollSpeed = 0;
    EXPECT_EQ(KnobCentre(rig.view, kSize, 5), 100);
}

TEST(ControlBar, KnobSetsTheSpeedAndTheTimerScrolls) {
    struct Case {
        int y;
        double expected;
    } cases[] = {{100, 0}, {145, 16}, {55, -16}, {199, 32}, {0, -32}};
    for (const auto& c : cases) {
        Rig rig;
        rig.view.ScrollY = 300;
        ControlBarResult result = rig.bar.MouseDown({.left = true}, 35, c.y);
        EXPECT_EQ(rig.bar.PressedHalf(), ControlBarHalf::Knob);
        EXPECT_DOUBLE_EQ(rig.bar.ScrollSpeed(), c.expected) << "y " << c.y;
        EXPECT_TRUE(result.redrawBar);
        EXPECT_TRUE(result.startTimer);
        // The first step runs at once.
        EXPECT_EQ(rig.view.ScrollY, 300 + static_cast<int>(c.expected)) << "y " << c.y;
        EXPECT_EQ(result.paint, c.expected != 0) << "y " << c.y;
    }
}

TEST(ControlBar, SpeedTimerWaitsForPassesAndStopsAtZero) {
    Rig rig;
    rig.bar.MouseDown({.left = true}, 30, 145);
    ASSERT_EQ(rig.view.ScrollY, 16);
    EXPECT_TRUE(rig.bar.TimerTick().paint);
    EXPECT_EQ(rig.view.ScrollY, 32);
    rig.browser.RenderBusy = true;
    ControlBarResult busy = rig.bar.TimerTick();
    EXPECT_FALSE(busy.paint);
    EXPECT_FALSE(busy.stopTimer);
    EXPECT_EQ(rig.view.ScrollY, 32);
    rig.browser.RenderBusy = false;

    ControlBarResult up = rig.bar.MouseUp();
    EXPECT_TRUE(up.stopTimer);
    EXPECT_TRUE(up.redrawBar);
    EXPECT_EQ(rig.bar.ScrollSpeed(), 0);
    EXPECT_TRUE(rig.bar.TimerTick().stopTimer);
    EXPECT_EQ(rig.view.ScrollY, 32);
}

TEST(ControlBar, ThumbDragPlacesTheWindow) {
    struct Case {
        int y;
        int expected;
    } cases[] = {{5, 0}, {100, 400}, {195, 800}, {0, -22}, {199, 816}};
    for (const auto& c : cases) {
        Rig rig;
        ControlBarResult result = rig.bar.MouseDown({.left = true}, 20, c.y); // x = w/2: thumb
        EXPECT_EQ(rig.bar.PressedHalf(), ControlBarHalf::Thumb);
        EXPECT_TRUE(result.paint);
        EXPECT_EQ(rig.view.ScrollY, c.expected) << "y " << c.y; // the paint pass clamps it
    }
    Rig rig;
    rig.bar.MouseDown({}, 10, 100); // no button held: nothing moves
    EXPECT_EQ(rig.view.ScrollY, 0);
}

TEST(ControlBar, DegenerateSizesNeitherDivideByZeroNorDrawOutside) {
    Rig rig;
    rig.bar.SetSize({40, 10, 1}); // the thumb is taller than the bar; the knob has no travel
    rig.view.ScrollY = 50;
    rig.bar.MouseDown({.left = true}, 5, 9);
    EXPECT_EQ(rig.view.ScrollY, 0);
    rig.bar.MouseDown({.left = true}, 35, 9);
    EXPECT_EQ(rig.bar.ScrollSpeed(), 32);
    rig.bar.MouseMove({.left = true}, 5);
    EXPECT_EQ(rig.bar.ScrollSpeed(), 0);
    Bitmap tiny = DrawControlBar(rig.view, rig.options, {0, 0, 0}, 3);
    EXPECT_EQ(tiny.width, 1);
    EXPECT_EQ(tiny.height, 1);
}

} // namespace
