// The site check without a network: what it requests and how many at once, its result page,
// and the verdicts it leaves on the blocks of a page opened afterwards.

#include <gtest/gtest.h>

#include "net/go_action.h"
#include "site/crawl_store.h"
#include "site/site_crawl.h"
#include "site/site_link_check.h"
#include "state/browser.h"
#include "support/fake_pump.h"
#include "support/scripted_multi_transport.h"

namespace qm {
namespace {

using testing::Answer;

constexpr const char* kPageA = "<a href=\"/gone2.html\">x</a> <a href=\"/\">home</a>";

class PagesShown : public GoActionHost {
  public:
    void PageReady() override { ++shown; }
    int shown = 0;
};

HttpAnswer Html(std::string body) {
    return Answer(200, {{"Content-Type", "text/html"}}, std::move(body));
}

class SiteLinkCheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        transport.answers["h /"] =
            Html("<a href=\"a.html\">a</a> <a href=\"/gone.html\">g</a> <img src=\"/i.png\">");
        transport.answers["h /a.html"] = Html(kPageA);
        transport.answers["h /i.png"] = Answer(200, {{"Content-Type", "image/png"}}, "PNG");
        browser.State().CurrentURL = "http://h/";
    }
    testing::FakePump pump;
    Browser browser{pump};
    testing::ScriptedMultiTransport transport;
    PagesShown host;
};

TEST_F(SiteLinkCheckTest, ShowsTheBrokenAddressesByPageAndMarksPagesOpenedLater) {
    SiteLinkCheck(browser, transport, host).Run();
    BrowserState& state = browser.State();
    EXPECT_EQ(host.shown, 1);
    const std::string& page = state.PageSource;
    const size_t home = page.find("<a href=\"http://h/\">"), a = page.find("<a href=\"http://h/a.html\">");
    ASSERT_NE(home, std::string::npos) << page;
    ASSERT_NE(a, std::string::npos) << page;
    EXPECT_LT(home, page.find("404 http://h/gone.html"));
    EXPECT_LT(a, page.find("404 http://h/gone2.html"));
    EXPECT_EQ(state.StatusText, "Site links checked: pages 2, addresses 5, broken: 2");
    EXPECT_FALSE(state.LinkCheckBusy);

    // The page a.html opened afterwards: its blocks get the check's verdicts.
    ClearPage(state);
    state.PageSource = kPageA;
    state.CurrentURL = state.BaseURL = "http://h/a.html";
    MarkSiteCheckedLinks(browser);
    ASSERT_EQ(state.LinkMarks.count("/gone2.html"), 1u);
    EXPECT_TRUE(state.LinkMarks["/gone2.html"].broken);
    EXPECT_EQ(state.LinkMarks["/"].code, "200");
}

TEST_F(SiteLinkCheckTest, APageNotFromTheWebIsRefused) {
    browser.State().CurrentURL = "file:///tmp/x.html";
    SiteLinkCheck(browser, transport, host).Run();
    EXPECT_TRUE(transport.requests.empty());
    EXPECT_EQ(host.shown, 0);
    EXPECT_NE(browser.State().StatusText.find("http://"), std::string::npos);
}

TEST_F(SiteLinkCheckTest, NoMoreRequestsAtOnceToAHostThanAllowed) {
    std::string many;
    for (int i = 0; i < 40; ++i)
        many += "<a href=\"/p" + std::to_string(i) + "\">x</a>\n";
    transport.answers["h /"] = Html(many);
    CrawlOptions options;
    options.perHost = 3;
    std::unique_ptr<CrawlStore> store = NewMemoryCrawlStore();
    SiteCrawl(browser, transport, *store, options).Run("http://h/", {});
    EXPECT_EQ(transport.requests.size(), 42u); // robots.txt, the page and its 40 links
    EXPECT_LE(transport.mostOutstanding, 3u);
    EXPECT_EQ(store->Unfinished().size(), 0u);
}

} // namespace
} // namespace qm
