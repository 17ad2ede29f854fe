// quillmar --check-links as a whole process against a server on 127.0.0.1: one line per
// address, the verdicts, the exit status and requests side by side.

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "support/local_server.h"
#include "support/program_process.h"

namespace {

using qm::testing::Finished;
using qm::testing::Process;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A port on which nothing listens: one the system gave a socket that is closed again.
int ClosedPort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(probe);
    return ntohs(address.sin_port);
}

class CheckLinks : public ::testing::Test {
  protected:
    void SetUp() override {
        // More worker threads than the program may use, so that its own limit is what counts.
        server_->new_task_queue = [] { return new httplib::ThreadPool(24); };
        server_->Get("/page.html", [this](const httplib::Request&, httplib::Response& r) {
            r.set_content(page_, "text/html");
        });
        server_->Get("/good.html", [](const httplib::Request&, httplib::Response& r) {
            r.set_content("good", "text/html");
        });
        server_->Get("/old.html", [](const httplib::Request&, httplib::Response& r) {
            r.set_redirect("/good.html", 301);
        });
        server_->Get(R"(/slow/\d+)", [this](const httplib::Request&, httplib::Response& r) {
            const int now = ++running_;
            int most = most_;
            while (now > most && !most_.compare_exchange_weak(most, now)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            --running_;
            r.set_content("slow", "text/plain");
        });
        server_->Get("/held.html", [this](const httplib::Request&, httplib::Response& r) {
            hold_.Wait();
            r.set_content("late", "text/html");
        });
        ASSERT_TRUE(server_.Start());
    }
    Finished Check(const std::string& page, std::vector<std::string> args = {}) {
        page_ = page;
        args.insert(args.begin(), "--check-links");
        args.push_back(server_.Url("/page.html"));
        return Process(args).Wait();
    }

    qm::testing::HeldUntilTheEnd hold_;
    qm::testing::LocalServer server_;
    qm::testing::HeldUntilTheEnd::Release release_{hold_};
    std::string page_;
    std::atomic<int> running_{0};
    std::atomic<int> most_{0};
};

TEST_F(CheckLinks, OneLinePerAddressWithItsVerdictAndStatusOneWhenSomethingIsBroken) {
    const std::string refused = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/x.html";
    Finished run = Check("<html>\n<a href=\"good.html\">g</a>\n<img src=\"missing.png\">\n"
                         "<a href=old.html>o</a> <a href=\"" +
                         refused +
                         "\">r</a>\n"
                         "<img src=\"data:image/gif;base64,R0lGODdh\">\n"
                         "<a href=\"./good.html#top\">again</a>\n");
    EXPECT_EQ(run.status, 1) << run.err;
    const std::string base = server_.Url("/");
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 5u) << run.out;
    EXPECT_EQ(lines[0], "2\tLink\tgood.html\t" + base + "good.html\t200\ttext/html\t4");
    EXPECT_EQ(lines[1].substr(0, lines[1].rfind('\t')),
              "3\tMedia\tmissing.png\t" + base + "missing.png\t404\t-");
    EXPECT_EQ(lines[2],
              "4\tLink\told.html\t" + base + "old.html\t200\ttext/html\t4\t" + base + "good.html");
    EXPECT_EQ(lines[3].rfind("4\tLink\t" + refused + "\t" + refused + "\t", 0), 0u) << lines[3];
    EXPECT_NE(lines[3].find("onnect"), std::string::npos) << lines[3];
    EXPECT_EQ(lines[4], "5\tMedia\tdata:image/gif;base64,R0lGODdh\tdata:image/gif;base64,R0lGODdh"
                        "\tnot fetched: data\timage/gif\t6");
}

TEST_F(CheckLinks, ExitStatusZeroWhenNothingIsBrokenAndTwoForBadArguments) {
    EXPECT_EQ(Check("<a href=good.html>g</a><a href=old.html>o</a>").status, 0);
    EXPECT_EQ(Check("<p>no links</p>").status, 0);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--check-links"},
                                                 {"--check-links", "--columns", "5", "x.html"},
                                                 {"--check-links", "/no/such/page.html"}}) {
        Finished run = Process(args).Wait();
        EXPECT_EQ(run.status, 2) << args.back();
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
}

TEST_F(CheckLinks, APageThatCannotBeLoadedIsAFailure) {
    Finished run = Process({"--check-links", server_.Url("/nothing-here.html")}).Wait();
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_NE(run.err.find("404"), std::string::npos) << run.err;
}

TEST_F(CheckLinks, RequestsRunSideBySideButNeverMoreThanEight) {
    std::string page;
    for (int i = 0; i < 40; ++i)
        page += "<a href=\"slow/" + std::to_string(i) + "\">s</a>\n";
    Finished run = Check(page);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(run.out).size(), 40u);
    EXPECT_GT(most_.load(), 1);
    EXPECT_LE(most_.load(), 8);
}

TEST_F(CheckLinks, AStopSignalEndsTheWaitPrintsWhatIsDoneAndGivesStatusOne) {
    page_ = "<a href=good.html>g</a>\n<a href=held.html>h</a>\n";
    Process program({"--check-links", server_.Url("/page.html")});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    program.Signal(SIGINT);
    Finished run = program.Wait();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.rfind("1\tLink\tgood.html\t", 0), 0u) << run.out;
    EXPECT_EQ(Lines(run.out).size(), 1u) << run.out;
    EXPECT_NE(run.err.find("Stopped by a signal"), std::string::npos) << run.err;
}

} // namespace
