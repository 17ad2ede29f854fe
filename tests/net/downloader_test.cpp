// The downloader's steps over a scripted transport: report lines, redirects, outcomes,
// limits, traffic, history and the file target. The real transport is exercised against a
// local server in tests/platform.

#include "support/fake_pump.h"
#include "net/downloader.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <unistd.h>

#include <gtest/gtest.h>

#include "state/browser.h"
#include "base/file_io.h"
#include "net/download_progress.h"
#include "net/download_request.h"
#include "base/interfaces.h"

namespace qm {
namespace {

struct ScriptedAnswer {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    TransportError openError = TransportError::None; // Open fails with this
    std::string errorText;
    bool breakAfterBody = false; // Read gives -1 after the body
};

class ScriptedTransport : public HttpTransport {
  public:
    std::deque<ScriptedAnswer> answers;
    std::vector<HttpRequest> requests;
    std::function<void(size_t bytesRead)> onRead; // runs before each Read
    int openCount = 0;
    int closeCount = 0;

    bool Open(const HttpRequest& request) override {
        ++openCount;
        requests.push_back(request);
        current_ = answers.empty() ? ScriptedAnswer{} : answers.front();
        if (!answers.empty()) answers.pop_front();
        pos_ = 0;
        error_ = current_.openError;
        return current_.openError == TransportError::None;
    }
    int StatusCode() const override { return current_.status; }
    std::string Header(const std::string& name) const override {
        for (const auto& [key, value] : current_.headers)
            if (key == name) return value;
        return {};
    }
    std::string RawHeaders() const override { return {}; }
    long long Read(char* buffer, size_t size) override {
        if (onRead) onRead(pos_);
        size_t take = std::min(size, current_.body.size() - pos_);
        if (take == 0 && current_.breakAfterBody) {
            error_ = TransportError::ReceiveFailed;
            return -1;
        }
        current_.body.copy(buffer, take, pos_);
        pos_ += take;
        return static_cast<long long>(take);
    }
    TransportError Error() const override { return error_; }
    std::string ErrorText() const override { return current_.errorText; }
    void Abort() override {}
    void Close() override { ++closeCount; }

  private:
    ScriptedAnswer current_;
    size_t pos_ = 0;
    TransportError error_ = TransportError::None;
};

using CountingPump = qm::testing::FakePump;

class RecordingView : public DownloadView, public BrowserView {
  public:
    std::string address, caption, stopCaption;
    int trafficRepaints = 0, historyRepaints = 0;
    void ShowAddress(const std::string& url) override { address = url; }
    void RepaintTraffic() override { ++trafficRepaints; }
    void RepaintHistoryButtons() override { ++historyRepaints; }
    void ShowCaption(const std::string& text) override { caption = text; }
    void ShowStopCaption(const std::string& text) override { stopCaption = text; }
};

ScriptedAnswer Page(std::string body, std::string type = "text/html") {
    ScriptedAnswer answer;
    answer.headers = {{"Content-Type", type}, {"Content-Length", std::to_string(body.size())}};
    answer.body = std::move(body);
    return answer;
}

ScriptedAnswer Redirect(int status, std::string location) {
    ScriptedAnswer answer;
    answer.status = status;
    if (!location.empty()) answer.headers = {{"Location", location}};
    answer.body = "moved";
    return answer;
}

ScriptedAnswer Unreachable(std::string why) {
    ScriptedAnswer answer;
    answer.openError = TransportError::ConnectFailed;
    answer.errorText = std::move(why);
    return answer;
}

const std::string kHeaderBlock =
    "Accept: text/html,*/*;q=0.9\r\nKeep-Alive: 300\r\nConnection: keep-alive\r\n\r\n";
const std::string kFormType = "Content-Type: application/x-www-form-urlencoded\r\n";

class DownloaderTest : public ::testing::Test {
  protected:
    DownloaderTest() : browser(pump), downloader(browser, transport) {
        browser.SetView(&view);
        downloader.SetView(&view);
        downloader.SetTickSource([this] { return ticks += tickStep; });
    }
    BrowserState& S() { return browser.State(); }
    void Get(const std::string& url, DownloadMode mode = DownloadMode::Page) {
        downloader.StartDownload(url, mode);
    }

    CountingPump pump;
    Browser browser;
    ScriptedTransport transport;
    RecordingView view;
    Downloader downloader;
    uint64_t ticks = 0;
    uint64_t tickStep = 1;
};

TEST_F(DownloaderTest, PageReportFollowsRedirectsAndEndsReady) {
    transport.answers = {Redirect(301, "/a/"), Redirect(302, "b.html"),
                         Page("<p>x & y</p>", "image/png")};
    Get("http://host/a#frag");
    EXPECT_EQ(S().RequestReport, "URL: http://host/a<br>Code 301<br>"
                                 "Relocating to http://host/a/<br>Code 302<br>"
                                 "Relocating to http://host/a/b.html<br>Code 200<br>"
                                 "Content: image/png (PNG file)<br>");
    EXPECT_EQ(S().PageSource, "<p>x & y</p>");
    EXPECT_EQ(S().PageContentType, "image/png");
    EXPECT_EQ(S().StatusText, "Ready");
    EXPECT_FALSE(S().LastDownloadFailed);
    EXPECT_EQ(S().LastStatusCode, 200);
    EXPECT_EQ(S().LastContentLength, 12);
    EXPECT_EQ(S().LastRequestURL, "http://host/a#frag");
    EXPECT_EQ(S().LastFinalURL, "http://host/a/b.html");
    EXPECT_EQ(S().CurrentURL, "http://host/a/b.html");
    EXPECT_EQ(S().BaseURL, "http://host/a/b.html");
    EXPECT_EQ(view.address, "http://host/a/b.html");
    EXPECT_FALSE(S().DownloadBusy);
    EXPECT_EQ(view.stopCaption, "Stop (F5)");
    EXPECT_EQ(view.caption, "Ready");
    ASSERT_EQ(transport.requests.size(), 3u);
    EXPECT_EQ(transport.requests[2].objectName, "/a/b.html");
}

TEST_F(DownloaderTest, ReportEscapesAmpersandsExceptInFileMode) {
    transport.answers = {Page("x")};
    Get("http://host/?a=1&b=2");
    EXPECT_EQ(S().RequestReport.substr(0, 38), "URL: http://host/?a=1&amp;b=2<br>Code ");

    std::string target = ::testing::TempDir() + "/amp_" + std::to_string(::getpid());
    transport.answers = {Page("x")};
    downloader.StartDownload("http://host/?a=1&b=2", DownloadMode::FileDownload, false, {}, target);
    EXPECT_EQ(S().RequestReport, "URL: http://host/?a=1&b=2\r\nCode 200\r\n");
    std::filesystem::remove(target);
}

TEST_F(DownloaderTest, DoubleQuestionMarkTurnsTheAddressIntoAPost) {
    transport.answers = {Redirect(302, "/done"), Page("ok")};
    Get("http://host/path??a=1&b=2");
    ASSERT_EQ(transport.requests.size(), 2u);
    const HttpRequest& first = transport.requests[0];
    EXPECT_EQ(first.method, "POST");
    EXPECT_EQ(first.objectName, "/path");
    EXPECT_EQ(first.body, "a=1&b=2");
    EXPECT_EQ(first.headers, kHeaderBlock + kFormType);
    // The redirected request keeps method and body but drops the Content-Type line.
    const HttpRequest& second = transport.requests[1];
    EXPECT_EQ(second.method, "POST");
    EXPECT_EQ(second.objectName, "/done");
    EXPECT_EQ(second.body, "a=1&b=2");
    EXPECT_EQ(second.headers, kHeaderBlock);
    EXPECT_EQ(S().CurrentURL, "http://host/done");
    // Header block and body count as sent traffic.
    uint64_t sent = first.headers.size() + second.headers.size() + 2 * 7;
    EXPECT_EQ(S().TotalTraffic, sent + 2);
}

TEST_F(DownloaderTest, HeaderBlockFollowsTheSwitches) {
    struct Case {
        bool sendReferer;
        std::string referer;
        std::string userAgent;
        std::string expectedHeaders;
        std::string expectedAgent;
    };
    const Case cases[] = {
        {true, "http://from/page", "UA/1", "Referer: http://from/page\r\n" + kHeaderBlock, "UA/1"},
        {false, "http://from/page", "", kHeaderBlock, ""},
        {true, "", "", kHeaderBlock, ""},
        {true, "file:///home/me/page.html", "", kHeaderBlock, ""}, // a local page: none
        {true, "data:text/html,<form>", "", kHeaderBlock, ""},
        // Line breaks cannot smuggle in header lines of their own.
        {true, "http://a/\r\nX-Evil: 1", "UA\r\nX-Evil: 2",
         "Referer: http://a/X-Evil: 1\r\n" + kHeaderBlock, "UAX-Evil: 2"},
    };
    for (const Case& c : cases) {
        transport.requests.clear();
        transport.answers = {Page("x")};
        downloader.Options().sendReferer = c.sendReferer;
        downloader.Options().userAgent = c.userAgent;
        S().RefererURL = c.referer;
        Get("http://host/");
        ASSERT_EQ(transport.requests.size(), 1u);
        EXPECT_EQ(transport.requests[0].headers, c.expectedHeaders) << "referer " << c.referer;
        EXPECT_EQ(transport.requests[0].userAgent, c.expectedAgent);
        EXPECT_EQ(transport.requests[0].method, "GET");
        EXPECT_TRUE(transport.requests[0].body.empty());
    }
}

TEST_F(DownloaderTest, HostPortSchemeAndPunycode) {
    struct Case {
        std::string url;
        std::string host;
        int port;
        bool secure;
        std::string objectName;
        std::string punycodeLine; // empty: none expected
    };
    // "пример.рф" in Windows-1251.
    const std::string cyrillic = "\xEF\xF0\xE8\xEC\xE5\xF0.\xF0\xF4";
    const Case cases[] = {
        {"http://host/a?b=1", "host", 80, false, "/a?b=1", ""},
        {"HTTPS://HOST/", "HOST", 443, true, "/", ""},
        {"http://host:8080/x", "host", 8080, false, "/x", ""},
        {"https://host:8443", "host", 8443, true, "", ""},
        {"http://[::1]:8080/", "[::1]", 8080, false, "/", ""},
        {"http://[::1]/", "[::1]", 80, false, "/", ""},
        {"http://host:/", "host", 80, false, "/", ""},
        {"http://host:99999/", "host:99999", 80, false, "/", ""},
        {"http://" + cyrillic + ":8080/", "xn--e1afmkfd.xn--p1ai", 8080, false, "/",
         "Punycode domain name: xn--e1afmkfd.xn--p1ai:8080<br>"},
    };
    for (const Case& c : cases) {
        transport.requests.clear();
        transport.answers = {Page("x")};
        Get(c.url);
        ASSERT_EQ(transport.requests.size(), 1u) << c.url;
        const HttpRequest& r = transport.requests[0];
        EXPECT_EQ(r.host, c.host) << c.url;
        EXPECT_EQ(r.port, c.port) << c.url;
        EXPECT_EQ(r.secure, c.secure) << c.url;
        EXPECT_EQ(r.objectName, c.objectName) << c.url;
        bool hasLine = S().RequestReport.find("Punycode") != std::string::npos;
        EXPECT_EQ(hasLine, !c.punycodeLine.empty()) << c.url;
        if (!c.punycodeLine.empty()) {
            EXPECT_NE(S().RequestReport.find(c.punycodeLine), std::string::npos)
                << S().RequestReport;
        }
    }
}

TEST_F(DownloaderTest, SplitHostPortKeepsWhatIsNotAPort) {
    struct Case {
        std::string input, name;
        int port;
    };
    const Case cases[] = {
        {"host", "host", 0},       {"host:8080", "host", 8080},     {"host:", "host", 0},
        {"host:0", "host:0", 0},   {"host:65536", "host:65536", 0}, {"host:8o", "host:8o", 0},
        {"[::1]:81", "[::1]", 81}, {"[::1]", "[::1]", 0},           {"[::1]x", "[::1]x", 0},
        {"::1", "::1", 0},         {"a:1:2", "a:1:2", 0},           {"", "", 0},
    };
    for (const Case& c : cases) {
        HostAndPort got = SplitHostPort(c.input);
        EXPECT_EQ(got.name, c.name) << "input " << c.input;
        EXPECT_EQ(got.port, c.port) << "input " << c.input;
    }
}

TEST_F(DownloaderTest, RequestThatCannotBeSentFailsWithTheReason) {
    S().PageSource = "old page";
    transport.answers = {Unreachable("Couldn't connect to server")};
    Get("http://host/");
    EXPECT_TRUE(S().LastDownloadFailed);
    EXPECT_EQ(S().StatusText, "Download error");
    EXPECT_EQ(S().RequestReport,
              "URL: http://host/<br>Code 0<br>No connection to the server: Couldn't connect "
              "to server<br><br>Download error");
    EXPECT_EQ(S().PageSource, "");
    EXPECT_EQ(S().LastStatusCode, 0);
    EXPECT_EQ(S().LastContentLength, -1);
    EXPECT_FALSE(S().DownloadBusy);

    transport.answers = {Redirect(302, "http://other/"), Unreachable("Could not resolve host")};
    Get("http://host/");
    EXPECT_EQ(S().RequestReport,
              "URL: http://host/<br>Code 302<br>Relocating to http://other/<br>"
              "Code 0<br>No connection to the server: Could not resolve host<br><br>"
              "Download error");
    EXPECT_EQ(S().LastStatusCode, 0);
    // The reason stays with the state for those who show it elsewhere, until the next request.
    EXPECT_EQ(S().LastFailureText, "No connection to the server: Could not resolve host");
    transport.answers = {Page("ok")};
    Get("http://host/");
    EXPECT_EQ(S().LastFailureText, "");
}

TEST_F(DownloaderTest, LinkTestFailureLeavesTheCaptionAlone) {
    S().StatusText = "Some page";
    S().PageSource = "kept";
    transport.answers = {Unreachable("Could not resolve host: nowhere")};
    Get("http://nowhere/", DownloadMode::LinkTest);
    EXPECT_TRUE(S().LastDownloadFailed);
    EXPECT_EQ(S().StatusText, "Some page");
    EXPECT_EQ(S().PageSource, "kept");
    EXPECT_EQ(S().RequestReport,
              "URL: http://nowhere/\r\nCode 0\r\nNo connection to the server: Could not resolve "
              "host: nowhere\r\n\r\nDownload error");
}

TEST_F(DownloaderTest, FileDownloadIgnoresTheBlockLimit) {
    downloader.Options().blockLimit = 2;
    std::string target = ::testing::TempDir() + "/limit_" + std::to_string(::getpid());
    transport.answers = {Page(std::string(10 * 1024, 'a'))};
    downloader.StartDownload("http://host/big", DownloadMode::FileDownload, false, {}, target);
    EXPECT_EQ(GetFileToString(target).size(), 10u * 1024);
    std::filesystem::remove(target);
}

TEST_F(DownloaderTest, FileTargetIsReplacedOnlyByACompleteBody) {
    namespace fs = std::filesystem;
    fs::path folder = fs::path(::testing::TempDir()) / ("dl_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::string target = (folder / "saved.bin").string();
    ASSERT_TRUE(WriteFileAtomically(target, "previous"));

    ScriptedAnswer broken = Page("new body");
    broken.breakAfterBody = true;
    broken.errorText = "transfer closed with 10 bytes remaining to read";
    transport.answers = {broken};
    downloader.StartDownload("http://host/f", DownloadMode::FileDownload, false, {}, target);
    EXPECT_TRUE(S().LastDownloadFailed);
    EXPECT_EQ(S().StatusText, "Download error");
    EXPECT_EQ(GetFileToString(target), "previous");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1)
        << "temporary file left behind";
    EXPECT_EQ(S().RequestReport, "URL: http://host/f\r\nCode 200\r\nReceiving the answer failed: "
                                 "transfer closed with 10 bytes remaining to read\r\n");

    transport.answers = {Page("new body")};
    downloader.StartDownload("http://host/f", DownloadMode::FileDownload, false, {}, target);
    EXPECT_FALSE(S().LastDownloadFailed);
    EXPECT_EQ(GetFileToString(target), "new body");
    EXPECT_EQ(S().History.back().FileName, target);
    EXPECT_EQ(S().History.back().Kind, HistoryKind::FileDownload);

    // A target that cannot be created fails the download and frees it for the next one.
    transport.answers = {Page("x")};
    std::string impossible = (folder / "missing" / "x.bin").string();
    downloader.StartDownload("http://host/f", DownloadMode::FileDownload, false, {}, impossible);
    EXPECT_TRUE(S().LastDownloadFailed);
    EXPECT_FALSE(S().DownloadBusy);
    EXPECT_NE(S().RequestReport.find(impossible + ": No such file or directory"), std::string::npos)
        << S().RequestReport;
    fs::remove_all(folder);
}

TEST_F(DownloaderTest, StopKeepsWhatWasReadAndEndsReady) {
    namespace fs = std::filesystem;
    transport.answers = {Page(std::string(100 * 1024, 'b'))};
    tickStep = 10; // so that the pump runs after every block
    transport.onRead = [this](size_t read) {
        if (read >= 3 * 1024) browser.Stop();
    };
    Get("http://host/slow");
    EXPECT_FALSE(S().LastDownloadFailed);
    EXPECT_EQ(S().StatusText, "Ready");
    EXPECT_GE(S().PageSource.size(), 3u * 1024);
    EXPECT_LT(S().PageSource.size(), 100u * 1024);
    EXPECT_EQ(view.stopCaption, "Stop (F5)");

    // In file mode the part read so far is kept as the file.
    std::string target = ::testing::TempDir() + "/stop_" + std::to_string(::getpid());
    transport.answers = {Page(std::string(100 * 1024, 'b'))};
    downloader.StartDownload("http://host/slow", DownloadMode::FileDownload, false, {}, target);
    EXPECT_FALSE(S().LastDownloadFailed);
    size_t kept = GetFileToString(target).size();
    EXPECT_GE(kept, 3u * 1024);
    EXPECT_LT(kept, 100u * 1024);
    fs::remove(target);
}

TEST_F(DownloaderTest, StopWhileConnectingIsNoFailure) {
    ScriptedAnswer aborted;
    aborted.openError = TransportError::Aborted;
    transport.answers = {aborted};
    Get("http://host/");
    EXPECT_FALSE(S().LastDownloadFailed);
    EXPECT_EQ(S().StatusText, "Ready");
    EXPECT_EQ(S().RequestReport, "URL: http://host/<br>Stopped before the server answered<br>");
}

TEST_F(DownloaderTest, PreviewReadsOneBlockAndSummarises) {
    transport.answers = {Page(std::string(5000, 'p'))};
    Get("http://host/p", DownloadMode::PagePreview);
    EXPECT_EQ(S().PageSource, std::string(1024, 'p'));
    EXPECT_EQ(S().PageContentType, "");
    EXPECT_EQ(S().RequestReport,
              "URL: http://host/p<br>Code 200<br>URL: http://host/p<br>Content: text/html<br>"
              "Size: 5 000 bytes<br><br>Press Enter in address bar<br/>to download and view it"
              "<br><br>First 1024 bytes:<br>");
    EXPECT_EQ(S().CurrentURL, "http://host/p");
    EXPECT_EQ(S().History.back().Kind, HistoryKind::PagePreview);
    EXPECT_EQ(S().History.back().Traffic, -1);

    // Unknown length, traffic saver in full mode.
    ScriptedAnswer unknown;
    unknown.body = "tiny";
    transport.answers = {unknown};
    S().TrafficSaverMode = 1;
    Get("http://host/q", DownloadMode::PagePreview);
    EXPECT_EQ(S().PageSource, "tiny");
    EXPECT_EQ(S().RequestReport,
              "URL: http://host/q<br>Code 200<br>URL: http://host/q<br>Size: unknown<br><br>"
              "Press Ctrl+Enter in address bar<br/>to download and view it<br><br>"
              "First 1024 bytes:<br>");
}

TEST_F(DownloaderTest, LinkTestNeverReadsTheBody) {
    S().PageSource = "current page";
    S().CurrentURL = "http://host/dir/index.html";
    transport.answers = {Redirect(301, "/img/a.png"), Page("PNGDATA", "image/png")};
    bool read = false;
    transport.onRead = [&read](size_t) { read = true; };
    Get("http://host/a.png", DownloadMode::LinkTest);
    EXPECT_FALSE(read);
    EXPECT_EQ(S().PageSource, "current page");
    EXPECT_EQ(S().CurrentURL, "http://host/dir/index.html");
    EXPECT_EQ(browser.State().LinkField.Text, "http://host/img/a.png");
    EXPECT_EQ(S().RequestReport,
              "URL: http://host/a.png\r\nCode 301\r\nRelocating to http://host/img/a.png\r\n"
              "Code 200\r\nURL: http://host/img/a.png\r\nContent: image/png (PNG file)\r\n"
              "Size: 7 bytes");
    EXPECT_EQ(S().LastContentType, "image/png");
    EXPECT_EQ(S().LastContentLength, 7);
}

TEST_F(DownloaderTest, BusyAndDataAddressesAreRefused) {
    S().DownloadBusy = true;
    Get("http://host/");
    EXPECT_EQ(transport.openCount, 0);
    EXPECT_TRUE(S().History.empty());
    EXPECT_TRUE(S().DownloadBusy);

    S().DownloadBusy = false;
    S().LastContentType = "old";
    Get("  data:text/plain,hello");
    EXPECT_EQ(transport.openCount, 0);
    EXPECT_EQ(S().LastContentLength, -1);
    EXPECT_EQ(S().LastContentType, "");
    EXPECT_FALSE(S().DownloadBusy);
    EXPECT_TRUE(S().History.empty());
}

TEST_F(DownloaderTest, HistoryEntryAndTraffic) {
    S().History = {HistoryEntry{5, HistoryKind::Page, "a", {}},
                   HistoryEntry{6, HistoryKind::Page, "b", {}}};
    S().HistoryPos = 0;
    S().TotalTraffic = 1000;
    transport.answers = {Page(std::string(3000, 'x'))};
    Get("http://host/c#top");
    ASSERT_EQ(S().History.size(), 2u);
    EXPECT_EQ(S().HistoryPos, 1);
    EXPECT_EQ(S().History[1].URL, "http://host/c#top");
    uint64_t expected = kHeaderBlock.size() + 3000;
    EXPECT_EQ(S().History[1].Traffic, static_cast<int32_t>(expected));
    EXPECT_EQ(S().TotalTraffic, 1000 + expected);
    EXPECT_GE(view.historyRepaints, 1);
    EXPECT_GE(view.trafficRepaints, 1);

    downloader.Options().recordHistory = false;
    transport.answers = {Page("x")};
    Get("http://host/d");
    EXPECT_EQ(S().History.size(), 2u);
}

TEST_F(DownloaderTest, ProgressCaptionOncePerSecond) {
    tickStep = 100; // every read takes 100 ms
    std::vector<std::string> captions;
    pump.onPump = [&] { captions.push_back(S().StatusText); };
    transport.answers = {Page(std::string(30 * 1024, 'z'))};
    Get("http://host/");
    ASSERT_FALSE(captions.empty());
    // The first read shows progress at once; later texts change at most every 10 reads.
    EXPECT_EQ(captions[1].rfind("Downloading 3 % (1 024 bytes) ", 0), 0u) << captions[1];
    int changes = 0;
    for (size_t i = 2; i < captions.size(); ++i)
        if (captions[i] != captions[i - 1]) ++changes;
    EXPECT_LE(changes, 4);
}

TEST(DownloadProgressText, KnownAndUnknownLength) {
    struct Case {
        uint64_t read, elapsedMs;
        int64_t length;
        std::string expected;
    };
    const Case cases[] = {
        {0, 0, 1000, "Downloading 0 bytes 0 bytes/sec"},
        {1024, 1000, -1, "Downloading 1 024 bytes 1024 bytes/sec"},
        {500, 2000, 1000, "Downloading 50 % (500 bytes) 00:00:02 250 bytes/sec"},
        {20480, 1000, 40960, "Downloading 50 % (20 480 bytes) 00:00:01 20 Kbytes/sec"},
        {50ll << 20, 2000, 100ll << 20,
         "Downloading 50 % (52 428 800 bytes) 00:00:02 25 Mbytes/sec"},
        {200ll << 20, 1000, -1, "Downloading 209 715 200 bytes 200 Mbytes/sec"},
        // More than announced: nothing left to wait for.
        {3000, 5000, 1000, "Downloading 300 % (3 000 bytes) 00:00:00 600 bytes/sec"},
        // A chunked body under "Content-Length: 0": no division by the length.
        {2048, 1000, 0, "Downloading 2 048 bytes 2048 bytes/sec"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DownloadProgressText(c.read, c.elapsedMs, c.length, 1), c.expected)
            << c.read << " bytes in " << c.elapsedMs << " ms of " << c.length;
}

} // namespace
} // namespace qm
