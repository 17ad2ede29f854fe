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
#include "support/local_server.h"

extern char** environ;

namespace {

struct Finished {
    int status = -1; // the exit status, or 128 + the signal that ended it
    std::string out, err;
};

// The program with its output in files, ended by force if a test leaves it running.
class Process {
  public:
    explicit Process(const std::vector<std::string>& args,
                     const std::vector<std::string>& environment = {}) {
        static int count = 0;
        std::string stem = ::testing::TempDir() + "quillmar_process_" + std::to_string(::getpid()) +
                           "_" + std::to_string(++count);
        outPath_ = stem + ".out";
        errPath_ = stem + ".err";
        std::vector<std::string> argStrings = {QUILLMAR_PROGRAM};
        argStrings.insert(argStrings.end(), args.begin(), args.end());
        // Nothing of the test may go through a proxy of the environment.
        std::vector<std::string> envStrings = {"no_proxy=127.0.0.1", "NO_PROXY=127.0.0.1"};
        envStrings.insert(envStrings.end(), environment.begin(), environment.end());
        for (char** e = environ; *e; ++e)
            envStrings.emplace_back(*e);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outPath_.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, errPath_.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        // The stop signals reach the program whatever the test runner ignores or blocks.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t signals;
        sigemptyset(&signals);
        posix_spawnattr_setsigmask(&attributes, &signals);
        sigaddset(&signals, SIGINT);
        sigaddset(&signals, SIGTERM);
        posix_spawnattr_setsigdefault(&attributes, &signals);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        std::vector<char*> argv = Pointers(argStrings);
        std::vector<char*> envp = Pointers(envStrings);
        if (::posix_spawn(&pid_, argv[0], &actions, &attributes, argv.data(), envp.data()) != 0)
            pid_ = -1;
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Process() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        std::remove(outPath_.c_str());
        std::remove(errPath_.c_str());
    }
    pid_t Pid() const { return pid_; }
    void Signal(int signal) { ::kill(pid_, signal); }
    // A program that has not ended after half a minute is killed; its status is then -1.
    Finished Wait() {
        Finished finished;
        int status = 0;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) return finished;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (pid_ > 0 && WIFEXITED(status)) finished.status = WEXITSTATUS(status);
        if (pid_ > 0 && WIFSIGNALED(status)) finished.status = 128 + WTERMSIG(status);
        pid_ = -1;
        finished.out = qm::GetFileToString(outPath_);
        finished.err = qm::GetFileToString(errPath_);
        return finished;
    }

  private:
    static std::vector<char*> Pointers(std::vector<std::string>& strings) {
        std::vector<char*> pointers;
        for (std::string& s : strings)
            pointers.push_back(s.data());
        pointers.push_back(nullptr);
        return pointers;
    }

    pid_t pid_ = -1;
    std::string outPath_, errPath_;
};

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
        program.Signal(c.signal);
        Finished run = program.Wait();
        EXPECT_EQ(run.status, 1) << c.path << "\n" << run.err;
        EXPECT_TRUE(Has(run.out, "Stopped by a signal before the end")) << c.path << "\n"
                                                                        << run.out.substr(0, 2000);
        EXPECT_TRUE(Has(run.out, c.arrived)) << c.path << "\n" << run.out.substr(0, 2000);
    }
}

} // namespace
