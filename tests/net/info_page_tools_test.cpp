// The object info area's page tools against a server in this process on 127.0.0.1: every line
// tested as a link and the page of results, and the area's text loaded as the page source.

#include <httplib.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "net/downloader.h"
#include "net/go_action.h"
#include "net/info_page_tools.h"
#include "state/browser.h"
#include "support/fake_pump.h"
#include "support/local_server.h"
#include "support/local_transport.h"

namespace qm {
namespace {

class RecordingWindow : public BrowserView, public GoActionHost {
  public:
    void ShowCaption(const std::string& text) override { captions.push_back(text); }
    void ShowStopCaption(const std::string&) override {}
    void HideObjectInfo() override { events.push_back("hide"); }
    void ShowObjectInfo() override { events.push_back("show"); }
    void SettingsChanged(bool) override { events.push_back("settings"); }
    void PageReady() override { events.push_back("page"); }
    std::vector<std::string> captions;
    std::vector<std::string> events;
};

class PageToolsTest : public ::testing::Test {
  protected:
    PageToolsTest() {
        browser.SetView(&window);
        server->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                referers.push_back(request.get_header_value("Referer"));
            }
            Answer(request, response);
        });
        EXPECT_TRUE(server.Start());
        browser.State().BaseURL = server.Url("/site/page.html");
        browser.Options().Media = false;
    }

    // /site/ok: 200 with 1234 bytes of HTML; /site/gone: 404; /site/stream: 200 of unknown
    // length; /site/odd: 200 with a content type that looks like markup.
    static void Answer(const httplib::Request& request, httplib::Response& response) {
        if (request.path == "/site/ok") {
            response.set_content(std::string(1234, 'x'), "text/html");
        } else if (request.path == "/site/stream") {
            response.set_chunked_content_provider("image/png", [](size_t, httplib::DataSink& sink) {
                sink.write("png", 3);
                sink.done();
                return true;
            });
        } else if (request.path == "/site/odd") {
            response.set_content("", "a<b>&c");
        } else {
            response.status = 404;
            response.set_content("gone", "text/plain");
        }
    }

    std::string Page() const { return browser.State().PageSource; }
    std::vector<std::string> Referers() {
        std::lock_guard<std::mutex> lock(mutex);
        return referers;
    }

    testing::FakePump pump;
    Browser browser{pump};
    testing::LocalTransport transport;
    Downloader downloader{browser, transport};
    RecordingWindow window;
    testing::LocalServer server;
    std::mutex mutex;
    std::vector<std::string> referers;
};

TEST_F(PageToolsTest, TestLinksNumbersTheTestedLinesAndSkipsBlankOnes) {
    browser.SetField(FieldId::ObjectInfo, "ok\r\n   \r\n/site/gone\r\n");
    TestLinks(browser, downloader, window);
    EXPECT_EQ(Page(), "1. Code 200<br>Content: text/html<br>Size: 1 234 bytes<br>Link: <br>"
                      "<object data=\"ok\"><object><br>-------------------------------<br>"
                      "2. Code 404<br>Content: text/plain<br>Size: 4 bytes<br>"
                      "-------------------------------<br>");
    EXPECT_EQ(browser.State().ObjectInfo.Text, "ok\r\n   \r\n/site/gone\r\n");
    // Each request names the page the lines came from; none is left behind.
    EXPECT_EQ(Referers(), (std::vector<std::string>{server.Url("/site/page.html"),
                                                    server.Url("/site/page.html")}));
    EXPECT_TRUE(browser.State().RefererURL.empty());
    EXPECT_TRUE(browser.State().RequestReport.empty());
}

TEST_F(PageToolsTest, TestLinksCountsProgressByLineAndShowsTheResultAsAPageWithMedia) {
    browser.SetField(FieldId::ObjectInfo, "ok\r\n\r\nstream"); // 12 bytes, lines at 0, 4 and 6
    browser.State().PageContentType = "image/png";
    browser.State().PageReport = "URL: old<br>";
    TestLinks(browser, downloader, window);
    std::vector<std::string> progress;
    for (const std::string& caption : window.captions)
        if (caption.rfind("Testing links ", 0) == 0) progress.push_back(caption);
    EXPECT_EQ(progress, (std::vector<std::string>{"Testing links 8%", "Testing links 41%",
                                                  "Testing links 58%"}));
    EXPECT_EQ(window.captions.back(), "Ready");
    EXPECT_TRUE(browser.Options().Media);
    EXPECT_EQ(window.events, (std::vector<std::string>{"hide", "show", "settings", "page"}));
    // The results are a page of their own, not the former page with its type and report.
    EXPECT_TRUE(browser.State().PageContentType.empty());
    EXPECT_TRUE(browser.State().PageReport.empty());
    EXPECT_NE(Page().find("2. Code 200<br>Content: image/png<br>Size: unknown<br>"),
              std::string::npos);
}

TEST_F(PageToolsTest, ClosingTheWindowStopsTheWalkButAnAbortLeftOverDoesNot) {
    browser.SetField(FieldId::ObjectInfo, "ok\r\ngone\r\nok");
    pump.onPump = [this] {
        auto progress =
            std::count_if(window.captions.begin(), window.captions.end(),
                          [](const std::string& c) { return c.rfind("Testing", 0) == 0; });
        if (progress == 2) browser.State().ProcessAbort = true; // the window closes
    };
    browser.State().ProcessAbort = true; // left over from a render that had ended
    TestLinks(browser, downloader, window);
    EXPECT_EQ(Page().rfind("1. Code 200<br>", 0), 0u) << Page();
    EXPECT_EQ(Page().find("2. "), std::string::npos) << Page();
    EXPECT_EQ(Referers().size(), 1u);
}

TEST_F(PageToolsTest, TestLinksReportsFailuresAndKeepsWhatTheServerSaysFromBecomingMarkup) {
    browser.SetField(FieldId::ObjectInfo, "http://127.0.0.1:1/\r\nodd?q=\"><a href=x>");
    TestLinks(browser, downloader, window);
    EXPECT_EQ(Page(), "1. Code 0<br>Size: unknown<br>-------------------------------<br>"
                      "2. Code 200<br>Content: a&lt;b&gt;&amp;c<br>Size: 0 bytes<br>Link: <br>"
                      "<object data=\"odd?q=%22%3E%3Ca href=x%3E\"><object><br>"
                      "-------------------------------<br>");
}

TEST_F(PageToolsTest, TestLinksWritesTheResultAsUtf8InUtf8Mode) {
    browser.State().Utf8Decoding = true;
    browser.State().LanguageIndex = 0;
    browser.SetField(FieldId::ObjectInfo, "gone");
    TestLinks(browser, downloader, window);
    EXPECT_EQ(Page().rfind("1. \xD0\x9A\xD0\xBE\xD0\xB4 404<br>", 0), 0u) << Page(); // "Код"
}

TEST_F(PageToolsTest, PageToolsWaitForARunningDownload) {
    browser.SetField(FieldId::ObjectInfo, "ok");
    browser.State().PageSource = "page";
    browser.State().DownloadBusy = true;
    TestLinks(browser, downloader, window);
    LoadAsPageSource(browser, window);
    EXPECT_EQ(Page(), "page");
    EXPECT_TRUE(window.events.empty());
    EXPECT_TRUE(Referers().empty());
}

TEST_F(PageToolsTest, LoadAsPageSourceReplacesOnlyTheSource) {
    BrowserState& state = browser.State();
    state.CurrentURL = "http://example.test/a.html";
    state.PageContentType = "text/plain";
    browser.SetField(FieldId::ObjectInfo, "<b>\xC0</b>\r\n");
    LoadAsPageSource(browser, window);
    EXPECT_EQ(Page(), "<b>\xC0</b>\r\n");
    EXPECT_TRUE(state.PageContentType.empty());
    EXPECT_EQ(state.CurrentURL, "http://example.test/a.html");
    EXPECT_EQ(window.events, std::vector<std::string>{"page"});

    state.Utf8Decoding = true; // the decoder gives the area's text back
    LoadAsPageSource(browser, window);
    EXPECT_EQ(Page(), "<b>\xD0\x90</b>\r\n");
}

} // namespace
} // namespace qm
