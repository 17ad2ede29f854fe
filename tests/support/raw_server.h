#pragma once
// A server on a free port of 127.0.0.1 that speaks raw bytes: it accepts one connection, keeps
// the request as it went over the wire and answers with a fixed text, then closes, resets or
// holds the connection. It can send what no HTTP library sends on purpose: cut-off bodies,
// broken chunks, resets, silence.

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace qm::testing {

class RawServer {
  public:
    enum class Ending { Close, Reset, Hold };

    explicit RawServer(std::string answer, Ending ending = Ending::Close)
        : answer_(std::move(answer)), ending_(ending) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(fd_, 1);
        socklen_t size = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~RawServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        ::close(fd_);
    }
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    int Port() const { return port_; }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    std::string Received() {
        if (thread_.joinable()) thread_.join();
        return received_;
    }

  private:
    void Serve() {
        pollfd waiting{fd_, POLLIN, 0};
        if (::poll(&waiting, 1, 10000) != 1) return;
        int client = ::accept(fd_, nullptr, nullptr);
        if (client < 0) return;
        ReadRequest(client);
        ::send(client, answer_.data(), answer_.size(), MSG_NOSIGNAL);
        if (ending_ == Ending::Hold) {
            while (!stop_)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        } else if (ending_ == Ending::Reset) {
            // Give the client the bytes first; a reset may drop what is still unread.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            linger hard{1, 0};
            ::setsockopt(client, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        }
        ::close(client);
    }

    // Up to the end of the header and the body its Content-Length announces.
    void ReadRequest(int client) {
        size_t wanted = std::string::npos;
        char buffer[4096];
        while (received_.size() < wanted) {
            pollfd readable{client, POLLIN, 0};
            if (::poll(&readable, 1, 10000) != 1) break;
            ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
            if (got <= 0) break;
            received_.append(buffer, static_cast<size_t>(got));
            size_t end = received_.find("\r\n\r\n");
            if (end == std::string::npos) continue;
            size_t length = 0;
            size_t field = received_.find("Content-Length: ");
            if (field != std::string::npos && field < end)
                length = std::stoul(received_.substr(field + 16));
            wanted = end + 4 + length;
        }
    }

    std::string answer_;
    Ending ending_;
    std::atomic<bool> stop_{false};
    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::string received_;
};

} // namespace qm::testing
