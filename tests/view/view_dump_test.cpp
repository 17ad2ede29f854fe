// The text dump of the view: every character at the column its 8x16 glyphs reach, lines
// wrapped where the view wraps them, and the empty lines between blocks kept.

#include <gtest/gtest.h>

#include <string>

#include "state/browser_state.h"
#include "view/view_dump.h"

namespace qm {
namespace {

std::string Dump(const std::string& source, int columns, bool gaps = true) {
    BrowserState state;
    state.PageSource = source;
    ViewOptions options;
    options.Gaps = gaps;
    return DumpSourceView(state, options, columns);
}

TEST(ViewDumpTest, CharactersStandAtTheColumnsOfTheirGlyphs) {
    struct Case {
        const char* what;
        std::string source;
        int columns;
        std::string expected;
    };
    const Case cases[] = {
        {"plain text", "abc", 80, "abc\n"},
        // The copyright sign is drawn as "(c)": three columns, the next character after them.
        {"three-column substitute",
         "a\xA9"
         "b",
         80, "a\xA9  b\n"},
        {"ellipsis", "x\x85y", 80, "x\x85  y\n"},
        // A byte the font has no glyph for takes no room: the next character covers it.
        {"zero-width byte",
         "a\x80"
         "bc",
         80, "abc\n"},
        {"zero-width byte at the end of a full line", "abcd\x8c", 4, "abcd\n"},
        {"zero-width byte alone", "\x8c", 80, ""},
        {"zero-width byte on a line of its own", "\x80<br>x", 80, "\nx\n"},
        {"wrap after five columns", "abcdefgh", 5, "abcde\nfgh\n"},
        // An empty reference result at the right edge wraps like any character.
        {"empty reference at the edge", "&copy;&shy;<br>x", 2, "\xA9\n\nx\n"},
        {"empty reference within the line", "a&shy;b", 2, "ab\n"},
        {"wide character wraps whole", "abcd\xA9", 5, "abcd\n\xA9\n"},
        {"indentation dropped", "   a  b", 80, "a  b\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Dump(c.source, c.columns)) << c.what << "\nsource: " << c.source;
}

TEST(ViewDumpTest, EmptyLinesBetweenBlocksButNoneAtTheEnd) {
    EXPECT_EQ("x\n\nImage: a.png\ny\n", Dump("x<img src=a.png>y", 80));
    EXPECT_EQ("x\nImage: a.png\ny\n", Dump("x<img src=a.png>y", 80, false));
    EXPECT_EQ("Link: q\nt\n", Dump("<a href=q>t</a><br><br><br>", 80));
    EXPECT_EQ("", Dump("", 80));
}

} // namespace
} // namespace qm
