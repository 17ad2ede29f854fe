#pragma once
// What the libcurl transports share: one request's easy handle and answer, the cookie jar, and
// the wait between polls. Private to the curl_*.cpp files; nothing else includes libcurl.

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <curl/curl.h>

#include "platform/curl_transport.h"

namespace qm::curl_detail {

using Clock = std::chrono::steady_clock;

// How long one wait for the network lasts before events are pumped again.
inline constexpr int kPollMs = 5;

void PumpIfDue(EventPump& pump, Clock::time_point& lastPump);

// The trusted certificates for a transport's requests; empty: libcurl's own default.
std::string TrustedBundle(const CurlTransportOptions& options);

// The cookie engine of one transport, shared by its requests.
class CookieJar {
  public:
    explicit CookieJar(std::string file) : file_(std::move(file)) {}
    ~CookieJar() {
        if (share_) curl_share_cleanup(share_);
    }
    CookieJar(const CookieJar&) = delete;
    CookieJar& operator=(const CookieJar&) = delete;

    const std::string& File() const { return file_; }
    // Returns whether the request writes the cookie file when it is cleaned up.
    bool Apply(CURL* easy, bool on);
    // Writes every cookie the engine holds to the file, whole or not at all, when they changed.
    void Save(CURL* easy);

  private:
    std::string file_;
    CURLSH* share_ = nullptr;
    bool fileLoaded_ = false;
    std::string saved_; // the jar's text as last written
};

// One easy handle with what its request owns, and the header of its answer.
struct CurlRequest {
    CurlRequest() = default;
    ~CurlRequest() { Release(); }
    CurlRequest(const CurlRequest&) = delete;
    CurlRequest& operator=(const CurlRequest&) = delete;

    // Makes the handle and sets every option of the request but the body's receiver, which is
    // the caller's. False, with the error set, when the request cannot be made.
    bool Prepare(const HttpRequest& request, const CurlTransportOptions& options,
                 const std::string& caBundle, CookieJar& jar);
    // Cleans the handle up (it must be out of any multi handle) and forgets the answer.
    void Release();
    bool Fail(TransportError why, std::string text);
    bool FailFromResult(CURLcode result, bool stalled);

    static size_t OnHeader(char* data, size_t size, size_t count, void* self);

    CURL* easy = nullptr;
    CURLU* url = nullptr;
    curl_slist* headerList = nullptr;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    CookieJar* savedJar = nullptr; // written when the request is cleaned up

    int status = 0;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string rawHeaders;
    bool headerDone = false;
    uint64_t receivedBytes = 0; // header and body, so that a wait can tell silence
    TransportError error = TransportError::None;
    std::string errorText;

  private:
    bool SetAddress(const HttpRequest& request);
    void SetHeaders(const HttpRequest& request);
    void SetMethodAndBody(const HttpRequest& request);
    void SetTrust(const CurlTransportOptions& options, const std::string& caBundle);
};

} // namespace qm::curl_detail
