// The object info area's text tools on the browser's models: the text transforms, the search,
// the cuts that keep the selection, the frame that hides the area while a tool rewrites it,
// and the messages in the caption.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "state/browser.h"
#include "support/fake_pump.h"
#include "tools/info_area_tools.h"

namespace qm {
namespace {

constexpr size_t npos = std::string::npos;

// What the window would be asked to do, in order.
class RecordingView : public BrowserView {
  public:
    void ShowCaption(const std::string& text) override { captions.push_back(text); }
    void ShowStopCaption(const std::string&) override {}
    void FieldChanged(FieldId field) override { Note("text", field); }
    void FieldSelectionChanged(FieldId field) override { Note("selection", field); }
    void FocusField(FieldId field) override { Note("focus", field); }
    void HideObjectInfo() override { events.push_back("hide"); }
    void ShowObjectInfo() override { events.push_back("show"); }

    std::vector<std::string> captions;
    std::vector<std::string> events;

  private:
    void Note(const std::string& what, FieldId field) {
        events.push_back(what + (field == FieldId::ObjectInfo ? " area" : " search"));
    }
};

class AreaToolsTest : public ::testing::Test {
  protected:
    AreaToolsTest() {
        browser.SetView(&view);
        pump.onPump = [this] { view.events.push_back("pump"); };
    }
    // The area's text with a selection, and the search field, as the user left them.
    void Area(const std::string& text, size_t start = 0, size_t length = 0,
              const std::string& search = {}) {
        TextField& area = browser.State().ObjectInfo;
        area = {text, start, length};
        browser.State().SearchField.Text = search;
    }
    const TextField& AreaField() { return browser.State().ObjectInfo; }
    void ExpectSelection(size_t start, size_t length) {
        EXPECT_EQ(AreaField().SelectionStart, start);
        EXPECT_EQ(AreaField().SelectionLength, length);
    }

    testing::FakePump pump;
    Browser browser{pump};
    RecordingView view;
};

TEST(AreaTextTransforms, SplitSetsEveryOccurrenceApartByAnEmptyLine) {
    struct Case {
        std::string text, term;
        SplitPlace place;
        std::string expected;
    } cases[] = {
        {"a,b", ",", SplitPlace::After, "a,\r\n\r\nb"},
        {"a,b", ",", SplitPlace::Before, "a\r\n\r\n,b"},
        {"<a><A>", "<a", SplitPlace::Before, "\r\n\r\n<a><A>"}, // case-sensitive
        {"aaa", "aa", SplitPlace::After, "aa\r\n\r\na"},        // left to right, no overlap
        {"abc", "", SplitPlace::After, "abc"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitAtTerm(c.text, c.term, c.place), c.expected) << c.text << " / " << c.term;
}

TEST(AreaTextTransforms, KeepLinesFiltersCaseSensitivelyOrDropsBlankLines) {
    struct Case {
        std::string text, search, expected;
    } cases[] = {
        {"<script src=a>\r\n<SCRIPT SRC=b>\r\nx src y", "src",
         "<script src=a>\r\n\r\nx src y\r\n\r\n"},
        // Lines are cut at CR LF only: a lone LF stays inside its line.
        {"a\nsrc\r\nb", "src", "a\nsrc\r\n\r\n"},
        // Without a search text blank lines go and the others stay exactly as they were.
        {"a\r\n\r\n   \r\n\t b \r\n\t\r\nc", "", "a\r\n\t b \r\nc\r\n"},
        {"a\r\n", "", "a\r\n"}, // a break at the very end adds no empty line
        {"\r\n\r\n", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeepLinesWith(c.text, c.search), c.expected) << c.text << " / " << c.search;
}

TEST(AreaTextTransforms, SearchFindsForwardWithoutWrappingAndLastCountsOverlaps) {
    struct Case {
        std::string text, term;
        size_t from;
        SearchFrom how;
        size_t expected;
    } cases[] = {
        {"one two one", "one", 5, SearchFrom::First, 0}, // First ignores the selection
        {"one two one", "one", 3, SearchFrom::Next, 8},
        {"one two one", "one", 9, SearchFrom::Next, npos}, // no wrap to the top
        {"aaa", "aa", 0, SearchFrom::Last, 1},
        {"one two one", "ONE", 0, SearchFrom::First, npos},
        {"abc", "", 0, SearchFrom::First, npos},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindInText(c.text, c.term, c.from, c.how), c.expected)
            << c.text << " / " << c.term;
}

TEST_F(AreaToolsTest, SearchNextAfterFirstFindsTheSecondHitAndStopsAtTheLast) {
    Area("x one y one z", 0, 0, "one");
    SearchText(browser, SearchFrom::First);
    ExpectSelection(2, 3);
    EXPECT_EQ(view.events,
              (std::vector<std::string>{"focus search", "focus area", "selection area", "pump"}));
    EXPECT_EQ(view.captions.back(), "Text was found!");

    SearchText(browser, SearchFrom::Next);
    ExpectSelection(8, 3);
    SearchText(browser, SearchFrom::Next);
    EXPECT_EQ(view.captions.back(), "Text not found");
    ExpectSelection(11, 0); // collapsed to the end of the last hit: nothing selected
}

TEST_F(AreaToolsTest, SearchWithoutSearchTextOrAreaTextSaysSo) {
    Area("some text", 2, 3, "");
    SearchText(browser, SearchFrom::First);
    EXPECT_EQ(view.captions.back(), "Empty searh string - search cancelled");
    ExpectSelection(2, 3);

    Area("", 0, 0, "text");
    SearchText(browser, SearchFrom::First);
    EXPECT_EQ(view.captions.back(), "Text not found");
    ExpectSelection(0, 0);
}

TEST_F(AreaToolsTest, CutsKeepTheSelectionSelected) {
    const std::string page = "<html><head></head><body>x</body></html>";
    struct Case {
        void (*tool)(Browser&);
        std::string text;
        size_t start, length;
        std::string expected;
        size_t expectedStart, expectedLength;
    } cases[] = {
        {DeleteBefore, page, page.find("<body"), 5, "<body>x</body></html>", 0, 5},
        {DeleteBefore, "abcdef", 3, 0, "def", 0, 0}, // only a caret: what is before it goes
        {DeleteAfter, "abc<b>def", 3, 3, "abc<b>", 3, 3},
        {DeleteAfter, "abc", 7, 4, "abc", 3, 0}, // a selection past the end cuts nothing
    };
    for (const Case& c : cases) {
        Area(c.text, c.start, c.length);
        c.tool(browser);
        EXPECT_EQ(AreaField().Text, c.expected) << c.text;
        ExpectSelection(c.expectedStart, c.expectedLength);
    }
}

TEST_F(AreaToolsTest, SplitTakesTheSelectionBeforeTheSearchText) {
    Area("a;b,c", 1, 1, ",");
    SplitText(browser, SplitPlace::After);
    EXPECT_EQ(AreaField().Text, "a;\r\n\r\nb,c");

    Area("a;b,c", 2, 0, ",");
    SplitText(browser, SplitPlace::Before);
    EXPECT_EQ(AreaField().Text, "a;b\r\n\r\n,c");
}

TEST_F(AreaToolsTest, SplitWithoutATermCancelsAndLeavesTheAreaShownAndAsItWas) {
    Area("a,b", 1, 0, "");
    SplitText(browser, SplitPlace::After);
    EXPECT_EQ(view.captions.back(),
              "Nothing selected and empty search string - splitting cancelled");
    EXPECT_EQ(AreaField().Text, "a,b");
    EXPECT_TRUE(view.events.empty()); // never hidden, never rewritten
}

// Each rewriting tool draws the area once: hidden, events processed (but for the percent
// decoder), the text set, shown and focused.
TEST_F(AreaToolsTest, RewritingToolsHideTheAreaAndSetItsTextOnce) {
    const std::vector<std::string> frame = {"hide", "pump", "text area", "show", "focus area"};
    const std::vector<std::string> noPump = {"hide", "text area", "show", "focus area"};
    struct Case {
        const char* name;
        std::function<void(Browser&)> tool;
        std::string expected;
        std::vector<std::string> events;
    } cases[] = {
        {"delete before", DeleteBefore, "b%41\\u0042\r\nsrc", frame},
        {"percent", DecodePercentCodes, "a bA\\u0042\r\nsrc", noPump},
        {"escapes", DecodeEscapes, "a b%41B\r\nsrc", frame},
        {"split", [](Browser& b) { SplitText(b, SplitPlace::Before); },
         "a \r\n\r\nb%41\\u0042\r\nsrc", frame},
    };
    for (const Case& c : cases) {
        Area("a b%41\\u0042\r\nsrc", 2, 1, "src");
        view.events.clear();
        c.tool(browser);
        EXPECT_EQ(AreaField().Text, c.expected) << c.name;
        EXPECT_EQ(view.events, c.events) << c.name;
    }
}

TEST_F(AreaToolsTest, ShowPageSourceEndsEveryLineInCrLfAndCountsUp) {
    browser.State().PageSource = "a\r\nb\nc\rd\n\re";
    ShowPageSource(browser);
    EXPECT_EQ(AreaField().Text, "a\r\nb\r\nc\r\nd\r\n\r\ne");
    ExpectSelection(0, 0); // the area shows its first lines
    const std::string prefix = "Source code preparing (F5 - abort) ";
    EXPECT_EQ(view.captions, (std::vector<std::string>{prefix + "20%", prefix + "40%",
                                                       prefix + "60%", prefix + "80%", "Ready"}));
    EXPECT_EQ(pump.calls, 4);

    browser.State().PageSource = "\xD0\x90\xD1\x8F\n"; // "Ая" in UTF-8
    browser.State().Utf8Decoding = true;
    ShowPageSource(browser);
    EXPECT_EQ(AreaField().Text, "\xC0\xFF\r\n");
}

} // namespace
} // namespace qm
