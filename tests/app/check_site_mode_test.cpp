// quillmar --check-links --recursive as a whole process against a small site on 127.0.0.1:
// what is crawled and what only tested, robots.txt and nofollow, the limits, redirect loops,
// Retry-After, the JSON form, and a crawl that is stopped and goes on from its state file.

#include <httplib.h>

#include <atomic>
#include <csignal>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "support/local_server.h"
#include "support/program_process.h"

namespace {

using qm::testing::Finished;
using qm::testing::Process;

std::string Links(std::initializer_list<std::string> addresses) {
    std::string page = "<html><body>\n";
    for (const std::string& address : addresses)
        page += "<a href=\"" + address + "\">x</a>\n";
    return page + "</body></html>\n";
}

// The fields of each of the report's lines for an address (resolved, the 6th field).
std::vector<std::vector<std::string>> LinesOf(const std::string& report,
                                              const std::string& address) {
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(report);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');)
            fields.push_back(field);
        if (fields.size() > 5 && fields[5] == address) lines.push_back(fields);
    }
    return lines;
}

std::vector<std::string> LineOf(const std::string& report, const std::string& address) {
    auto lines = LinesOf(report, address);
    return lines.empty() ? std::vector<std::string>() : lines.front();
}

class CheckSite : public ::testing::Test {
  protected:
    void SetUp() override {
        other_->Get("/", [](const httplib::Request&, httplib::Response& r) {
            r.set_content(Links({"/never-read.html"}), "text/html");
        });
        ASSERT_TRUE(other_.Start());
        pages_ = {
            {"/", Links({"/a.html", "/b/c.html", "/private/x.html", "mailto:me@example.org",
                         "/loop1", "/nofollow.html", "/busy", "/cal/1",
                         "/held.html", other_.Url("/")}) +
                        "<img src=\"/img.png\">"},
            {"/a.html", Links({"/a2.html", "/missing.html", "/"})},
            {"/a2.html", Links({"/a3.html"})},
            {"/a3.html", Links({})},
            {"/b/c.html", Links({"/b/d.html", "/a.html"})},
            {"/b/d.html", Links({})},
            {"/private/x.html", Links({})},
            {"/nofollow.html", "<meta name=\"robots\" content=\"noindex, nofollow\">" +
                                   Links({"/hidden.html"})},
            {"/held.html", Links({})},
        };
        server_->Get(".*", [this](const httplib::Request& q, httplib::Response& r) {
            if (q.path == "/held.html") hold_.Wait();
            if (auto page = pages_.find(q.path); page != pages_.end())
                return r.set_content(page->second, "text/html");
            if (q.path == "/robots.txt")
                return r.set_content("User-agent: *\nDisallow: /private/\n", "text/plain");
            if (q.path == "/img.png") return r.set_content("\x89PNG", "image/png");
            if (q.path == "/loop1" || q.path == "/loop2")
                return r.set_redirect(q.path == "/loop1" ? "/loop2" : "/loop1");
            if (q.path == "/busy" && busy_++ == 0) {
                r.status = 429;
                r.set_header("Retry-After", "1");
                return;
            }
            if (q.path == "/busy") return r.set_content("ok", "text/plain");
            if (q.path == "/moved") return r.set_redirect(localhost_ + "/");
            if (q.path.starts_with("/cal/")) // a calendar without end
                return r.set_content(Links({"/cal/" + std::to_string(std::stoi(q.path.substr(5)) + 1)}),
                                     "text/html");
            r.status = 404;
        });
        ASSERT_TRUE(server_.Start());
        localhost_ = "http://localhost:" + server_.Url("").substr(server_.Url("").rfind(':') + 1);
    }
    Process Start(std::vector<std::string> args, const std::string& start = "/") {
        args.insert(args.begin(), {"--check-links", "--recursive"});
        args.push_back(server_.Url(start));
        return Process(args);
    }
    Finished Check(std::vector<std::string> args, const std::string& start = "/") {
        hold_.released = true;
        return Start(std::move(args), start).Wait();
    }
    std::string Url(const std::string& path) { return server_.Url(path); }

    qm::testing::HeldUntilTheEnd hold_;
    qm::testing::LocalServer server_;
    qm::testing::LocalServer other_;
    qm::testing::HeldUntilTheEnd::Release release_{hold_};
    std::map<std::string, std::string> pages_;
    std::atomic<int> busy_{0};
    std::string localhost_; // the same server by another name
};

TEST_F(CheckSite, CrawlsTheHostTestsEveryAddressOnceAndSaysWhereItWasFound) {
    const Finished run = Check({"--max-pages", "20"});
    EXPECT_EQ(run.status, 1) << run.err;
    const std::string& out = run.out;
    // Found on a page two steps away, with the page and the number of pages that hold it.
    const auto missing = LineOf(out, Url("/missing.html"));
    ASSERT_EQ(missing.size(), 9u) << out;
    EXPECT_EQ(missing[0], Url("/a.html"));
    EXPECT_EQ(missing[6], "404");
    EXPECT_EQ(LineOf(out, Url("/a.html"))[1], "2"); // the start page and /b/c.html
    EXPECT_EQ(LineOf(out, Url("/b/d.html"))[6], "200");
    EXPECT_EQ(LineOf(out, Url("/private/x.html"))[6], "not fetched: robots.txt");
    EXPECT_EQ(LineOf(out, "mailto:me@example.org")[6], "not fetched: mailto");
    EXPECT_NE(LineOf(out, Url("/loop1"))[6].find("redirect"), std::string::npos) << out;
    EXPECT_EQ(LineOf(out, Url("/busy"))[6], "200"); // retried after its Retry-After
    EXPECT_EQ(LineOf(out, Url("/img.png"))[3], "Media");
    // Another host is tested, not read; a nofollow page's links are not followed.
    EXPECT_EQ(LineOf(out, other_.Url("/"))[6], "200");
    EXPECT_EQ(out.find("never-read"), std::string::npos);
    EXPECT_EQ(out.find("hidden.html"), std::string::npos);
    // Every address once.
    EXPECT_EQ(LinesOf(out, Url("/a.html")).size(), 1u);
    EXPECT_NE(run.err.find("broken"), std::string::npos);
    EXPECT_NE(run.err.find("the page limit of 20 was reached"), std::string::npos) << run.err;
}

TEST_F(CheckSite, ScopeDepthRobotsAndLimitsDecideWhatIsRead) {
    struct Case {
        std::vector<std::string> args;
        std::string start;
        std::vector<std::string> tested, absent;
    };
    const std::vector<Case> cases = {
        {{"--depth", "1"}, "/", {"/a2.html", "/missing.html"}, {"/a3.html", "/cal/3"}},
        {{"--depth", "0"}, "/", {"/a.html", "/cal/1"}, {"/a2.html", "/b/d.html"}},
        {{"--scope", "prefix"}, "/b/c.html", {"/b/d.html", "/a.html"}, {"/a2.html"}},
        {{"--scope", "PLACEHOLDER"}, "/", {"/b/c.html", "/b/d.html"}, {"/a2.html"}},
        {{"--ignore-robots", "--depth", "1"}, "/", {"/private/x.html"}, {}},
        {{"--max-pages", "2"}, "/", {"/a.html"}, {"/a3.html"}},
    };
    for (Case c : cases) {
        for (std::string& arg : c.args)
            if (arg == "PLACEHOLDER") arg = Url("/b/");
        const Finished run = Check(c.args, c.start);
        const std::string label = c.args.front() + " " + c.args.back();
        for (const std::string& path : c.tested)
            EXPECT_EQ(LineOf(run.out, Url(path)).size() >= 9, true) << label << ": " << path;
        for (const std::string& path : c.absent)
            EXPECT_TRUE(LineOf(run.out, Url(path)).empty()) << label << ": " << path;
    }
    const Finished run = Check({"--ignore-robots", "--depth", "1"});
    EXPECT_EQ(LineOf(run.out, Url("/private/x.html"))[6], "200");
    // A start page that moves to another host takes the scope with it.
    const Finished moved = Check({"--depth", "1"}, "/moved");
    EXPECT_EQ(LineOf(moved.out, localhost_ + "/missing.html")[6], "404") << moved.out;
}

TEST_F(CheckSite, JsonNamesTheFieldsOfEachLine) {
    const Finished run = Check({"--format", "json", "--depth", "0"});
    std::istringstream in(run.out);
    int lines = 0;
    for (std::string line; std::getline(in, line); ++lines) {
        EXPECT_TRUE(line.starts_with("{\"found_on\":")) << line;
        for (const char* name : {"\"pages\":", "\"line\":", "\"kind\":", "\"written\":",
                                 "\"address\":", "\"result\":", "\"status\":", "\"broken\":",
                                 "\"type\":", "\"size\":", "\"final\":"})
            EXPECT_NE(line.find(name), std::string::npos) << name << " in " << line;
    }
    EXPECT_GT(lines, 10);
}

TEST_F(CheckSite, AStoppedCrawlGoesOnFromItsStateFile) {
    const std::string state = ::testing::TempDir() + "quillmar_crawl_state.db";
    std::remove(state.c_str());
    Process first = Start({"--state", state, "--max-pages", "10"});
    // The held page keeps the first run busy until the signal comes.
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    first.Signal(SIGTERM);
    const Finished stopped = first.Wait();
    EXPECT_EQ(stopped.status, 1);
    EXPECT_NE(stopped.err.find("Stopped by a signal"), std::string::npos) << stopped.err;
    EXPECT_TRUE(LineOf(stopped.out, Url("/held.html")).empty());

    const Finished resumed = Check({"--state", state, "--max-pages", "10"});
    EXPECT_EQ(LineOf(resumed.out, Url("/held.html"))[6], "200") << resumed.out;
    EXPECT_EQ(LineOf(resumed.out, Url("/missing.html"))[6], "404");
    // Another start address is refused, as is a file that is not a crawl state.
    const Finished other = Check({"--state", state}, "/a.html");
    EXPECT_EQ(other.status, 2);
    EXPECT_NE(other.err.find("holds the crawl from"), std::string::npos) << other.err;
    const std::string notOurs = ::testing::TempDir() + "quillmar_not_a_state.txt";
    { std::ofstream(notOurs) << "just text\n"; }
    const Finished refused = Check({"--state", notOurs});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("not a crawl state"), std::string::npos) << refused.err;
    std::remove(state.c_str());
    std::remove(notOurs.c_str());
}

TEST_F(CheckSite, OptionsOfTheCrawlNeedRecursiveAndGoodValues) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--check-links", "--depth", "2", Url("/")},
          {"--check-links", "--recursive", "--scope", "ftp://x", Url("/")},
          {"--check-links", "--recursive", "--per-host", "0", Url("/")},
          {"--check-links", "--recursive", "--format", "xml", Url("/")},
          {"--dump", "--recursive", Url("/")}}) {
        const Finished run = Process(args).Wait();
        EXPECT_EQ(run.status, 2) << args[1] << " " << args[2];
        EXPECT_FALSE(run.err.empty());
    }
}

} // namespace
