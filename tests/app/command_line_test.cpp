// The quillmar command as a whole process, the way a terminal user runs it: a start that loads
// no Qt, the hand-over to the windows, servers on 127.0.0.1 that stall or send for ever, and
// Ctrl+C or SIGTERM in the middle of a download.

#include <httplib.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "base/version.h"
#include "support/local_server.h"
#include "support/program_process.h"

namespace {

using qm::testing::Finished;
using qm::testing::Process;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(CommandLine, DumpOfAFileLoadsNeitherQtNorLibcurl) {
    const std::string page = ::testing::TempDir() + "command_line_page.html";
    std::ofstream(page) << "<p>here</p>";
    Finished run = Process({"--dump", page}, {"LD_DEBUG=libs"}).Wait();
    std::remove(page.c_str());
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(Has(run.out, "here")) << run.out;
    ASSERT_TRUE(Has(run.err, "libstdc++")) << "the loader listed no libraries:\n" << run.err;
    EXPECT_FALSE(Has(run.err, "libQt")) << run.err;
    EXPECT_FALSE(Has(run.err, "libcurl")) << run.err;
}

TEST(CommandLine, WithoutDumpTheCommandBecomesTheWindowProgram) {
    Process program({"about:blank"}, {"QT_QPA_PLATFORM=offscreen"});
    const std::string proc = "/proc/" + std::to_string(program.Pid());
    std::string exe;
    for (int i = 0; i < 1000 && !exe.ends_with("/quillmar-window"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::error_code ec;
        exe = std::filesystem::read_symlink(proc + "/exe", ec).string();
    }
    EXPECT_TRUE(exe.ends_with("/quillmar-window")) << exe;
    // The same arguments, the name it was started by included.
    EXPECT_EQ(qm::GetFileToString(proc + "/cmdline"),
              std::string(QUILLMAR_PROGRAM) + '\0' + "about:blank" + '\0');
}

TEST(CommandLine, HelpVersionAndUnknownOptionsInEveryPlaceAndMode) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out; // the start of stdout
        std::string err; // all of stderr
    };
    const std::string usage = "Usage: quillmar ";
    const std::string version = "quillmar " + qm::GetMyVersion() + "\n";
    const std::string hint = "; quillmar --help lists the options\n";
    const Case cases[] = {
        {{"--version"}, 0, version, ""},
        {{"-h"}, 0, usage, ""},
        {{"about:blank", "-V"}, 0, version, ""},
        {{"--dump", "--columns", "40", "--help", "x.html"}, 0, usage, ""},
        {{"--run", "x.qmp", "--print", "page", "--version"}, 0, version, ""},
        {{"my", "page.html", "--foo"}, 2, "", "quillmar: unknown option --foo" + hint},
        {{"page.html", "--utf8"},
         2,
         "",
         "quillmar: --utf8 belongs to a mode, which comes first" + hint},
        {{"--dump", "--foo", "x.html"}, 2, "", "quillmar --dump: unknown option --foo" + hint},
        {{"--image", "--foo", "x.html"}, 2, "", "quillmar --image: unknown option --foo" + hint},
        {{"--run", "--foo", "x.qmp"}, 2, "", "quillmar --run: unknown option --foo" + hint},
    };
    for (const Case& c : cases) {
        // No screen: a window would fail, so any of these that tried to open one fails too.
        Finished run = Process(c.args, {"DISPLAY=", "QT_QPA_PLATFORM=", "WAYLAND_DISPLAY="}).Wait();
        const std::string what = ::testing::PrintToString(c.args);
        EXPECT_EQ(run.status, c.status) << what << "\n" << run.err;
        EXPECT_TRUE(run.out.starts_with(c.out)) << what << "\n" << run.out;
        EXPECT_EQ(run.err, c.err) << what;
    }
}

// /silent accepts and never answers; /endless sends for ever and counts what it sent.
class CommandLineServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        server_->Get("/silent", [this](const httplib::Request&, httplib::Response& r) {
            hold_.Wait();
            r.set_content("late", "text/plain");
        });
        server_->Get("/endless", [this](const httplib::Request&, httplib::Response& r) {
            r.set_chunked_content_provider("text/html", [this](size_t, httplib::DataSink& sink) {
                const std::string piece(1000, 'e');
                if (!sink.write(piece.data(), piece.size())) return false;
                sent_ += piece.size();
                return true;
            });
        });
        ASSERT_TRUE(server_.Start());
    }
    std::string Url(const std::string& path) const { return server_.Url(path); }

    qm::testing::HeldUntilTheEnd hold_;
    qm::testing::LocalServer server_;
    qm::testing::HeldUntilTheEnd::Release release_{hold_};
    std::atomic<size_t> sent_{0};
};

TEST_F(CommandLineServerTest, SizeLimitCutsAnEndlessPageWithAReportLine) {
    Finished run = Process({"--dump", "--max-size", "1", Url("/endless")}).Wait();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "Size limit reached, the rest was not read: 1 048 576 bytes"))
        << run.out.substr(0, 2000);
}

TEST_F(CommandLineServerTest, ServerThatNeverAnswersFailsAfterTheTimeout) {
    const auto started = std::chrono::steady_clock::now();
    Finished run = Process({"--dump", "--timeout", "1", Url("/silent")}).Wait();
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(Has(run.out, "Code 0\nNo data received for 1 s, the request was stopped\n"))
        << run.out;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

TEST_F(CommandLineServerTest, StopSignalPrintsWhatArrivedAndGivesStatusOne) {
    struct Case {
        int signal;
        std::string path;
        std::string arrived; // in the output besides the report
    };
    const Case cases[] = {
        {SIGINT, "/endless", "Code 200"},
        {SIGTERM, "/endless", "eeeeeeeeeeeeeeeeeeeeeeee"},
        {SIGINT, "/silent", "URL: " + Url("/silent")},
    };
    for (const Case& c : cases) {
        sent_ = 0;
        Process program({"--dump", Url(c.path)});
        // The page has begun to arrive, or the program waits for the answer.
        for (int i = 0; i < 3000 && (c.path == "/silent" ? i < 50 : sent_ < 64 * 1024); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        // What the server sent may still wait in the socket buffers of a slow (sanitized or
        // busy) program that has not read the answer's header yet.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        program.Signal(c.signal);
        Finished run = program.Wait();
        EXPECT_EQ(run.status, 1) << c.path << "\n" << run.err;
        EXPECT_TRUE(Has(run.out, "Stopped by a signal before the end")) << c.path << "\n"
                                                                        << run.out.substr(0, 2000);
        EXPECT_TRUE(Has(run.out, c.arrived)) << c.path << "\n" << run.out.substr(0, 2000);
    }
}

} // namespace
