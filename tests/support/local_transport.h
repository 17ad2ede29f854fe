#pragma once
// The downloader's transport for tests of the logic, over cpp-httplib's client against a
// server on 127.0.0.1. Tests that include this get cpp-httplib linked (they include
// <httplib.h>).

#include <httplib.h>

#include <algorithm>
#include <string>

#include "base/interfaces.h"

namespace qm::testing {

// HttpTransport over cpp-httplib's client: the answer is fetched whole in Open and handed out
// in blocks; a transfer that broke off gives what came, then -1.
class LocalTransport : public HttpTransport {
  public:
    int opened = 0;
    size_t bodyRead = 0;

    bool Open(const HttpRequest& request) override {
        ++opened;
        status_ = 0;
        headers_.clear();
        body_.clear();
        bodyRead = 0;
        httplib::Client client(request.host, request.port);
        client.set_read_timeout(5, 0);
        httplib::Request out;
        out.method = request.method;
        out.path = request.objectName;
        for (size_t pos = 0; pos < request.headers.size();) {
            size_t end = request.headers.find("\r\n", pos);
            if (end == std::string::npos) end = request.headers.size();
            std::string line = request.headers.substr(pos, end - pos);
            if (size_t colon = line.find(": "); colon != std::string::npos)
                out.headers.emplace(line.substr(0, colon), line.substr(colon + 2));
            pos = end + 2;
        }
        bool answered = false;
        out.response_handler = [&](const httplib::Response& answer) {
            status_ = answer.status;
            headers_ = answer.headers;
            answered = true;
            return true;
        };
        out.content_receiver = [this](const char* data, size_t size, uint64_t, uint64_t) {
            body_.append(data, size);
            return true;
        };
        httplib::Response response;
        httplib::Error error = httplib::Error::Success;
        broken_ = !client.send(out, response, error);
        return answered;
    }
    int StatusCode() const override { return status_; }
    std::string Header(const std::string& name) const override {
        auto found = headers_.find(name);
        return found == headers_.end() ? std::string() : found->second;
    }
    std::string RawHeaders() const override { return {}; }
    long long Read(char* buffer, size_t size) override {
        size_t take = std::min(size, body_.size() - bodyRead);
        if (take == 0 && broken_) return -1;
        body_.copy(buffer, take, bodyRead);
        bodyRead += take;
        return static_cast<long long>(take);
    }
    TransportError Error() const override {
        return broken_ ? TransportError::ReceiveFailed : TransportError::None;
    }
    std::string ErrorText() const override { return broken_ ? "transfer broke off" : ""; }
    void Abort() override {}
    void Close() override {}

  private:
    int status_ = 0;
    httplib::Headers headers_;
    std::string body_;
    bool broken_ = false;
};

} // namespace qm::testing
