// quillmar --run as a whole process against a server on 127.0.0.1: a program that opens a
// page, cuts its links out with the text tools and tests them; the exit statuses.

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "support/local_server.h"
#include "support/program_process.h"

namespace {

using qm::testing::Finished;
using qm::testing::Process;

class RunMode : public ::testing::Test {
  protected:
    void SetUp() override {
        server_->Get("/page.html", [](const httplib::Request&, httplib::Response& r) {
            r.set_content("<p><a href=\"/good.html\">good</a> <a href=\"/gone.html\">gone</a></p>",
                          "text/html");
        });
        server_->Get("/controls.html", [](const httplib::Request&, httplib::Response& r) {
            r.set_content("<p>a\x7F;</p>", "text/html");
        });
        server_->Get("/good.html", [](const httplib::Request&, httplib::Response& r) {
            r.set_content("good", "text/html");
        });
        server_->Get("/held.html", [this](const httplib::Request&, httplib::Response& r) {
            held_.Wait();
            r.set_content("late", "text/html");
        });
        server_->Get("/after.html", [this](const httplib::Request&, httplib::Response& r) {
            ++after_;
            r.set_content("after", "text/html");
        });
        ASSERT_TRUE(server_.Start());
    }
    void TearDown() override {
        for (const std::string& path : written_)
            std::remove(path.c_str());
    }

    std::string Program(const std::string& text) {
        const std::string path =
            ::testing::TempDir() + "run_mode_" + std::to_string(written_.size()) + ".qmp";
        EXPECT_TRUE(qm::WriteFileAtomically(path, text));
        written_.push_back(path);
        return path;
    }
    Finished Run(std::vector<std::string> args) {
        args.insert(args.begin(), "--run");
        return Process(args).Wait();
    }

    qm::testing::HeldUntilTheEnd held_;
    std::atomic<int> after_{0};
    qm::testing::LocalServer server_;
    qm::testing::HeldUntilTheEnd::Release release_{held_};
    std::vector<std::string> written_;
};

constexpr const char* kRipLinks = "GO\r\n"
                                  "GETSOURCE\r\n"
                                  "RETAFT 'href=\"'\r\n"
                                  "RETBEF '\">'\r\n"
                                  "DELEXCEPT .html\r\n"
                                  "TESTLINKS\r\n";

TEST_F(RunMode, CutsTheLinksOutOfAPageAndTestsThem) {
    const std::string program = Program(kRipLinks);
    const Finished info = Run({program, server_.Url("/page.html")});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out, "/good.html\n\n/gone.html\n\n");
    EXPECT_NE(info.err.find("1/6\n"), std::string::npos);
    EXPECT_EQ(info.err.substr(info.err.size() - 6), "Ready\n");

    const Finished page = Run({program, "--print", "page", server_.Url("/page.html")});
    EXPECT_EQ(page.status, 0) << page.err;
    EXPECT_NE(page.out.find("1. Code 200"), std::string::npos) << page.out;
    EXPECT_NE(page.out.find("2. Code 404"), std::string::npos) << page.out;
}

TEST_F(RunMode, PrintsThePageAsTheDumpDoesAndEndsTheLastLine) {
    const std::string url = server_.Url("/controls.html");
    const Finished info = Run({Program("GO\r\nGETSOURCE\r\n"), url});
    EXPECT_EQ(info.out, "<p>a\x7F;</p>\n");
    const Finished page = Run({Program("GO\r\n"), "--print", "page", url});
    const Finished dump = Process({"--dump", url}).Wait();
    EXPECT_NE(page.out.find("a⌂;\n"), std::string::npos) << page.out;
    EXPECT_EQ(page.out, dump.out);
}

TEST_F(RunMode, ExitStatuses) {
    const std::string url = server_.Url("/page.html");
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
        const char* lastErr;
    };
    const std::vector<Case> cases = {
        {"normal end", {Program("GO \"" + url + "\"\r\nX\r\nFOO\r\n")}, 0, "Ready\n"},
        {"NOSELX",
         {Program("GO\r\nGETSOURCE\r\nSFIRST <body\r\nNOSELX \"no body\"\r\n"), url},
         1,
         "no body\n"},
        {"unknown line", {Program("GO\r\n//\r\n"), url}, 1, "Error at string 2\n"},
        {"request not made", {Program("GO http://127.0.0.1:1/\r\n")}, 1, "Ready\n"},
        {"window-only lines do nothing", {Program("SETY 300\r\nCLOSE\r\n")}, 0, "Ready\n"},
        {"no program", {}, 2, "give the program file first\n"},
        {"missing program", {::testing::TempDir() + "no_such.qmp"}, 2, "no_such.qmp\n"},
        {"bad print", {Program("X"), "--print", "all"}, 2, "--print needs info or page\n"},
        {"missing local page", {Program("GO"), "/no/such/page.html"}, 2, "page.html\n"},
    };
    for (const Case& c : cases) {
        const Finished run = Run(c.args);
        EXPECT_EQ(run.status, c.status) << c.name << "\n" << run.err;
        const std::string last = c.lastErr;
        EXPECT_TRUE(run.err.size() >= last.size() &&
                    run.err.compare(run.err.size() - last.size(), last.size(), last) == 0)
            << c.name << ": " << run.err;
    }
}

TEST_F(RunMode, AStopSignalEndsTheRunAfterTheRequestAtHand) {
    const std::string program = Program("GO " + server_.Url("/held.html") + "\r\nGO " +
                                        server_.Url("/after.html") + "\r\n");
    Process run({"--run", program});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    run.Signal(SIGINT);
    const Finished finished = run.Wait();
    EXPECT_EQ(finished.status, 1);
    EXPECT_EQ(after_.load(), 0);
    EXPECT_NE(finished.err.find("Stopped by a signal"), std::string::npos) << finished.err;
}

} // namespace
