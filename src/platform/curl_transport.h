#pragma once
// HttpTransport over libcurl's multi interface. This pair of files is the only place that
// knows libcurl.

#include <memory>
#include <string>

#include "base/interfaces.h"

namespace qm {

struct CurlTransportOptions {
    // Cookies of requests with cookies on are kept here across requests and runs; empty keeps
    // them in memory only.
    std::string cookieFile;
    // A PEM file of certificates trusted in addition to the system's bundle.
    std::string extraCaFile;
    long connectTimeoutMs = 30000;
};

class CurlTransport : public HttpTransport {
  public:
    CurlTransport(EventPump& pump, CurlTransportOptions options = {});
    ~CurlTransport() override;
    CurlTransport(const CurlTransport&) = delete;
    CurlTransport& operator=(const CurlTransport&) = delete;

    bool Open(const HttpRequest& request) override;
    int StatusCode() const override;
    std::string Header(const std::string& name) const override;
    std::string RawHeaders() const override;
    long long Read(char* buffer, size_t size) override;
    TransportError Error() const override;
    std::string ErrorText() const override;
    void Abort() override;
    void Close() override;

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

} // namespace qm
