#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/history.h"

namespace qm {
namespace {

// One letter per entry: P page, L local page, V page preview, T link test, F file download.
BrowserState Make(const std::string& kinds, int pos) {
    BrowserState state;
    for (size_t i = 0; i < kinds.size(); ++i) {
        HistoryKind kind = HistoryKind::Page;
        switch (kinds[i]) {
        case 'L':
            kind = HistoryKind::LocalPage;
            break;
        case 'V':
            kind = HistoryKind::PagePreview;
            break;
        case 'T':
            kind = HistoryKind::LinkTest;
            break;
        case 'F':
            kind = HistoryKind::FileDownload;
            break;
        default:
            break;
        }
        std::string url = "u";
        url += std::to_string(i);
        state.History.push_back({-1, kind, url, ""});
    }
    state.HistoryPos = pos;
    return state;
}

TEST(NamePageEntry, OnlyAPageEntryTakesTheTitle) {
    struct Case {
        std::string kinds;
        HistoryRecording recording;
        std::string expected; // FileName of the last entry
    };
    const std::vector<Case> cases = {
        {"P", HistoryRecording::On, "Title"}, {"FP", HistoryRecording::On, "Title"},
        {"PF", HistoryRecording::On, "kept"}, {"PL", HistoryRecording::On, "kept"},
        {"PT", HistoryRecording::On, "kept"}, {"PV", HistoryRecording::On, "kept"},
        {"P", HistoryRecording::Off, "kept"},
    };
    for (const Case& c : cases) {
        BrowserState state = Make(c.kinds, static_cast<int>(c.kinds.size()) - 1);
        state.History.back().FileName = "kept";
        NamePageEntry(state, c.recording, "Title");
        EXPECT_EQ(state.History.back().FileName, c.expected)
            << c.kinds << (c.recording == HistoryRecording::On ? " recording" : " not recording");
    }
    BrowserState empty;
    NamePageEntry(empty, HistoryRecording::On, "Title");
    EXPECT_TRUE(empty.History.empty());
}

struct ButtonsCase {
    std::string kinds;
    int pos;
    HistoryButtons expected;
};

TEST(RepaintHistButtons, CountsPageLikeEntriesAndShowsArrows) {
    const std::vector<ButtonsCase> cases = {
        {"", -1, {"0/0", false, false}},  {"P", 0, {"1/1", false, false}},
        {"PFP", 2, {"2/2", true, false}}, {"PFP", 0, {"1/2", false, true}},
        {"PFP", 1, {"1/2", true, true}},  {"PLVTF", 4, {"2/2", true, false}},
        {"FP", -1, {"0/1", false, true}}, {"FFF", 1, {"0/0", true, true}},
    };
    for (const ButtonsCase& c : cases) {
        const BrowserState state = Make(c.kinds, c.pos);
        const HistoryButtons actual = RepaintHistButtons(state);
        EXPECT_EQ(actual, c.expected)
            << c.kinds << " at " << c.pos << ": expected " << c.expected.CounterText << " "
            << c.expected.BackVisible << c.expected.ForwardVisible << ", got " << actual.CounterText
            << " " << actual.BackVisible << actual.ForwardVisible;
    }
}

struct StepCase {
    std::string kinds;
    int pos;
    int expectedPos;         // unchanged when the step does nothing
    const char* expectedUrl; // nullptr: nothing
};

void ExpectSteps(std::optional<std::string> (*step)(BrowserState&),
                 const std::vector<StepCase>& cases) {
    for (const StepCase& c : cases) {
        BrowserState state = Make(c.kinds, c.pos);
        const auto url = step(state);
        SCOPED_TRACE(c.kinds + " at " + std::to_string(c.pos));
        EXPECT_EQ(state.HistoryPos, c.expectedPos);
        EXPECT_EQ(url.value_or("(nothing)"), c.expectedUrl ? c.expectedUrl : "(nothing)");
    }
}

TEST(StepBack, MovesToTheNearestPageLikeEntryBefore) {
    ExpectSteps(StepBack, {{"PFP", 2, 0, "u0"},
                           {"LP", 1, 0, "u0"},
                           {"FP", 1, 1, nullptr},
                           {"P", 0, 0, nullptr},
                           {"", -1, -1, nullptr},
                           {"PVTP", 3, 0, "u0"},
                           {"PPF", 2, 1, "u1"}});
}

TEST(StepForward, MovesToTheNearestPageLikeEntryAfter) {
    ExpectSteps(StepForward, {{"PFP", 0, 2, "u2"},
                              {"PF", 0, 0, nullptr},
                              {"PP", 1, 1, nullptr},
                              {"", -1, -1, nullptr},
                              {"FP", -1, 1, "u1"},
                              {"PTL", 0, 2, "u2"}});
}

TEST(RecordHistoryEntry, BackThenNewPageDropsEverythingAfterThePosition) {
    // [A, F, B] on B; back to A (skipping F); Enter loads A again: [A, A], counter 2/2.
    BrowserState state = Make("PFP", 2);
    ASSERT_EQ(StepBack(state).value_or(""), "u0");
    EXPECT_EQ(RepaintHistButtons(state).CounterText, "1/2");
    RecordHistoryEntry(state, HistoryKind::Page, "u0");
    ASSERT_EQ(state.History.size(), 2u);
    EXPECT_EQ(state.History[0].URL, "u0");
    EXPECT_EQ(state.History[1].URL, "u0");
    EXPECT_EQ(state.HistoryPos, 1);
    EXPECT_EQ(RepaintHistButtons(state), (HistoryButtons{"2/2", true, false}));
}

TEST(RecordHistoryEntry, APositionPastTheEndLeavesNoGap) {
    BrowserState state = Make("PP", 7);
    EXPECT_EQ(RecordHistoryEntry(state, HistoryKind::Page, "new"), 2);
    ASSERT_EQ(state.History.size(), 3u);
    EXPECT_EQ(state.History[2].URL, "new");
}

TEST(ClearHistory, EmptiesTheListAndTheCounter) {
    BrowserState state = Make("PFP", 2);
    ClearHistory(state);
    EXPECT_TRUE(state.History.empty());
    EXPECT_EQ(state.HistoryPos, -1);
    EXPECT_EQ(RepaintHistButtons(state), HistoryButtons{});
}

} // namespace
} // namespace qm
