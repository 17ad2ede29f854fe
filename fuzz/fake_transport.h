#pragma once
// A transport that answers every request at once from memory: "/missing" is 404, "/moved"
// redirects to "/", anything else is the given page.

#include <algorithm>
#include <string>

#include "base/interfaces.h"

namespace qm::fuzz {

class FakeTransport : public HttpTransport {
  public:
    std::string page;

    bool Open(const HttpRequest& request) override {
        const std::string& path = request.objectName;
        status_ = path == "/missing" ? 404 : path == "/moved" ? 302 : 200;
        body_ = status_ == 200 ? page : std::string();
        read_ = 0;
        return true;
    }
    int StatusCode() const override { return status_; }
    std::string Header(const std::string& name) const override {
        if (name == "Location" && status_ == 302) return "/";
        if (name == "Content-Type") return "text/html";
        if (name == "Content-Length") return std::to_string(body_.size());
        return {};
    }
    std::string RawHeaders() const override {
        return "HTTP/1.1 " + std::to_string(status_) + "\r\n";
    }
    long long Read(char* buffer, size_t size) override {
        const size_t take = std::min(size, body_.size() - read_);
        body_.copy(buffer, take, read_);
        read_ += take;
        return static_cast<long long>(take);
    }
    TransportError Error() const override { return TransportError::None; }
    std::string ErrorText() const override { return {}; }
    void Abort() override {}
    void Close() override {}

  private:
    int status_ = 0;
    std::string body_;
    size_t read_ = 0;
};

} // namespace qm::fuzz
