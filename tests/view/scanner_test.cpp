// The tag scanner and element classification, seen through the text layout of the view:
// every case lays a source out at 80 columns and compares the lines.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "state/browser_state.h"
#include "view/tag_scanner.h"
#include "view/view_dump.h"

namespace qm {
namespace {

using Tweak = std::function<void(ViewOptions&)>;

std::string Join(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines)
        out += "[" + line + "]\n";
    return out;
}

std::vector<std::string> Layout(const std::string& source, const Tweak& tweak = {},
                                BrowserState* stateOut = nullptr) {
    BrowserState state;
    state.PageSource = source;
    ViewOptions options;
    if (tweak) tweak(options);
    std::vector<std::string> lines;
    for (const ViewLine& line : LayoutViewLines(state, options, 80))
        lines.push_back(line.text);
    if (stateOut) *stateOut = state;
    return lines;
}

struct LayoutCase {
    const char* what;
    std::string source;
    Tweak tweak;
    std::vector<std::string> lines;
};

void RunCases(const std::vector<LayoutCase>& cases) {
    for (const LayoutCase& c : cases) {
        std::vector<std::string> actual = Layout(c.source, c.tweak);
        EXPECT_EQ(Join(c.lines), Join(actual)) << c.what << "\nsource: " << c.source;
    }
}

const Tweak kGapsOff = [](ViewOptions& o) { o.Gaps = false; };
const Tweak kCommentsOn = [](ViewOptions& o) { o.Comments = true; };

TEST(ParseTagTest, SplitsAttributesOutsideQuotes) {
    struct Case {
        const char* tag;
        std::vector<std::string> names;
        std::vector<std::string> values;
    };
    const std::vector<Case> cases = {
        {"img src=a.png", {"SRC"}, {"a.png"}},
        {"img", {}, {}},
        {"  ", {}, {}},
        {"br/", {}, {}},
        {"img src=a.png /", {"SRC", ""}, {"a.png", ""}},
        {"a  href=x", {"", "HREF"}, {"", "x"}},
        {"img Src=\"a b.png\" alt='c d'", {"SRC", "ALT"}, {"\"a b.png\"", "'c d'"}},
        {"input checked", {"CHECKED"}, {""}},
        {"a href=x=y", {"HREF"}, {"x=y"}},
        // An apostrophe inside a double-quoted value toggles the one shared quote flag.
        {"x a=\"it's\" b=1", {"A"}, {"\"it's\" b=1"}},
        {"\r\nmeta name=x\t", {"NAME"}, {"x"}},
    };
    for (const Case& c : cases) {
        TagAttributes attrs;
        ParseTag(c.tag, attrs);
        EXPECT_EQ(c.names, attrs.AttrNames) << "tag: " << c.tag;
        EXPECT_EQ(c.values, attrs.AttrValues) << "tag: " << c.tag;
    }
}

TEST(ParseTagTest, PostagAndLastArgument) {
    EXPECT_EQ(0, postag("img"));
    EXPECT_EQ(4, postag("img src=a"));
    EXPECT_EQ(0, postag("\"a b\""));
    EXPECT_EQ(6, postag("'a b' c"));
    TagAttributes attrs;
    EXPECT_EQ("\"x>", GetLastTagArg("a title=1 href=\"x>", attrs));
    EXPECT_EQ("", GetLastTagArg("br", attrs));
}

TEST(ScannerTest, TextAndLineBreaksBetweenWords) {
    RunCases({
        {"plain words", "plain words", {}, {"plain words"}},
        {"LF between words is a space", "amet,\nconsectetur", {}, {"amet, consectetur"}},
        {"CR LF pair is one space", "a\r\nb", {}, {"a b"}},
        {"two line breaks give two spaces", "a\n\nb", {}, {"a  b"}},
        {"lone CR and tab", "a\rb\tc", {}, {"a b c"}},
        {"other control characters vanish", std::string("a\x01\x1f") + "b", {}, {"ab"}},
        {"leading spaces of a line are dropped", "   x\n y", {}, {"x  y"}},
        {"line break at line start is dropped", "\r\n\tx", {}, {"x"}},
        {"tag name followed by a line break", "<img\nsrc=a.png>", {}, {"Image: a.png"}},
        {"line break inside an attribute list", "<a\r\nhref=x\r\n>t</a>", {}, {"Link: x", "t"}},
        {"Text off hides page text",
         "abc<img src=a>def",
         [](ViewOptions& o) { o.ShowText = false; },
         {"Image: a"}},
    });
}

TEST(ScannerTest, CharacterReferences) {
    RunCases({
        {"named reference", "a&amp;b", {}, {"a&b"}},
        {"numeric reference", "&#65;&#x42;", {}, {"AB"}},
        {"unknown reference", "&bogus;", {}, {"?"}},
        {"unclosed at the end", "x&amp", {}, {"x&amp"}},
        {"lone ampersand at the end", "x&", {}, {"x&"}},
        // Characters that are dropped do not keep a reference open: it fails at the end.
        {"open reference before a final line feed in PRE", "<pre>AT&T\n", {}, {"AT&T"}},
        {"open reference before a final CR LF in PRE", "<pre>AT&T\r\n", {}, {"AT&T"}},
        {"ampersand before a control character", "x &\x01", {}, {"x &"}},
        {"open reference before control characters", "x &amp\x01\x02", {}, {"x &amp"}},
        {"eleven letters go to the table", "&abcdefghijk;x", {}, {"?x"}},
        {"twelve letters are literal", "&abcdefghijkl;", {}, {"&abcdefghijkl;"}},
        {"ampersand inside a reference is part of it", "&&amp;", {}, {"?"}},
        {"tag inside an open reference", "&lt<b>x", {}, {"&ltx"}},
        {"line break inside a reference", "&a\nb;", {}, {"?"}},
        {"reference text at a line start", "<br>&nbsp;&nbsp;x", {}, {"x"}},
        {"empty result", "a&shy;b", {}, {"ab"}},
        {"multi-character result", "&frac12;", {}, {"1/2 "}},
    });
}

TEST(ScannerTest, LineBreakingTags) {
    RunCases({
        {"accent closers keep the line with Accents off", "<b>a</b>b", {}, {"ab"}},
        {"accent tags break with Accents on",
         "x<b>a</b>b",
         [](ViewOptions& o) {
             o.Accents = true;
             o.Borders = false;
         },
         {"x", "a", "b"}},
        {"other closing tags break", "a</font>b", {}, {"a", "b"}},
        {"NOBR and NOSCRIPT closers do not", "a</nobr>b</noscript>c", {}, {"abc"}},
        {"BR and BR/", "a<br>b<br/>c<BR />d", {}, {"a", "b", "c", "d"}},
        {"paragraph", "a<p>b", {}, {"a", "b"}},
        {"Gaps keeps at most one empty line", "a<br><br><br><br>b", {}, {"a", "", "b"}},
        {"without Gaps no empty line", "a<br><br><br>b", kGapsOff, {"a", "b"}},
    });
}

TEST(ScannerTest, TagsAndComments) {
    RunCases({
        {"quoted > does not end a tag", "<a href=\"x>y\">t</a>", {}, {"Link: \"x>y\"", "t"}},
        {"second < restarts the tag", "<a href=x <img src=y>", {}, {"Image: y"}},
        {"unterminated tag is never shown", "abc<img src=x", {}, {"abc"}},
        {"comment hidden by default", "a<!-- c -->b", {}, {"ab"}},
        {"comment shown", "a<!-- c -->b", kCommentsOn, {"a", "", "Comment:  c ", "b"}},
        {"comment with > and <", "<!--a>b<c-->", kCommentsOn, {"Comment: a>b<c"}},
        {"empty comment", "<!---->x", kCommentsOn, {"Comment: ", "x"}},
        {"unterminated comment swallows the rest", "a<!-- b <p> c", kCommentsOn, {"a"}},
    });
}

// Tag names are matched whatever their case, and only as whole names.
TEST(ScannerTest, TagNamesInAnyCaseAndOnlyWhole) {
    const Tweak borders = [](ViewOptions& o) { o.TopBorders = true; };
    RunCases({
        {"mixed case break", "a<bR>b<Br/>c", {}, {"a", "b", "c"}},
        {"mixed case image", "<iMg SRC=a.png>", {}, {"Image: a.png"}},
        {"mixed case raw block", "a<ScRiPt>x</sCrIpT>b", {}, {"ab"}},
        {"longer name is another tag", "a<imgx src=a.png>b<brx>c", {}, {"abc"}},
        {"shorter name is another tag", "a<im src=a.png>b<blockquot>c", {}, {"abc"}},
        {"longest name", "a<BlockQuote>b</BLOCKQUOTE>c", {}, {"a", "b", "c"}},
        {"closing accent keeps the line", "a</sTrOnG>b", {}, {"ab"}},
        {"comment opener needs exactly !--",
         "a<!-x-->b<!--->c",
         kCommentsOn,
         {"ab", "", "Comment: ", "c"}},
        {"control character inside the comment opener",
         std::string("a<!\x01--x-->b"),
         kCommentsOn,
         {"a", "", "Comment: x", "b"}},
        {"table cell with top borders", "<td>x", borders, {"x"}},
    });
}

TEST(ScannerTest, ResourceLabels) {
    RunCases({
        {"image with width only and empty alt",
         "<img src=a.png width=10 alt=\"\">",
         {},
         {"Image (10 x ?\?\?): a.png"}},
        {"image alt decoded, quotes kept",
         "<img src=a.png alt=\"x &amp; y\">",
         {},
         {"Image (\"x & y\"): a.png"}},
        {"image size and alt",
         "<img src=a.png width=1 height=2 alt=t>",
         {},
         {"Image (1 x 2, t): a.png"}},
        {"image without src shows nothing", "<img alt=t>x", {}, {"x"}},
        {"applet",
         "<applet code=A.class codebase=lib archive=x.jar>",
         {},
         {"Java-applet (start from class \"A.class\" from folder \"lib\"):x.jar"}},
        {"object with data and archive",
         "<object data=d.swf archive=a.jar>",
         {},
         {"Object a.jar:d.swf"}},
        {"track",
         "<track kind=subtitles srclang=en label=Main src=t.vtt>",
         {},
         {"Track ( subtitles EN MAIN): t.vtt"}},
        // The kind is compared without its quotes, so the usual quoted spelling is named too;
        // the language and label are shown as written.
        {"track, quoted kind",
         "<track kind=\"subtitles\" src=t.vtt>",
         {},
         {"Track ( subtitles): t.vtt"}},
        {"track, single-quoted kind in capitals",
         "<track kind='CHAPTERS' srclang=\"ru\" src=t.vtt>",
         {},
         {"Track ( chapters \"RU\"): t.vtt"}},
        {"track, unknown kind", "<track kind=\"notes\" src=t.vtt>", {}, {"Track (): t.vtt"}},
        {"linked file needs Linked", "<link rel=stylesheet href=s.css>x", {}, {"x"}},
        {"linked file",
         "<link rel=stylesheet type=text/css href=s.css>",
         [](ViewOptions& o) { o.Linked = true; },
         {"Linked file (STYLESHEET,TEXT/CSS): s.css"}},
        {"background", "<body background=b.gif>", {}, {"Background: b.gif"}},
        {"video with poster",
         "<video src=v.mp4 poster=p.jpg>",
         {},
         {"Media (Poster: p.jpg): v.mp4"}},
        {"poster alone", "<video poster=p.jpg>", {}, {"Poster: p.jpg"}},
        {"ampersand entity in a resource address",
         "<img src=\"a?b=1&amp;c=2\">",
         {},
         {"Image: \"a?b=1&c=2\""}},
        {"percent codes are decoded in the label", "<img src=a%20b.png>", {}, {"Image: a b.png"}},
        {"Media off", "<img src=a.png>x", [](ViewOptions& o) { o.Media = false; }, {"x"}},
    });
}

TEST(ScannerTest, LinksAndAnchors) {
    RunCases({
        {"link", "<a href=x.html>go</a>", {}, {"Link: x.html", "go"}},
        {"anchor hidden by default", "<a name=top>x", {}, {"x"}},
        {"anchor shown",
         "<a name=top>x",
         [](ViewOptions& o) { o.Anchors = true; },
         {"Anchor: top", "x"}},
        {"link and anchor",
         "<a href=h name=n>",
         [](ViewOptions& o) { o.Anchors = true; },
         {"Link: h", "Anchor: n"}},
        {"last HREF wins", "<a href=a href=b>", {}, {"Link: b"}},
        {"frame link", "<iframe src=f.html>", {}, {"Frame-link: f.html"}},
        {"area", "<area href=m.html>", {}, {"Link: m.html"}},
        {"Links off", "<a href=x>t", [](ViewOptions& o) { o.Links = false; }, {"t"}},
        {"text before a link gets a gap", "t<a href=x>", {}, {"t", "", "Link: x"}},
        {"no gap without Gaps", "t<a href=x><a href=y>", kGapsOff, {"t", "Link: x", "Link: y"}},
        {"one gap between blocks", "<a href=x><a href=y>", {}, {"Link: x", "", "Link: y"}},
    });
}

TEST(ScannerTest, RawBlocks) {
    RunCases({
        {"hidden script is cut before layout", "a<script>var x='<b>';</script>b", {}, {"ab"}},
        {"shown script",
         "<script type=text/javascript>x=1</script>",
         [](ViewOptions& o) { o.Scripts = true; },
         {"Script (text/javascript): 41 characters"}},
        {"script with source",
         "<script language=js src=\"s.js\"></script>",
         [](ViewOptions& o) { o.Scripts = true; },
         {"Script (js): \"s.js\""}},
        {"script kinds keep an empty value in their place",
         "<script type language=js src=s.js></script>",
         [](ViewOptions& o) { o.Scripts = true; },
         {"Script (,js): s.js"}},
        {"script with code",
         "<script>a\r\n  b</script>",
         [](ViewOptions& o) {
             o.Scripts = true;
             o.ScriptsCode = true;
         },
         {"Script: 23 characters", "<script>a", "", "b</script>"}},
        {"style",
         "<style>p{}</style>x",
         [](ViewOptions& o) { o.Styles = true; },
         {"Style 18 characters", "x"}},
        {"meta blocks",
         "<meta a=1><meta b=2>",
         [](ViewOptions& o) { o.Meta = true; },
         {"Meta 10 characters", "", "Meta 10 characters"}},
        {"form and its content again",
         "<form action=x>in</form>out",
         {},
         {"Form 24 characters", "in", "out"}},
        {"form hidden",
         "<form>in</form>out",
         [](ViewOptions& o) { o.Forms = false; },
         {"in", "out"}},
        {"unterminated raw block hides the rest", "a<style>b", {}, {"a"}},
        {"preformatted keeps breaks and spaces", "<pre>a\n  b\n</pre>c", {}, {"a", "  b", "", "c"}},
    });
}

// A form opening inside the content of another (nested, or left open) reads the same content
// up to the same end tag; each shows its block and then its content again.
TEST(ScannerTest, FormsInsideForms) {
    RunCases({
        {"nested",
         "<form>a<form>b</form>c</form>d",
         {},
         {"Form 21 characters", "a", "", "Form 14 characters", "b", "c", "d"}},
        {"left open",
         "<form>1<form>2<form>3</form>4",
         {},
         {"Form 28 characters", "1", "", "Form 21 characters", "2", "", "Form 14 characters", "3",
          "4"}},
        {"line breaks inside",
         "x<form><br><form><p>y<br>z</form>w</form>",
         {},
         {"x", "", "Form 32 characters", "", "Form 22 characters", "", "y", "z", "w"}},
        {"line breaks inside, no Gaps",
         "x<form><br><form><p>y<br>z</form>w</form>",
         kGapsOff,
         {"x", "Form 32 characters", "Form 22 characters", "y", "z", "w"}},
        {"preformatted",
         "<pre>a<form>\nb<form>\nc</form>\nd</pre>e",
         {},
         {"a", "", "Form 23 characters", "", "b", "", "Form 15 characters", "", "c", "", "d", "e"}},
        // Inside the first form's content the quoted "<form>" is a tag of its own.
        {"start tag inside a quoted value",
         "<form><a title=\"<form>\">x</form>y",
         {},
         {"Form 32 characters", "", "Form 16 characters", "\">x", "y"}},
    });
    BrowserState state;
    Layout("t<form><title>A</title><form><title>B</title></form>", {}, &state);
    EXPECT_EQ("B", state.PageTitle);
    // Hidden blocks in the content are cut while forms after them are read.
    const std::string cut = "<form>a<script>s</script><form>b<style>t</style><form>c</form>d";
    EXPECT_EQ(Join({"Form 28 characters", "a", "", "Form 21 characters", "b", "",
                    "Form 14 characters", "c", "d"}),
              Join(Layout(cut, {}, &state)));
    EXPECT_EQ("<form>a<form>b<form>c</form>d", state.DecodedSource);
}

TEST(ScannerTest, AllUrlsShowsMaybeUrlsBeforeTheTag) {
    RunCases({
        {"attributes with a slash, in attribute order",
         "<a data-x=\"/p/q\" class=c href=/h>",
         [](ViewOptions& o) { o.AllUrls = true; },
         {"Maybe URL A@DATA-X: \"/p/q\"", "Maybe URL A@HREF: /h", "", "Link: /h"}},
        {"no slash, nothing ripped",
         "<a href=h>",
         [](ViewOptions& o) { o.AllUrls = true; },
         {"Link: h"}},
    });
}

TEST(ScannerTest, PrepareCutsHiddenBlocksAndFindsTheTitle) {
    BrowserState state;
    Layout("<title>A &amp; B\r\nC</title><meta x=1>t<script>s</script>u<style>v</style>w", {},
           &state);
    EXPECT_EQ("A & B C", state.PageTitle);
    EXPECT_EQ("<title>A &amp; B\r\nC</title>tuw", state.DecodedSource);

    Layout("x</title>y", {}, &state);
    EXPECT_EQ("", state.PageTitle) << "a closing tag without TITLE gives no title";

    Layout("<base href=\"http://h/a&amp;b\">", {}, &state);
    EXPECT_EQ("http://h/a&b", state.BaseURL);

    Layout("<style>a</style>x", {}, &state);
    EXPECT_EQ("x", state.DecodedSource) << "a style cut at the start resumes at the start";
}

TEST(ScannerTest, ShownBlocksStayInTheSource) {
    BrowserState state;
    Layout(
        "<meta x=1>", [](ViewOptions& o) { o.Meta = true; }, &state);
    EXPECT_EQ("<meta x=1>", state.DecodedSource);
}

TEST(ScannerTest, UnicodeAndCyrillicLabels) {
    BrowserState state;
    state.LanguageIndex = 0;
    state.PageSource = "<img src=a>";
    auto lines = LayoutViewLines(state, ViewOptions{}, 60);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("\xC8\xE7\xEE\xE1\xF0\xE0\xE6\xE5\xED\xE8\xE5: a", lines[0].text);
    EXPECT_EQ(ColorRole::Media, lines[0].role);
}

} // namespace
} // namespace qm
