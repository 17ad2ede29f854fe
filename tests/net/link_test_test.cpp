// Link tests side by side: the requests they make, the redirects they follow or refuse, and
// what a result shows; the kinds of addresses and how the ones without a request are tested.

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "net/link_test.h"
#include "state/browser.h"
#include "support/fake_pump.h"
#include "support/scripted_multi_transport.h"

namespace qm {
namespace {

using testing::Answer;
using testing::ScriptedMultiTransport;

HttpAnswer Redirect(int status, std::string location) {
    return Answer(status, {{"Location", std::move(location)}});
}

class ParallelLinkTestTest : public ::testing::Test {
  protected:
    std::vector<LinkResult> Run(const std::vector<std::string>& addresses) {
        ParallelLinkTest test(browser, transport);
        return test.Run(addresses, "http://h/page.html");
    }
    testing::FakePump pump;
    Browser browser{pump};
    ScriptedMultiTransport transport;
};

TEST_F(ParallelLinkTestTest, RedirectsAreFollowedOrRefusedAsTheDownloaderDoes) {
    transport.answers["h /ok"] = Answer(200, {{"Content-Type", "text/html"}, {"Content-Length", "12"}});
    transport.answers["h /moved"] = Redirect(301, "/ok");
    transport.answers["h /loop"] = Redirect(302, "/loop");
    transport.answers["h /ftp"] = Redirect(302, "ftp://h/f");
    transport.answers["h /nowhere"] = Answer(302);
    transport.answers["h /refused"] = {
        0, 0, {}, TransportError::ConnectFailed, "Connection refused"};
    struct Expected {
        std::string address;
        bool failed;
        int status;
        std::string shown; // ResultText
        std::string finalUrl;
    };
    const Expected expected[] = {
        {"http://h/moved", false, 200, "200", "http://h/ok"},
        {"http://h/loop", true, 302, "Maximum number of redirects followed: 20", "http://h/loop"},
        {"http://h/ftp", true, 302,
         "Redirect not followed, the program does not fetch addresses of this scheme: ftp",
         "http://h/ftp"},
        {"http://h/nowhere", true, 0, "Download error", "http://h/nowhere"},
        {"http://h/refused", true, 0, "No connection to the server: Connection refused",
         "http://h/refused"},
        {"http://h/gone", false, 404, "404", "http://h/gone"},
    };
    std::vector<std::string> addresses;
    for (const Expected& e : expected)
        addresses.push_back(e.address);
    const std::vector<LinkResult> results = Run(addresses);
    ASSERT_EQ(results.size(), std::size(expected));
    for (size_t i = 0; i < results.size(); ++i) {
        const Expected& e = expected[i];
        const LinkResult& r = results[i];
        EXPECT_TRUE(r.done) << e.address;
        EXPECT_EQ(r.failed, e.failed) << e.address;
        EXPECT_EQ(r.status, e.status) << e.address;
        EXPECT_EQ(ResultText(r, 1), e.shown) << e.address;
        EXPECT_EQ(r.finalUrl, e.finalUrl) << e.address;
        EXPECT_EQ(IsBroken(r), e.failed || e.status >= 400) << e.address;
    }
    EXPECT_EQ(results[0].contentType, "text/html");
    EXPECT_EQ(results[0].contentLength, 12);
}

TEST_F(ParallelLinkTestTest, RequestsCarryTheLinkTestsHeadersAndAPostKeepsItsBodyThroughARedirect) {
    browser.Downloads().userAgent = "Agent\r\nX: y";
    transport.answers["h /form"] = Redirect(303, "/done");
    Run({"http://h/form??a=1", "https://s:8443/x"});
    ASSERT_EQ(transport.requests.size(), 3u);
    const HttpRequest& post = transport.requests[0];
    EXPECT_EQ(post.method, "POST");
    EXPECT_EQ(post.objectName, "/form");
    EXPECT_EQ(post.body, "a=1");
    EXPECT_EQ(post.userAgent, "AgentX: y");
    EXPECT_NE(post.headers.find("Referer: http://h/page.html\r\n"), std::string::npos);
    EXPECT_NE(post.headers.find("Content-Type: application/x-www-form-urlencoded"),
              std::string::npos);
    EXPECT_TRUE(transport.requests[1].secure);
    EXPECT_EQ(transport.requests[1].port, 8443);
    const HttpRequest& followed = transport.requests[2];
    EXPECT_EQ(followed.objectName, "/done");
    EXPECT_EQ(followed.body, "a=1");
    EXPECT_EQ(followed.headers.find("Content-Type"), std::string::npos);
}

TEST_F(ParallelLinkTestTest, AStopLeavesTheRestNotDoneAndCancelsThem) {
    browser.State().LinkCheckBusy = true;
    transport.onAnswer = [this](const std::string&) { browser.Stop(); };
    const auto results = Run({"http://h/1", "http://h/2", "http://h/3"});
    EXPECT_TRUE(results[0].done);
    EXPECT_FALSE(results[1].done);
    EXPECT_FALSE(results[2].done);
    EXPECT_TRUE(transport.cancelled);
}

TEST(LinkTest, ResolvesNumericReferencesBeforeTheFragment) {
    const std::pair<const char*, const char*> cases[] = {
        {"issue?&#64;action=go&bpo=2", "http://h/d/issue?@action=go&bpo=2"},
        {"&#x2F;top&#X2f;x#part", "http://h/top/x"},
        {"a&copy;&#6x;b", "http://h/d/a&copy;&"}, // not numeric: its "#" begins the fragment
    };
    for (const auto& [written, address] : cases)
        EXPECT_EQ(ResolveLink("http://h/d/page.html", written), address) << written;
}

TEST(LinkTest, AddressesWithoutARequest) {
    const std::string folder = ::testing::TempDir();
    std::ofstream(folder + "link_test_here.html") << "12345";
    struct Case {
        std::string written;
        AddressKind kind;
        std::string shown;
        bool broken;
        int64_t size;
    };
    const Case cases[] = {
        {"link_test_here.html", AddressKind::LocalFile, "found", false, 5},
        {"#part", AddressKind::LocalFile, "File not found", true, -1}, // the page, not its folder
        {"", AddressKind::LocalFile, "File not found", true, -1},
        {"link_test_missing.html", AddressKind::LocalFile, "File not found", true, -1},
        {"data:text/plain;base64,QUJD", AddressKind::Data, "not fetched: data", false, 3},
        {"javascript:void(0)", AddressKind::NotFetched, "not fetched: javascript", false, -1},
        {"ftp://h/f", AddressKind::NotFetched, "not fetched: ftp", false, -1},
    };
    const std::string base = "file://" + folder + "page.html";
    for (const Case& c : cases) {
        const std::string address = ResolveLink(base, c.written);
        ASSERT_EQ(KindOfAddress(address), c.kind) << c.written << " -> " << address;
        const LinkResult result = TestWithoutRequest(address, c.kind, 1);
        EXPECT_EQ(ResultText(result, 1), c.shown) << c.written;
        EXPECT_EQ(IsBroken(result), c.broken) << c.written;
        EXPECT_EQ(result.contentLength, c.size) << c.written;
        EXPECT_EQ(HasMark(c.kind), c.kind == AddressKind::LocalFile) << c.written;
    }
}

} // namespace
} // namespace qm
