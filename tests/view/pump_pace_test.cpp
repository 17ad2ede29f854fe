// How often a long pass lets the window run: at the throttled pace at most every 10 ms, far
// less often than at every line, and F5 pressed in those events still stops the pass at once.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "render_fixture.h"

namespace qm {
namespace {

using Clock = std::chrono::steady_clock;

// Makes a mark pass take a while without a large page: every line costs 20 microseconds.
class SlowSink : public LayoutSink {
  public:
    void PlaceText(int32_t, int32_t, std::string_view, ColorRole) override {
        ++pieces;
        const auto until = Clock::now() + std::chrono::microseconds(20);
        while (Clock::now() < until) {
        }
    }
    int32_t PieceCharWidth() const override { return test::kGlyph; } // a line is one piece
    int pieces = 0;
};

struct ThrottledRig : test::RenderRig {
    Renderer throttled{
        {browser, view, options, fonts, decode, pump, nullptr, &host, PumpPace::Throttled}};
    SlowSink sink;

    ThrottledRig() {
        std::string page;
        for (int i = 0; i < 3000; ++i)
            page += "line " + std::to_string(i) + "<br>";
        browser.PageSource = page;
        RequestDecode(decode);
        throttled.RenderSite(RenderMode::Prepare);
        throttled.SetLayoutSink(&sink);
    }
};

TEST(PumpPaceTest, ThrottledPassPumpsAtMostEveryTenMilliseconds) {
    ThrottledRig rig;
    std::vector<Clock::time_point> calls;
    rig.pump.onEvents = [&](int) { calls.push_back(Clock::now()); };
    const auto start = Clock::now();
    rig.throttled.RenderSite(RenderMode::Mark);
    const auto took = Clock::now() - start;

    EXPECT_EQ(3000 * rig.view.LineHeight + 1, rig.view.ContentHeight) << "the whole page";
    ASSERT_GE(calls.size(), 2u)
        << "a pass of " << std::chrono::duration_cast<std::chrono::milliseconds>(took).count()
        << " ms lets events run";
    EXPECT_LE(calls.size(), static_cast<size_t>(took / std::chrono::milliseconds(10)) + 1);
    for (size_t i = 1; i < calls.size(); ++i)
        EXPECT_GE(calls[i] - calls[i - 1], std::chrono::microseconds(9500)) << "call " << i;
}

TEST(PumpPaceTest, EscapeInThrottledEventsStopsThePassAtOnce) {
    ThrottledRig rig;
    int piecesAtEscape = -1;
    rig.pump.onEvents = [&](int) {
        if (piecesAtEscape >= 0) return;
        piecesAtEscape = rig.sink.pieces;
        rig.browser.ProcessAbort = true;
    };
    rig.throttled.RenderSite(RenderMode::Mark);
    ASSERT_GE(piecesAtEscape, 0);
    EXPECT_LE(rig.sink.pieces - piecesAtEscape, 1) << "lines laid out after F5";
    EXPECT_LT(rig.view.ContentHeight, 3000 * rig.view.LineHeight);
    EXPECT_FALSE(rig.browser.ProcessAbort);
    EXPECT_FALSE(rig.browser.RenderBusy);
}

} // namespace
} // namespace qm
