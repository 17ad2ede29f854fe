#pragma once
// An HTTP server on a free port of 127.0.0.1 in the test process, stopped when it goes out of
// scope. Tests that include this get cpp-httplib linked (they include <httplib.h>).

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace qm::testing {

class LocalServer {
public:
    LocalServer() { server_.set_keep_alive_timeout(1); }
    ~LocalServer() {
        server_.stop();
        if (thread_.joinable()) thread_.join();
    }
    httplib::Server* operator->() { return &server_; }
    bool Start() {
        port_ = server_.bind_to_any_port("127.0.0.1");
        if (port_ <= 0) return false;
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return true;
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
};

// Holds handlers of a server that stalls until the test lets them go. The Release object,
// declared after the server, lets them go before the server is stopped.
struct HeldUntilTheEnd {
    std::atomic<bool> released{false};
    void Wait() const {
        while (!released)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    struct Release {
        HeldUntilTheEnd& hold;
        ~Release() { hold.released = true; }
    };
};

} // namespace qm::testing
