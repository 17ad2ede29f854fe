#pragma once
// HttpTransport and HttpMultiTransport over libcurl's multi interface. Only the curl_* files
// of this folder know libcurl; this header keeps it out of its includers.

#include <memory>
#include <string>

#include "base/interfaces.h"

namespace qm {

namespace curl_detail {
class CookieJar;
}

struct CurlTransportOptions {
    // Cookies of requests with cookies on are kept here across requests and runs; empty keeps
    // them in memory only.
    std::string cookieFile;
    // A PEM file of certificates trusted in addition to the system's bundle.
    std::string extraCaFile;
    long connectTimeoutMs = 30000;
    // A cookie engine shared with other transports, so that the cookies a page sets go with
    // the requests for its files; when set, cookieFile is not used (the jar has its own file).
    std::shared_ptr<curl_detail::CookieJar> jar;
};

// A cookie engine for transports that share their cookies in memory only.
std::shared_ptr<curl_detail::CookieJar> NewMemoryCookieJar();

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

// Requests side by side, at most maxParallel at once, each on a connection of its own that
// later requests to the same server take over.
class CurlMultiTransport : public HttpMultiTransport {
  public:
    CurlMultiTransport(EventPump& pump, int maxParallel, CurlTransportOptions options = {});
    ~CurlMultiTransport() override;
    CurlMultiTransport(const CurlMultiTransport&) = delete;
    CurlMultiTransport& operator=(const CurlMultiTransport&) = delete;

    void Add(uint64_t id, const HttpRequest& request) override;
    std::vector<HttpAnswer> Wait(const bool* abortFlag) override;
    void Cancel() override;

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

} // namespace qm
