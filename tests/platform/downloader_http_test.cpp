// StartDownload over the libcurl transport against servers in this process on 127.0.0.1:
// what the server receives, redirects, limits, cookies, failures, F5 and HTTPS.

#include <httplib.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "net/downloader.h"
#include "platform/curl_transport.h"
#include "state/browser.h"
#include "support/fake_pump.h"
#include "support/local_server.h"
#include "support/raw_server.h"
#include "view/view_dump.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

const fs::path kCertFolder = fs::path(__FILE__).parent_path().parent_path() / "net" / "data";

// An HTTP(S) server on a free port of 127.0.0.1, stopped when it goes out of scope.
class TestServer {
  public:
    explicit TestServer(std::unique_ptr<httplib::Server> server = nullptr)
        : server_(server ? std::move(server) : std::make_unique<httplib::Server>()) {
        server_->set_keep_alive_timeout(1);
    }
    ~TestServer() {
        server_->stop();
        if (thread_.joinable()) thread_.join();
    }
    httplib::Server* operator->() { return server_.get(); }
    // False when the address cannot be bound here (no IPv6 loopback, for instance).
    bool Start(const std::string& address = "127.0.0.1") {
        port_ = server_->bind_to_any_port(address);
        if (port_ <= 0) return false;
        thread_ = std::thread([this] { server_->listen_after_bind(); });
        while (!server_->is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return true;
    }
    int Port() const { return port_; }
    std::string Url(const std::string& path, const std::string& scheme = "http") const {
        return scheme + "://127.0.0.1:" + std::to_string(port_) + path;
    }

  private:
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
};

using qm::testing::RawServer;

const std::string kOk = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok";

using Pump = qm::testing::FakePump;

struct Received {
    std::string method, target, body;
    std::map<std::string, std::string> headers; // without httplib's own address entries
};

class DownloaderHttpTest : public ::testing::Test {
  protected:
    DownloaderHttpTest() {
        folder_ = fs::path(::testing::TempDir()) /
                  ("quillmar_http_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
        MakeDownloader({});
    }
    ~DownloaderHttpTest() override {
        downloader_.reset();
        transport_.reset();
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    void MakeDownloader(CurlTransportOptions options) {
        downloader_.reset();
        transport_ = std::make_unique<CurlTransport>(pump, std::move(options));
        downloader_ = std::make_unique<Downloader>(browser, *transport_);
    }
    CurlTransportOptions WithCookieFile() {
        CurlTransportOptions options;
        options.cookieFile = (folder_ / kCookieFileName).string();
        return options;
    }
    BrowserState& S() { return browser.State(); }
    Downloader& D() { return *downloader_; }
    void Get(const std::string& url, DownloadMode mode = DownloadMode::Page) {
        D().StartDownload(url, mode);
    }
    // Records every request the server gets.
    httplib::Server::Handler Recorder(std::function<void(httplib::Response&)> answer) {
        return [this, answer](const httplib::Request& request, httplib::Response& response) {
            Received r{request.method, request.target, request.body, {}};
            for (const auto& [key, value] : request.headers)
                if (key != "REMOTE_ADDR" && key != "REMOTE_PORT" && key != "LOCAL_ADDR" &&
                    key != "LOCAL_PORT")
                    r.headers[key] = value;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                received_.push_back(std::move(r));
            }
            answer(response);
        };
    }
    std::vector<Received> ReceivedRequests() {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }
    bool ReportHas(const std::string& text) {
        return S().RequestReport.find(text) != std::string::npos;
    }

    Pump pump;
    Browser browser{pump};
    fs::path folder_;
    std::unique_ptr<CurlTransport> transport_;
    std::unique_ptr<Downloader> downloader_;
    std::mutex mutex_;
    std::vector<Received> received_;
};

TEST_F(DownloaderHttpTest, GetRequestCarriesExactlyTheHeaderBlock) {
    RawServer server(kOk);
    D().Options().cookies = false;
    D().Options().userAgent = "QuillmarTest/1.0";
    S().RefererURL = "http://from.example/page";
    std::string port = std::to_string(server.Port());
    Get("http://127.0.0.1:" + port + "/a/b?x=1#frag");
    EXPECT_EQ(server.Received(), "GET /a/b?x=1 HTTP/1.1\r\n"
                                 "Host: 127.0.0.1:" +
                                     port +
                                     "\r\n"
                                     "User-Agent: QuillmarTest/1.0\r\n"
                                     "Referer: http://from.example/page\r\n"
                                     "Accept: text/html,*/*;q=0.9\r\n"
                                     "Keep-Alive: 300\r\n"
                                     "Connection: keep-alive\r\n\r\n");
    EXPECT_EQ(S().PageSource, "ok");
    EXPECT_EQ(S().StatusText, "Ready");
}

TEST_F(DownloaderHttpTest, PostAddressSendsItsBodyAndNothingElse) {
    RawServer server(kOk);
    D().Options().cookies = false;
    S().RefererURL = "http://ignored/";
    D().Options().sendReferer = false;
    std::string port = std::to_string(server.Port());
    Get("http://127.0.0.1:" + port + "/form??a=1&b=%20x");
    EXPECT_EQ(server.Received(), "POST /form HTTP/1.1\r\n"
                                 "Host: 127.0.0.1:" +
                                     port +
                                     "\r\n"
                                     "Accept: text/html,*/*;q=0.9\r\n"
                                     "Keep-Alive: 300\r\n"
                                     "Connection: keep-alive\r\n"
                                     "Content-Type: application/x-www-form-urlencoded\r\n"
                                     "Content-Length: 10\r\n\r\n"
                                     "a=1&b=%20x");
    EXPECT_FALSE(S().LastDownloadFailed);
}

TEST_F(DownloaderHttpTest, ObjectNameGoesOntoTheRequestLineAsMade) {
    struct Case {
        std::string rest, requestLine;
    };
    const Case cases[] = {
        {"?a=1", "GET /?a=1 HTTP/1.1"},
        {"/a/../b/./c", "GET /a/../b/./c HTTP/1.1"},
        {"/\xEF\xF3\xF2\xFC?q=\xEF", "GET /%D0%BF%D1%83%D1%82%D1%8C?q=%EF HTTP/1.1"},
        {"/a b", "GET /a%20b HTTP/1.1"},
    };
    D().Options().cookies = false;
    for (const Case& c : cases) {
        RawServer server(kOk);
        Get("http://127.0.0.1:" + std::to_string(server.Port()) + c.rest);
        std::string received = server.Received();
        EXPECT_EQ(received.substr(0, received.find("\r\n")), c.requestLine) << c.rest;
    }
}

TEST_F(DownloaderHttpTest, PortOfAnIpv6AddressIsUsed) {
    TestServer server;
    if (!server.Start("::1")) GTEST_SKIP() << "no IPv6 loopback";
    server->Get("/six", Recorder([](httplib::Response& r) { r.set_content("six", "text/plain"); }));
    std::string port = std::to_string(server.Port());
    Get("http://[::1]:" + port + "/six");
    EXPECT_EQ(S().PageSource, "six") << S().RequestReport;
    auto requests = ReceivedRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].headers["Host"], "[::1]:" + port);
}

TEST_F(DownloaderHttpTest, ProxyOfTheEnvironmentGetsTheWholeAddress) {
    RawServer proxy(kOk);
    ::setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(proxy.Port())).c_str(), 1);
    ::unsetenv("no_proxy");
    ::unsetenv("NO_PROXY");
    D().Options().cookies = false;
    Get("http://site.invalid:8080/x?y=1");
    ::unsetenv("http_proxy");
    EXPECT_EQ(proxy.Received(), "GET http://site.invalid:8080/x?y=1 HTTP/1.1\r\n"
                                "Host: site.invalid:8080\r\n"
                                "Accept: text/html,*/*;q=0.9\r\n"
                                "Keep-Alive: 300\r\n"
                                "Connection: keep-alive\r\n\r\n");
    EXPECT_EQ(S().PageSource, "ok");
}

TEST_F(DownloaderHttpTest, PostWithALargeBodyHasNoExpectHeader) {
    TestServer server;
    server->Post("/submit",
                 Recorder([](httplib::Response& r) { r.set_content("done", "text/plain"); }));
    ASSERT_TRUE(server.Start());
    std::string body(5000, 'q');
    D().StartDownload(server.Url("/submit"), DownloadMode::Page, true, body);
    auto requests = ReceivedRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].body, body);
    std::map<std::string, std::string> expected = {
        {"Host", "127.0.0.1:" + std::to_string(server.Port())},
        {"Accept", "text/html,*/*;q=0.9"},
        {"Keep-Alive", "300"},
        {"Connection", "keep-alive"},
        {"Content-Type", "application/x-www-form-urlencoded"},
        {"Content-Length", "5000"}};
    EXPECT_EQ(requests[0].headers, expected);
    EXPECT_EQ(S().PageSource, "done");
}

TEST_F(DownloaderHttpTest, RelativeRedirectsAreFollowedAndReported) {
    TestServer server;
    server->Get("/old", Recorder([](httplib::Response& r) {
                    r.status = 301;
                    r.set_header("Location", "/new/");
                }));
    server->Get("/new/", Recorder([](httplib::Response& r) {
                    r.status = 302;
                    r.set_header("Location", "page.html?x=1&y=2");
                }));
    server->Get("/new/page.html",
                Recorder([](httplib::Response& r) { r.set_content("<p>here</p>", "text/html"); }));
    ASSERT_TRUE(server.Start());
    Get(server.Url("/old"));
    std::string base = server.Url("");
    EXPECT_EQ(S().RequestReport, "URL: " + base + "/old<br>Code 301<br>Relocating to " + base +
                                     "/new/<br>Code 302<br>Relocating to " + base +
                                     "/new/page.html?x=1&amp;y=2<br>Code 200<br>"
                                     "Content: text/html<br>");
    EXPECT_EQ(S().PageSource, "<p>here</p>");
    EXPECT_EQ(S().CurrentURL, base + "/new/page.html?x=1&y=2");
    auto requests = ReceivedRequests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[2].target, "/new/page.html?x=1&y=2");
}

TEST_F(DownloaderHttpTest, MarkupInHeadersShowsAsWrittenAndForgesNothing) {
    TestServer server;
    const std::string forged = "<a href=\"http://evil.example/\">Code 200</a><!--";
    server->Get("/moved", Recorder([&](httplib::Response& r) {
                    r.status = 302;
                    r.set_header("Location", "/gone?" + forged);
                }));
    server->Get("/gone", Recorder([&](httplib::Response& r) {
                    r.status = 404;
                    r.set_content("real body", "text/html" + forged);
                }));
    ASSERT_TRUE(server.Start());
    Get(server.Url("/moved"));
    ViewOptions options;
    std::string page = DumpSourceView(S(), options, 200);
    EXPECT_EQ(page.find("Link: "), std::string::npos) << page;
    EXPECT_NE(page.find("Content: text/html" + forged), std::string::npos) << page;
    EXPECT_NE(page.find("Relocating to " + server.Url("/gone?") + forged), std::string::npos) << page;
    EXPECT_NE(page.find("real body"), std::string::npos) << page;
}

TEST_F(DownloaderHttpTest, RedirectWithoutLocationAndRedirectCycleFail) {
    TestServer server;
    server->Get("/nowhere", Recorder([](httplib::Response& r) { r.status = 302; }));
    server->Get("/loop", Recorder([](httplib::Response& r) {
                    r.status = 302;
                    r.set_header("Location", "/loop");
                }));
    ASSERT_TRUE(server.Start());
    Get(server.Url("/nowhere"));
    EXPECT_TRUE(S().LastDownloadFailed);
    EXPECT_EQ(S().LastStatusCode, 0);
    EXPECT_EQ(S().StatusText, "Download error");

    Get(server.Url("/loop"));
    EXPECT_TRUE(S().LastDownloadFailed);
    EXPECT_TRUE(ReportHas("Maximum number of redirects followed: 20<br><br>Download error"))
        << S().RequestReport;
    EXPECT_EQ(ReceivedRequests().size(), 1u + 21u);
}

TEST_F(DownloaderHttpTest, RedirectToASchemeNotFetchedFailsNamingIt) {
    struct Case {
        std::string location;
        std::string scheme; // empty: the redirect is followed
    };
    std::vector<Case> cases = {
        {"ftp://files.example/a.txt", "ftp"},
        {"javascript:alert(1)", "javascript"},
        {"about:blank", "about"},
        {"file:///etc/passwd", "file"},
        {"data:text/html,x", "data"},
        {"Mailto:a@b.example", "Mailto"},
        {"HTTP://127.0.0.1:PORT/ok", ""},
        {"//127.0.0.1:PORT/ok", ""},
        {"ok:1/../ok", "ok"},
        {"./ok:1/../../ok", ""},
    };
    TestServer server;
    server->Get(R"(/go/(\d+))", [this, &cases](const httplib::Request& q, httplib::Response& r) {
        const std::string location = cases[std::stoul(q.matches[1].str())].location;
        Recorder([&location](httplib::Response& answer) {
            answer.status = 302;
            answer.set_header("Location", location);
        })(q, r);
    });
    server->Get("/ok",
                Recorder([](httplib::Response& r) { r.set_content("fetched", "text/plain"); }));
    ASSERT_TRUE(server.Start());
    for (Case& c : cases) {
        size_t at = c.location.find("PORT");
        if (at != std::string::npos) c.location.replace(at, 4, std::to_string(server.Port()));
    }
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        size_t before = ReceivedRequests().size();
        Get(server.Url("/go/" + std::to_string(i)));
        if (c.scheme.empty()) {
            EXPECT_EQ(S().PageSource, "fetched") << c.location << "\n" << S().RequestReport;
            continue;
        }
        EXPECT_TRUE(S().LastDownloadFailed) << c.location;
        EXPECT_TRUE(ReportHas("Code 302<br>Redirect not followed, the program does not fetch "
                              "addresses of this scheme: " +
                              c.scheme + "<br><br>Download error"))
            << c.location << "\n"
            << S().RequestReport;
        EXPECT_EQ(ReceivedRequests().size(), before + 1) << c.location;
    }
}

TEST_F(DownloaderHttpTest, BodiesWithAndWithoutLengthAndErrorPages) {
    TestServer server;
    server->Get("/ten", [](const httplib::Request&, httplib::Response& r) {
        r.set_content(std::string(10 * 1024, 't'), "text/html");
    });
    server->Get("/chunked", [](const httplib::Request&, httplib::Response& r) {
        r.set_chunked_content_provider("text/html", [](size_t offset, httplib::DataSink& sink) {
            if (offset >= 3000) {
                sink.done();
                return true;
            }
            std::string piece(1000, static_cast<char>('a' + offset / 1000));
            sink.write(piece.data(), piece.size());
            return true;
        });
    });
    server->Get("/missing", [](const httplib::Request&, httplib::Response& r) {
        r.status = 404;
        r.set_content("<h1>Not found</h1>", "text/html");
    });
    ASSERT_TRUE(server.Start());

    D().Options().blockLimit = 2;
    Get(server.Url("/ten"));
    EXPECT_EQ(S().PageSource, std::string(2048, 't'));
    EXPECT_EQ(S().LastContentLength, 10 * 1024);
    D().Options().blockLimit = 0;

    Get(server.Url("/chunked"));
    EXPECT_EQ(S().PageSource,
              std::string(1000, 'a') + std::string(1000, 'b') + std::string(1000, 'c'));
    EXPECT_EQ(S().LastContentLength, -1);
    EXPECT_FALSE(S().LastDownloadFailed);
    Get(server.Url("/chunked"), DownloadMode::PagePreview);
    EXPECT_TRUE(ReportHas("Size: unknown<br>")) << S().RequestReport;
    EXPECT_EQ(S().PageSource.size(), 1024u);

    Get(server.Url("/missing"));
    EXPECT_EQ(S().LastStatusCode, 404);
    EXPECT_EQ(S().PageSource, "<h1>Not found</h1>");
    EXPECT_EQ(S().StatusText, "Ready");
}

TEST_F(DownloaderHttpTest, PreviewAndLinkTestLeaveThePageAsDescribed) {
    TestServer server;
    server->Get("/page", [](const httplib::Request&, httplib::Response& r) {
        r.set_content(std::string(4000, 'v'), "text/html");
    });
    ASSERT_TRUE(server.Start());
    Get(server.Url("/page"), DownloadMode::PagePreview);
    EXPECT_EQ(S().PageSource, std::string(1024, 'v'));
    EXPECT_TRUE(ReportHas("Size: 4 000 bytes<br><br>")) << S().RequestReport;

    S().PageSource = "shown page";
    Get(server.Url("/page"), DownloadMode::LinkTest);
    EXPECT_EQ(S().PageSource, "shown page");
    EXPECT_EQ(S().LastStatusCode, 200);
    EXPECT_EQ(S().LastContentLength, 4000);
    EXPECT_TRUE(ReportHas("\r\nContent: text/html\r\nSize: 4 000 bytes")) << S().RequestReport;
}

TEST_F(DownloaderHttpTest, CookiesFollowTheSwitchAndOutliveTheTransport) {
    MakeDownloader(WithCookieFile());
    TestServer server;
    server->Get("/set", [](const httplib::Request&, httplib::Response& r) {
        r.set_header("Set-Cookie", "session=abc123; Path=/; Max-Age=3600");
        r.set_content("set", "text/plain");
    });
    server->Get("/echo", [](const httplib::Request& q, httplib::Response& r) {
        r.set_content(q.has_header("Cookie") ? q.get_header_value("Cookie") : "none", "text/plain");
    });
    ASSERT_TRUE(server.Start());

    D().Options().cookies = false;
    Get(server.Url("/set"));
    Get(server.Url("/echo"));
    EXPECT_EQ(S().PageSource, "none") << "a cookie was stored while cookies were off";

    D().Options().cookies = true;
    Get(server.Url("/set"));
    Get(server.Url("/echo"));
    EXPECT_EQ(S().PageSource, "session=abc123");

    D().Options().cookies = false;
    Get(server.Url("/echo"));
    EXPECT_EQ(S().PageSource, "none") << "a cookie was sent while cookies were off";

    // A new transport (the next run) reads the jar back.
    MakeDownloader(WithCookieFile());
    D().Options().cookies = true;
    Get(server.Url("/echo"));
    EXPECT_EQ(S().PageSource, "session=abc123");
    EXPECT_EQ(fs::status(folder_ / kCookieFileName).permissions() & fs::perms::others_read,
              fs::perms::none);
}

TEST_F(DownloaderHttpTest, RefusedConnectionIsAFailureWithTheReason) {
    int port = 0;
    {
        // A port that was just free and is closed now refuses.
        TestServer probe;
        ASSERT_TRUE(probe.Start());
        port = probe.Port();
    }
    S().PageSource = "previous";
    Get("http://127.0.0.1:" + std::to_string(port) + "/");
    EXPECT_TRUE(S().LastDownloadFailed);
    EXPECT_EQ(S().StatusText, "Download error");
    EXPECT_EQ(S().PageSource, "");
    EXPECT_TRUE(ReportHas("Couldn't connect to server") || ReportHas("Connection refused"))
        << S().RequestReport;
    EXPECT_TRUE(ReportHas("<br><br>Download error"));

    Get("http://no-such-host.invalid/");
    EXPECT_TRUE(S().LastDownloadFailed);
    EXPECT_TRUE(ReportHas("resolve")) << S().RequestReport;
}

TEST_F(DownloaderHttpTest, StopDuringASlowBodyKeepsWhatCame) {
    std::atomic<bool> serverDone{false};
    TestServer server;
    server->Get("/slow", [&serverDone](const httplib::Request&, httplib::Response& r) {
        r.set_content_provider(1000 * 1024, "text/html",
                               [&serverDone](size_t, size_t, httplib::DataSink& sink) {
                                   if (serverDone) return false;
                                   std::string piece(1024, 's');
                                   sink.write(piece.data(), piece.size());
                                   std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                   return true;
                               });
    });
    ASSERT_TRUE(server.Start());
    auto started = std::chrono::steady_clock::now();
    pump.onPump = [this] {
        if (S().StatusText.rfind("Downloading", 0) == 0 && S().PageSource.size() >= 3 * 1024)
            browser.Stop();
    };
    Get(server.Url("/slow"));
    serverDone = true;
    pump.onPump = nullptr;
    EXPECT_FALSE(S().LastDownloadFailed);
    EXPECT_EQ(S().StatusText, "Ready");
    EXPECT_GE(S().PageSource.size(), 3u * 1024);
    EXPECT_LT(S().PageSource.size(), 1000u * 1024);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

TEST_F(DownloaderHttpTest, StopWhileTheServerIsSilentEndsTheWait) {
    RawServer server("", RawServer::Ending::Hold);
    const auto started = std::chrono::steady_clock::now();
    pump.onPump = [this, started] {
        if (std::chrono::steady_clock::now() - started > std::chrono::milliseconds(300))
            browser.Stop();
    };
    Get(server.Url("/"));
    pump.onPump = nullptr;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_FALSE(S().DownloadBusy);
    EXPECT_EQ(S().RequestReport,
              "URL: " + server.Url("/") + "<br>Stopped before the server answered<br>");
    EXPECT_EQ(S().StatusText, "Ready");
}

TEST_F(DownloaderHttpTest, NothingReceivedForTheIdleTimeFailsTheRequest) {
    qm::testing::HeldUntilTheEnd hold;
    TestServer server;
    server->Get("/silent", [&hold](const httplib::Request&, httplib::Response& r) {
        hold.Wait();
        r.set_content("late", "text/plain");
    });
    server->Get("/stalls", [&hold](const httplib::Request&, httplib::Response& r) {
        r.set_content_provider(100000, "text/html",
                               [&hold](size_t offset, size_t, httplib::DataSink& sink) {
                                   if (offset >= 3000) {
                                       hold.Wait();
                                       return false;
                                   }
                                   return sink.write(std::string(1000, 's').data(), 1000);
                               });
    });
    // Slower as a whole than the idle time, but never silent for that long.
    server->Get("/trickles", [](const httplib::Request&, httplib::Response& r) {
        r.set_chunked_content_provider("text/html", [](size_t offset, httplib::DataSink& sink) {
            if (offset >= 8) {
                sink.done();
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            return sink.write("t", 1);
        });
    });
    ASSERT_TRUE(server.Start());
    qm::testing::HeldUntilTheEnd::Release release{hold};

    struct Case {
        std::string path, report, page;
    };
    const Case cases[] = {
        {"/silent", "Code 0<br>No data received for 1 s, the request was stopped<br><br>", ""},
        {"/stalls",
         "Code 200<br>Content: text/html<br>No data received for 1 s, the request was "
         "stopped<br><br>",
         ""},
        {"/trickles", "Code 200<br>Content: text/html<br>", "tttttttt"},
    };
    D().Options().idleTimeoutSeconds = 1;
    for (const Case& c : cases) {
        Get(server.Url(c.path));
        EXPECT_TRUE(ReportHas(c.report)) << c.path << "\n" << S().RequestReport;
        EXPECT_EQ(S().LastDownloadFailed, c.page.empty()) << c.path;
        EXPECT_EQ(S().PageSource, c.page) << c.path;
    }
}

TEST_F(DownloaderHttpTest, BodyIsCutAtTheSizeLimitWithAReportLine) {
    TestServer server;
    server->Get("/endless", [](const httplib::Request&, httplib::Response& r) {
        r.set_chunked_content_provider("text/html", [](size_t, httplib::DataSink& sink) {
            return sink.write(std::string(1000, 'e').data(), 1000);
        });
    });
    server->Get(R"(/bytes/(\d+))", [](const httplib::Request& q, httplib::Response& r) {
        r.set_content(std::string(std::stoul(q.matches[1].str()), 'b'), "text/html");
    });
    ASSERT_TRUE(server.Start());

    struct Case {
        std::string path;
        size_t size;
        bool cut;
    };
    const Case cases[] = {
        {"/endless", 4096, true},
        {"/bytes/4097", 4096, true},
        {"/bytes/4096", 4096, false},
        {"/bytes/4095", 4095, false},
    };
    D().Options().maxBodyBytes = 4096;
    for (const Case& c : cases) {
        Get(server.Url(c.path));
        EXPECT_EQ(S().PageSource.size(), c.size) << c.path;
        EXPECT_FALSE(S().LastDownloadFailed) << c.path;
        EXPECT_EQ(ReportHas("<br>Size limit reached, the rest was not read: 4 096 bytes<br>"),
                  c.cut)
            << c.path << "\n"
            << S().RequestReport;
    }
}

TEST_F(DownloaderHttpTest, BodyShorterThanItsLengthFailsAndSparesTheFile) {
    TestServer server;
    server->Get("/short", [](const httplib::Request&, httplib::Response& r) {
        r.set_content_provider(10000, "application/octet-stream",
                               [](size_t offset, size_t, httplib::DataSink& sink) {
                                   if (offset >= 3000) return false; // drops the connection
                                   std::string piece(1000, 'x');
                                   sink.write(piece.data(), piece.size());
                                   return true;
                               });
    });
    server->Get("/whole", [](const httplib::Request&, httplib::Response& r) {
        r.set_content("whole file", "application/octet-stream");
    });
    ASSERT_TRUE(server.Start());

    Get(server.Url("/short"));
    EXPECT_TRUE(S().LastDownloadFailed);
    EXPECT_TRUE(ReportHas("7000 bytes remaining")) << S().RequestReport;

    std::string target = (folder_ / "file.bin").string();
    ASSERT_TRUE(WriteFileAtomically(target, "older"));
    D().StartDownload(server.Url("/short"), DownloadMode::FileDownload, false, {}, target);
    EXPECT_TRUE(S().LastDownloadFailed);
    EXPECT_EQ(GetFileToString(target), "older");
    EXPECT_TRUE(ReportHas("remaining")) << S().RequestReport;

    D().StartDownload(server.Url("/whole"), DownloadMode::FileDownload, false, {}, target);
    EXPECT_FALSE(S().LastDownloadFailed);
    EXPECT_EQ(GetFileToString(target), "whole file");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

// Each broken answer is a failure with one line that names it, in the page's report and in a
// file download, which then leaves the older file as it was and no other behind.
TEST_F(DownloaderHttpTest, BrokenAnswersFailWithALineAndLoseNothing) {
    using Ending = RawServer::Ending;
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
    struct Case {
        std::string name, answer;
        Ending ending;
        std::string line; // the report's line after the code
    };
    const Case cases[] = {
        {"reset in the header", "HTTP/1.1 200 OK\r\nContent-Ty", Ending::Reset,
         "Code 0<br>Receiving the answer failed: Recv failure: Connection reset by peer<br>"},
        {"reset in the body", head + "Content-Length: 10000\r\n\r\n" + std::string(3000, 'x'),
         Ending::Reset, "<br>Receiving the answer failed: Recv failure: Connection reset by peer"},
        {"body shorter than its length",
         head + "Content-Length: 10000\r\n\r\n" + std::string(3000, 'x'), Ending::Close,
         "<br>The answer ended before its announced end: transfer closed with 7000 bytes "
         "remaining to read<br>"},
        {"chunks cut off", head + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n10\r\nabc",
         Ending::Close,
         "<br>The answer ended before its announced end: transfer closed with outstanding read "
         "data remaining<br>"},
        {"chunk size not hexadecimal",
         head + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\nzz\r\nabc\r\n0\r\n\r\n",
         Ending::Close,
         "<br>Receiving the answer failed: Illegal or missing hexadecimal sequence in "
         "chunked-encoding<br>"},
        {"no HTTP at all", std::string("\x01garbage\r\n\r\n"), Ending::Close,
         "Code 0<br>The server's answer cannot be read: "},
    };
    const std::string target = (folder_ / "file.bin").string();
    for (const Case& c : cases) {
        {
            RawServer server(c.answer, c.ending);
            Get(server.Url("/"));
        }
        EXPECT_TRUE(S().LastDownloadFailed) << c.name;
        EXPECT_EQ(S().StatusText, "Download error") << c.name;
        EXPECT_TRUE(ReportHas(c.line)) << c.name << "\n" << S().RequestReport;
        EXPECT_TRUE(ReportHas("<br><br>Download error")) << c.name;

        ASSERT_TRUE(WriteFileAtomically(target, "older"));
        {
            RawServer server(c.answer, c.ending);
            D().StartDownload(server.Url("/"), DownloadMode::FileDownload, false, {}, target);
        }
        EXPECT_TRUE(S().LastDownloadFailed) << c.name;
        EXPECT_EQ(GetFileToString(target), "older") << c.name;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1)
            << c.name;
    }
}

// Oversized parts of an answer are read or refused, never a hang or a crash.
TEST_F(DownloaderHttpTest, HugeHeadersAndLocations) {
    std::string padding;
    for (int i = 0; i < 100; ++i)
        padding += "X-Pad-" + std::to_string(i) + ": " + std::string(1000, 'p') + "\r\n";
    {
        RawServer server("HTTP/1.1 200 OK\r\n" + padding + "Content-Length: 2\r\n\r\nok");
        Get(server.Url("/"));
    }
    EXPECT_FALSE(S().LastDownloadFailed) << S().RequestReport;
    EXPECT_EQ(S().PageSource, "ok");
    {
        RawServer server("HTTP/1.1 200 OK\r\nX-Big: " + std::string(100 * 1024, 'p') +
                         "\r\nContent-Length: 2\r\n\r\nok");
        Get(server.Url("/"));
    }
    EXPECT_TRUE(S().LastDownloadFailed);
    EXPECT_TRUE(ReportHas("Code 0<br>The server's answer cannot be read: A line of the answer's "
                          "header is too long<br>"))
        << S().RequestReport;

    RawServer target(kOk);
    const std::string far = target.Url("/" + std::string(64 * 1024, 'a'));
    {
        RawServer server("HTTP/1.1 302 Found\r\nLocation: " + far +
                         "\r\nContent-Length: 0\r\n\r\n");
        Get(server.Url("/"));
    }
    EXPECT_FALSE(S().LastDownloadFailed) << S().RequestReport.substr(0, 300);
    EXPECT_TRUE(ReportHas("<br>Relocating to " + far + "<br>Code 200<br>"));
    EXPECT_EQ(S().PageSource, "ok");
    EXPECT_EQ(target.Received().rfind("GET /" + std::string(64 * 1024, 'a') + " HTTP/1.1\r\n", 0),
              0u);
}

TEST_F(DownloaderHttpTest, HttpsChecksTheCertificate) {
    std::string cert = (kCertFolder / "test_server.pem").string();
    std::string key = (kCertFolder / "test_server.key").string();
    ASSERT_TRUE(FileExists(cert)) << cert;
    TestServer server(std::make_unique<httplib::SSLServer>(cert.c_str(), key.c_str()));
    server->Get("/secure", [](const httplib::Request&, httplib::Response& r) {
        r.set_content("secret page", "text/html");
    });
    ASSERT_TRUE(server.Start());

    Get(server.Url("/secure", "HTTPS"));
    EXPECT_TRUE(S().LastDownloadFailed);
    // The program's words, then libcurl's reason.
    EXPECT_TRUE(ReportHas("Code 0<br>The server's certificate was refused: SSL certificate "
                          "problem: "))
        << S().RequestReport;
    EXPECT_EQ(S().PageSource, "");

    CurlTransportOptions trusting;
    trusting.extraCaFile = (kCertFolder / "test_ca.pem").string();
    MakeDownloader(trusting);
    Get(server.Url("/secure", "https"));
    EXPECT_FALSE(S().LastDownloadFailed) << S().RequestReport;
    EXPECT_EQ(S().PageSource, "secret page");
}

TEST(CurlTransport, FailuresBecomeTheirOwnErrorValues) {
    std::string cert = (kCertFolder / "test_server.pem").string();
    std::string key = (kCertFolder / "test_server.key").string();
    TestServer secure(std::make_unique<httplib::SSLServer>(cert.c_str(), key.c_str()));
    ASSERT_TRUE(secure.Start());
    int closedPort = 0;
    {
        TestServer probe;
        ASSERT_TRUE(probe.Start());
        closedPort = probe.Port();
    }
    struct Case {
        std::string host;
        int port;
        bool secure;
        TransportError expected;
    };
    const Case cases[] = {
        {"user@127.0.0.1", 80, false, TransportError::BadAddress},
        {"a b", 80, false, TransportError::BadAddress},
        {"127.0.0.1", 0, false, TransportError::BadAddress},
        {"no-such-host.invalid", 80, false, TransportError::NameNotResolved},
        {"127.0.0.1", closedPort, false, TransportError::ConnectFailed},
        {"127.0.0.1", secure.Port(), true, TransportError::CertificateRejected},
    };
    Pump pump;
    CurlTransport transport(pump);
    for (const Case& c : cases) {
        HttpRequest request;
        request.host = c.host;
        request.port = c.port;
        request.secure = c.secure;
        EXPECT_FALSE(transport.Open(request)) << c.host;
        EXPECT_EQ(transport.Error(), c.expected) << c.host << ":" << c.port;
        EXPECT_FALSE(transport.ErrorText().empty()) << c.host;
        transport.Close();
    }
    // An abort flag that is already set ends the wait at once.
    bool abort = true;
    HttpRequest request;
    request.host = "127.0.0.1";
    request.port = secure.Port();
    request.abortFlag = &abort;
    EXPECT_FALSE(transport.Open(request));
    EXPECT_EQ(transport.Error(), TransportError::Aborted);
}

} // namespace
} // namespace qm

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
