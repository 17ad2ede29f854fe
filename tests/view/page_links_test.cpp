// The addresses of a page's link blocks with their lines and kinds, the marks of the link
// check on the blocks, and the frames of the broken ones.

#include <gtest/gtest.h>

#include <sstream>

#include "render_fixture.h"
#include "view/page_links.h"
#include "view/view_dump.h"

namespace qm {
namespace {

constexpr const char* kBase = "http://h/dir/page.html";

std::string Shown(const std::vector<PageLink>& links) {
    static const char* kinds[] = {"Link", "Media", "Linked"};
    std::ostringstream out;
    for (const PageLink& link : links)
        out << link.line << ' ' << kinds[static_cast<int>(link.kind)] << " [" << link.written
            << "] " << link.address << "\n";
    return out.str();
}

std::vector<PageLink> Collect(const std::string& source, ViewOptions options = {},
                              std::string report = {}) {
    BrowserState page;
    page.PageSource = source;
    page.PageReport = std::move(report);
    page.BaseURL = kBase;
    return CollectPageLinks(page, options);
}

enum class Switches { Defaults, WithLinked, WithoutLinks };

ViewOptions Options(Switches shown) {
    ViewOptions options;
    options.Linked = shown == Switches::WithLinked;
    options.Links = shown != Switches::WithoutLinks;
    return options;
}

TEST(PageLinks, BlocksGiveTheirLineKindAndAddress) {
    struct Case {
        const char* what;
        std::string source;
        Switches options;
        std::string expected; // Shown(links)
    };
    const Case cases[] = {
        {"link, image and linked file on their lines",
         "<html>\n<link rel=x href=\"s.css\">\n<a href=\"b.html\">b</a> <img src='i/p.png'>",
         Switches::WithLinked,
         "2 Linked [s.css] http://h/dir/s.css\n3 Link [b.html] http://h/dir/b.html\n"
         "3 Media [i/p.png] http://h/dir/i/p.png\n"},
        {"CR LF, a lone CR and LF each end a line", "a\r\nb\rc\n<img src=x.png>",
         Switches::Defaults, "4 Media [x.png] http://h/dir/x.png\n"},
        {"a line break inside the tag: the line of its start", "\n<a\nhref=\"b.html\"\n>b</a>",
         Switches::Defaults, "2 Link [b.html] http://h/dir/b.html\n"},
        {"frames and areas are links; object data and backgrounds are media",
         "<iframe src=f.html></iframe><area href=/m.html><object data=o.swf></object>"
         "<body background=bg.gif>",
         Switches::Defaults,
         "1 Link [f.html] http://h/dir/f.html\n1 Link [/m.html] http://h/m.html\n"
         "1 Media [o.swf] http://h/dir/o.swf\n1 Media [bg.gif] http://h/dir/bg.gif\n"},
        {"BASE changes what the links resolve to",
         "<base href=\"http://o/x/\"><a href=c.html>c</a>", Switches::Defaults,
         "1 Link [c.html] http://o/x/c.html\n"},
        {"script sources, anchors, comments and hidden LINKs are no link blocks",
         "<script src=s.js></script><a name=top></a><!-- <a href=c.html> --><link href=l.css>",
         Switches::Defaults, ""},
        {"a hidden script's lines still count", "<script>\n\n</script>\n<a href=b.html>b</a>",
         Switches::Defaults, "4 Link [b.html] http://h/dir/b.html\n"},
        {"links inside a form are taken once, from the form's content",
         "<form>\n<a href=f.html>f</a></form>", Switches::Defaults,
         "2 Link [f.html] http://h/dir/f.html\n"},
        {"quotes go, &amp; is &, the fragment is not sent; other schemes stay as written",
         "<a href=\"q?a=1&amp;b=2#s\">q</a><a href=mailto:a@b>m</a><img src=\"data:,x#y\">",
         Switches::Defaults,
         "1 Link [q?a=1&b=2#s] http://h/dir/q?a=1&b=2\n1 Link [mailto:a@b] mailto:a@b\n"
         "1 Media [data:,x#y] data:,x#y\n"},
        {"the Links switch off leaves the media", "<a href=b.html>b</a><img src=p.png>",
         Switches::WithoutLinks, "1 Media [p.png] http://h/dir/p.png\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Shown(Collect(c.source, Options(c.options))), c.expected) << c.what;
}

TEST(PageLinks, TheReportAboveThePageDoesNotShiftTheLines) {
    const auto links = Collect("\n<a href=b.html>b</a>", {}, "URL: x<br>Code 200<br>");
    EXPECT_EQ(Shown(links), "2 Link [b.html] http://h/dir/b.html\n");
}

TEST(PageLinks, EachAddressOnceInTheOrderOfItsFirstBlock) {
    const auto links =
        Collect("<a href=b.html>1</a><img src=p.png><a href=./b.html#x>2</a><a href=p.png>3</a>");
    ASSERT_EQ(links.size(), 4u);
    EXPECT_EQ(FirstOfEachAddress(links), (std::vector<size_t>{0, 1}));
}

TEST(PageLinks, MarkedBlocksShowTheirCodeAndTheBrokenOnesAreFlagged) {
    test::RenderRig rig(60);
    rig.browser.LinkMarks["b.html"] = {"404", true};
    rig.browser.LinkMarks["p.png"] = {"200", false};
    rig.Show("<a href=\"b.html\">b</a><img src=p.png><a href=c.html>c</a>");
    std::vector<std::pair<std::string, bool>> objects;
    for (const ViewObject& object : rig.view.ViewObjects)
        objects.emplace_back(object.Text, object.Broken);
    EXPECT_EQ(objects, (std::vector<std::pair<std::string, bool>>{
                           {"b.html", true}, {"p.png", false}, {"c.html", false}}));

    std::vector<std::string> lines;
    for (const ViewLine& line : LayoutViewLines(rig.browser, rig.options, 60))
        if (!line.text.empty()) lines.push_back(line.text);
    EXPECT_EQ(lines, (std::vector<std::string>{"Link: \"b.html\" [404]", "b", "Image: p.png [200]",
                                               "Link: c.html", "c"}));
}

TEST(PageLinks, BrokenObjectsGetAFrameInsideTheirBand) {
    for (int zoom : {1, 2}) {
        Bitmap picture(20 * zoom, 12 * zoom, 0xFFFFFF);
        FrameBrokenObjects(
            picture,
            {{2, 10, ViewObjectKind::Link, "a", true}, {0, 2, ViewObjectKind::Link, "b", false}},
            zoom);
        const uint32_t red = RgbColor(255, 0, 0);
        auto at = [&](int x, int y) { return GetPixelz(picture, x * zoom, y * zoom); };
        for (auto [x, y] : {std::pair{0, 2}, {19, 3}, {10, 2}, {10, 9}, {0, 5}, {17, 5}})
            EXPECT_EQ(at(x, y), red) << "zoom " << zoom << " at " << x << "," << y;
        for (auto [x, y] : {std::pair{10, 1}, {10, 3}, {10, 8}, {1, 5}, {16, 5}, {10, 10}, {0, 0}})
            EXPECT_EQ(at(x, y), 0xFFFFFFu) << "zoom " << zoom << " at " << x << "," << y;
    }
}

} // namespace
} // namespace qm

namespace qm {
namespace {

TEST(PageLinks, HiddenAddressesCountWhenAskedWithTheKindOfTheirUse) {
    const std::string page =
        "<img src=a.png srcset=\"b.png 2x\">\n<link rel=icon href=i.ico>\n"
        "<style>@import 'c.css'; p{background:url(d.jpg)}</style>\n"
        "<script>go('https://x.test/e?a=1');</script>\n<meta http-equiv=refresh content=\"0;url=f.html\">";
    EXPECT_EQ(Shown(Collect(page)), "1 Media [a.png] http://h/dir/a.png\n");
    ViewOptions options;
    options.HiddenAddresses = true;
    EXPECT_EQ(Shown(Collect(page, options)),
              "1 Media [a.png] http://h/dir/a.png\n"
              "1 Media [b.png] http://h/dir/b.png\n"
              "2 Linked [i.ico] http://h/dir/i.ico\n"
              "3 Linked [c.css] http://h/dir/c.css\n"
              "3 Media [d.jpg] http://h/dir/d.jpg\n"
              "4 Link [https://x.test/e?a=1] https://x.test/e?a=1\n"
              "5 Link [f.html] http://h/dir/f.html\n");
}

} // namespace
} // namespace qm
