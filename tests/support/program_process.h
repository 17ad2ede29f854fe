#pragma once
// The quillmar program as a whole process, its output in files. A test that includes this is
// built after the program and gets its path as QUILLMAR_PROGRAM.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/file_io.h"

extern char** environ;

namespace qm::testing {

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
        std::vector<std::string> envStrings = {"no_proxy=127.0.0.1,localhost",
                                               "NO_PROXY=127.0.0.1,localhost"};
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

} // namespace qm::testing
