// The prepare pass cuts hidden scripts, styles and meta tags out of the page: the source that
// remains, the title read across a cut, scanning that goes back before a cut (a style steps
// back seven characters, a form is read again), and pages with thousands of cuts.

#include <gtest/gtest.h>

#include <string>

#include "render_fixture.h"

namespace qm {
namespace {

struct CutCase {
    const char* what;
    std::string source;
    std::string kept;  // DecodedSource after the prepare pass
    std::string title; // PageTitle
};

void CheckCuts(PumpPace pace) {
    const CutCase cases[] = {
        {"script", "a<script>x<b>y</script>b", "ab", ""},
        {"meta tags each alone", "<meta a=1>x<META b=2>y", "xy", ""},
        // After a style the seven characters before it are read again.
        {"style at the start", "<style>p{}</style>z", "z", ""},
        {"style after text", "abcdefghij<style>s</style>k", "abcdefghijk", ""},
        {"script then style", "<a>1<script>x</script>2<style>y</style>3<meta a=b>4", "<a>1234", ""},
        {"title across a cut", "<title>A<script>s</script>B</title>x", "<title>AB</title>x", "AB"},
        {"title across a style", "<title>Ab<style>s</style>c&amp;d</title>",
         "<title>Abc&amp;d</title>", "Abc&d"},
        // The content of a form is read again as page content, and its scripts are cut then.
        {"form read again", "<script>s</script><form>f<script>t</script></form>z",
         "<form>f</form>z", ""},
        {"reference read again after a cut", "<meta x>&abcdefghijklmnop;q<meta y>r",
         "&abcdefghijklmnop;qr", ""},
        {"unterminated script kept", "a<script>x<meta y>", "a<script>x<meta y>", ""},
        // The pass stops reading once nothing can be cut and no title end can follow, but not
        // before a tag whose name a dropped control character splits.
        {"split name after lines", "<p>a<p>b<p>c<scr\x01ipt>x</script>d<p>e", "<p>a<p>b<p>cd<p>e",
         ""},
        {"title after lines", "<p>a<p>b<p>c<title>T</TiTlE>", "<p>a<p>b<p>c<title>T</TiTlE>",
         "T"},
    };
    for (const CutCase& c : cases) {
        test::RenderRig rig;
        Renderer renderer({rig.browser, rig.view, rig.options, rig.fonts, rig.decode, rig.pump,
                           nullptr, &rig.host, pace});
        rig.browser.PageSource = c.source;
        RequestDecode(rig.decode);
        renderer.RenderSite(RenderMode::Prepare);
        EXPECT_EQ(c.kept, rig.browser.DecodedSource) << c.what << "\nsource: " << c.source;
        EXPECT_EQ(c.title, rig.browser.PageTitle) << c.what;
    }
}

TEST(PrepareCutsTest, HiddenBlocksLeaveTheSource) {
    CheckCuts(PumpPace::EveryPlace);
    CheckCuts(PumpPace::Throttled);
}

TEST(PrepareCutsTest, ThousandsOfCutsAndShownBlocks) {
    std::string page, kept;
    for (int i = 0; i < 3000; ++i) {
        const std::string n = std::to_string(i);
        page += "<p>" + n + "<script>var a = '<b>" + n + "';</script><meta n=" + n +
                "><style>x{}</style>\r\n";
        kept += "<p>" + n + "\r\n";
    }
    test::RenderRig rig;
    rig.browser.PageSource = page;
    RequestDecode(rig.decode);
    rig.renderer.RenderSite(RenderMode::Prepare);
    EXPECT_EQ(kept, rig.browser.DecodedSource);

    rig.options.Scripts = rig.options.Styles = rig.options.Meta = true;
    RequestDecode(rig.decode);
    rig.renderer.RenderSite(RenderMode::Prepare);
    EXPECT_EQ(page, rig.browser.DecodedSource) << "shown blocks stay in the source";
}

// Event handlers that run inside a pass find the source whole: the page with some of its
// scripts cut out, nothing else.
TEST(PrepareCutsTest, SourceIsWholeWhenEventsRun) {
    const std::string script = "<script>s</script>";
    std::string page, kept;
    for (int i = 0; i < 200; ++i) {
        page += "line" + script + "<br>";
        kept += "line<br>";
    }
    test::RenderRig rig;
    rig.browser.PageSource = page;
    int checked = 0;
    rig.pump.onEvents = [&](int) {
        std::string source = rig.browser.DecodedSource;
        for (size_t at; (at = source.find(script)) != std::string::npos;)
            source.erase(at, script.size());
        ASSERT_EQ(kept, source) << "pump call " << checked;
        ++checked;
    };
    RequestDecode(rig.decode);
    rig.renderer.RenderSite(RenderMode::Prepare);
    EXPECT_GT(checked, 100);
    EXPECT_EQ(kept, rig.browser.DecodedSource);
}

} // namespace
} // namespace qm
