#pragma once
// A transport for the logic's tests and fuzz targets that needs no server.

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/interfaces.h"

namespace qm::testing {

struct Answer {
    int status = 200;
    std::map<std::string, std::string> headers;
    std::string body;
};

// Answers from a table keyed by "host objectName"; unknown addresses get 404. Nothing leaves
// the process.
class TableTransport : public HttpTransport {
  public:
    bool Open(const HttpRequest& request) override {
        requests.push_back(request);
        if (fail) throw std::runtime_error("transport failed");
        const auto found = answers.find(request.host + " " + request.objectName);
        current_ = found == answers.end() ? Answer{404, {}, "missing"} : found->second;
        read_ = 0;
        return true;
    }
    int StatusCode() const override { return current_.status; }
    std::string Header(const std::string& name) const override {
        const auto found = current_.headers.find(name);
        return found == current_.headers.end() ? std::string() : found->second;
    }
    std::string RawHeaders() const override { return {}; }
    long long Read(char* buffer, size_t size) override {
        const size_t n = std::min(size, current_.body.size() - read_);
        current_.body.copy(buffer, n, read_);
        read_ += n;
        return static_cast<long long>(n);
    }
    TransportError Error() const override { return TransportError::None; }
    std::string ErrorText() const override { return {}; }
    void Abort() override {}
    void Close() override {}

    std::map<std::string, Answer> answers;
    std::vector<HttpRequest> requests;
    bool fail = false;

  private:
    Answer current_;
    size_t read_ = 0;
};

} // namespace qm::testing
