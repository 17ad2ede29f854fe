// The single-request transport: one request at a time, its body handed out as it is read.

#include "platform/curl_transport.h"

#include <algorithm>
#include <cstdio>

#include "base/ascii_case.h"
#include "platform/curl_request.h"

namespace qm {

using namespace curl_detail;

struct CurlTransport::Impl {
    Impl(EventPump& p, CurlTransportOptions o)
        : pump(p), options(std::move(o)), caBundle(TrustedBundle(options)),
          jar(options.jar ? options.jar : std::make_shared<CookieJar>(options.cookieFile)) {}
    ~Impl();

    bool Open(const HttpRequest& request);
    long long Read(char* buffer, size_t size);
    void Close();

    bool Fail(TransportError why, std::string text) { return request.Fail(why, std::move(text)); }
    bool AbortRequested() const { return abortCalled || (abortFlag && *abortFlag); }
    template <typename Ready> bool Drive(Ready ready);
    bool Stalled(Clock::time_point& heard, uint64_t& heardBytes);
    void CollectDone();

    static size_t OnBody(char* data, size_t size, size_t count, void* self);

    EventPump& pump;
    CurlTransportOptions options;
    std::string caBundle; // empty: libcurl's own default
    std::shared_ptr<CookieJar> jar;
    CURLM* multi = nullptr;

    // One request and its answer.
    CurlRequest request;
    const bool* abortFlag = nullptr;
    bool abortCalled = false;
    std::chrono::milliseconds idleTimeout{0};
    bool finished = false;
    bool stalled = false;
    CURLcode result = CURLE_OK;
    std::string pending; // body bytes received and not yet read
    size_t pendingPos = 0;
    Clock::time_point lastPump{};
};

CurlTransport::Impl::~Impl() {
    Close();
    if (multi) curl_multi_cleanup(multi);
}

bool CurlTransport::Impl::Open(const HttpRequest& httpRequest) {
    Close();
    abortFlag = httpRequest.abortFlag;
    abortCalled = false;
    idleTimeout = std::chrono::milliseconds(httpRequest.idleTimeoutMs);
    if (!multi) multi = curl_multi_init();
    if (!multi) return Fail(TransportError::Other, "Cannot create a request");
    if (!request.Prepare(httpRequest, options, caBundle, *jar)) return false;
    curl_easy_setopt(request.easy, CURLOPT_WRITEFUNCTION, &Impl::OnBody);
    curl_easy_setopt(request.easy, CURLOPT_WRITEDATA, this);

    if (curl_multi_add_handle(multi, request.easy) != CURLM_OK)
        return Fail(TransportError::Other, "Cannot start the request");
    if (!Drive([this] { return request.headerDone; }))
        return Fail(TransportError::Aborted, "Aborted");
    // A transfer that breaks after the header is reported by Read.
    if (request.headerDone) return true;
    if (result != CURLE_OK) return request.FailFromResult(result, stalled);
    return Fail(TransportError::BadResponse, "No answer");
}

long long CurlTransport::Impl::Read(char* buffer, size_t size) {
    if (!request.easy) return 0;
    size_t filled = 0;
    while (filled < size) {
        if (pendingPos < pending.size()) {
            size_t take = std::min(size - filled, pending.size() - pendingPos);
            pending.copy(buffer + filled, take, pendingPos);
            pendingPos += take;
            filled += take;
            continue;
        }
        pending.clear();
        pendingPos = 0;
        if (finished) break;
        if (!Drive([this] { return !pending.empty(); })) {
            Fail(TransportError::Aborted, "Aborted");
            break;
        }
    }
    // A broken transfer is reported once everything that came before it has been read.
    if (filled == 0 && finished && result != CURLE_OK) {
        request.FailFromResult(result, stalled);
        return -1;
    }
    return static_cast<long long>(filled);
}

template <typename Ready> bool CurlTransport::Impl::Drive(Ready ready) {
    Clock::time_point heard = Clock::now();
    uint64_t heardBytes = request.receivedBytes;
    for (;;) {
        if (ready() || finished) return true;
        if (AbortRequested()) return false;
        int running = 0;
        CURLMcode code = curl_multi_perform(multi, &running);
        if (code != CURLM_OK) {
            finished = true;
            result = CURLE_OUT_OF_MEMORY;
            std::snprintf(request.errorBuffer, sizeof request.errorBuffer, "%s",
                          curl_multi_strerror(code));
            return true;
        }
        CollectDone();
        if (ready() || finished) return true;
        curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
        PumpIfDue(pump, lastPump);
        if (Stalled(heard, heardBytes)) return true;
    }
}

// Silence is counted from the last byte or from the start of the wait; past the idle time the
// transfer ends as libcurl's own timeouts end it.
bool CurlTransport::Impl::Stalled(Clock::time_point& heard, uint64_t& heardBytes) {
    if (idleTimeout.count() <= 0) return false;
    Clock::time_point now = Clock::now();
    if (request.receivedBytes != heardBytes) {
        heardBytes = request.receivedBytes;
        heard = now;
        return false;
    }
    if (now - heard < idleTimeout) return false;
    finished = true;
    stalled = true;
    result = CURLE_OPERATION_TIMEDOUT;
    std::snprintf(request.errorBuffer, sizeof request.errorBuffer, "No data received for %lld ms",
                  static_cast<long long>(idleTimeout.count()));
    return true;
}

void CurlTransport::Impl::CollectDone() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == request.easy) {
            finished = true;
            result = message->data.result;
        }
    }
}

void CurlTransport::Impl::Close() {
    if (request.easy && multi) curl_multi_remove_handle(multi, request.easy);
    request.Release();
    abortFlag = nullptr;
    finished = false;
    stalled = false;
    result = CURLE_OK;
    pending.clear();
    pendingPos = 0;
}

size_t CurlTransport::Impl::OnBody(char* data, size_t size, size_t count, void* self) {
    auto* impl = static_cast<Impl*>(self);
    impl->pending.append(data, size * count);
    impl->request.receivedBytes += size * count;
    return size * count;
}

CurlTransport::CurlTransport(EventPump& pump, CurlTransportOptions options)
    : impl_(std::make_unique<Impl>(pump, std::move(options))) {}

CurlTransport::~CurlTransport() = default;

bool CurlTransport::Open(const HttpRequest& request) {
    return impl_->Open(request);
}

int CurlTransport::StatusCode() const {
    return impl_->request.status;
}

std::string CurlTransport::Header(const std::string& name) const {
    for (const auto& [key, value] : impl_->request.headers)
        if (EqualsNoCase(key, name)) return value;
    return {};
}

std::string CurlTransport::RawHeaders() const {
    return impl_->request.rawHeaders;
}

long long CurlTransport::Read(char* buffer, size_t size) {
    return impl_->Read(buffer, size);
}

TransportError CurlTransport::Error() const {
    return impl_->request.error;
}

std::string CurlTransport::ErrorText() const {
    return impl_->request.errorText;
}

void CurlTransport::Abort() {
    impl_->abortCalled = true;
}

void CurlTransport::Close() {
    impl_->Close();
}

} // namespace qm
