// The side-by-side transport: several requests at once, each answer handed over with its
// header while the rest of its body keeps the connection for the next request, or with its
// whole body when the request keeps bodies of that type.

#include "platform/curl_transport.h"

#include <algorithm>
#include <deque>
#include <list>
#include <utility>
#include <vector>

#include "base/ascii_case.h"
#include "platform/curl_request.h"

namespace qm {

using namespace curl_detail;

namespace {

// A request's body is read past its header only to keep its connection for the next request;
// a longer body costs a new connection instead of the time to read it.
constexpr size_t kDrainLimit = 64 * 1024;

struct Transfer {
    uint64_t id = 0;
    CurlRequest request;
    bool answered = false;
    bool idleLimit = false; // the request set an idle time, which libcurl's low-speed limit keeps
    size_t drained = 0;
    bool (*keepBody)(std::string_view) = nullptr;
    uint64_t bodyLimit = 0;
    std::function<bool(std::string_view)> sink;
    uint64_t kept = 0; // bytes of the body kept
    bool decided = false; // whether the body is kept, known once the header is in
    bool keeping = false; // the body is wanted: answered at the end
    bool cut = false;
    std::string body;

    static size_t OnBody(char* data, size_t size, size_t count, void* self) {
        auto* transfer = static_cast<Transfer*>(self);
        const size_t bytes = size * count;
        if (transfer->Decide()) return transfer->Keep(data, bytes);
        transfer->drained += bytes;
        return transfer->drained > kDrainLimit ? 0 : bytes;
    }

    size_t Keep(const char* data, size_t bytes) {
        const uint64_t room = bodyLimit == 0 ? bytes : bodyLimit - kept;
        const std::string_view piece(data, std::min<uint64_t>(room, bytes));
        kept += piece.size();
        const bool taken = sink ? sink(piece) : (body.append(piece), true);
        if (taken && room >= bytes) return bytes;
        cut = true;
        return 0;
    }

    // Once the header is complete: whether the body is wanted, and read to its end first.
    bool Decide() {
        if (!decided) {
            decided = true;
            keeping = keepBody && request.status >= 200 && request.status <= 299 &&
                      keepBody(Header("Content-Type"));
        }
        return keeping;
    }

    std::string Header(std::string_view name) const {
        for (const auto& [key, value] : request.headers)
            if (EqualsNoCase(key, name)) return value;
        return {};
    }

    HttpAnswer Answer() {
        HttpAnswer answer{id, request.status, request.headers, request.error, request.errorText};
        answer.bodyKept = keeping && request.error == TransportError::None;
        answer.bodyCut = cut;
        answer.bodyBytes = kept;
        if (answer.bodyKept) answer.body = std::move(body);
        return answer;
    }
};

} // namespace

struct CurlMultiTransport::Impl {
    Impl(EventPump& p, int parallel, CurlTransportOptions o)
        : pump(p), maxParallel(std::max(1, parallel)), options(std::move(o)),
          caBundle(TrustedBundle(options)), jar(options.jar ? options.jar : std::make_shared<CookieJar>(options.cookieFile)), multi(curl_multi_init()) {}
    ~Impl() {
        Cancel();
        if (multi) curl_multi_cleanup(multi);
    }

    void StartWaiting();
    bool Begin(Transfer& transfer, const HttpRequest& request);
    void Collect();
    void Finish(CURLMsg* message);
    void Remove(std::list<Transfer>::iterator transfer);
    void Cancel();

    EventPump& pump;
    const size_t maxParallel;
    CurlTransportOptions options;
    std::string caBundle;
    std::shared_ptr<CookieJar> jar;
    CURLM* multi = nullptr;
    std::deque<std::pair<uint64_t, HttpRequest>> waiting;
    std::list<Transfer> running; // a transfer's address is its handle's private pointer
    std::vector<HttpAnswer> answered;
    Clock::time_point lastPump{};
};

bool CurlMultiTransport::Impl::Begin(Transfer& transfer, const HttpRequest& request) {
    if (!multi) return transfer.request.Fail(TransportError::Other, "Cannot create a request");
    if (!transfer.request.Prepare(request, options, caBundle, *jar)) return false;
    CURL* easy = transfer.request.easy;
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &transfer);
    transfer.keepBody = request.keepBody;
    transfer.bodyLimit = request.bodyLimit;
    transfer.sink = request.bodySink;
    if (request.idleTimeoutMs > 0) {
        transfer.idleLimit = true;
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME,
                         static_cast<long>((request.idleTimeoutMs + 999) / 1000));
    }
    if (curl_multi_add_handle(multi, easy) != CURLM_OK)
        return transfer.request.Fail(TransportError::Other, "Cannot start the request");
    return true;
}

void CurlMultiTransport::Impl::StartWaiting() {
    while (running.size() < maxParallel && !waiting.empty()) {
        auto [id, request] = std::move(waiting.front());
        waiting.pop_front();
        Transfer& transfer = running.emplace_back();
        transfer.id = id;
        if (Begin(transfer, request)) continue;
        answered.push_back(transfer.Answer());
        running.pop_back();
    }
}

// An answer is handed over as soon as its header is complete; the rest of the body is read
// on in the background.
void CurlMultiTransport::Impl::Collect() {
    for (Transfer& transfer : running) {
        if (transfer.answered || !transfer.request.headerDone || transfer.Decide()) continue;
        transfer.answered = true;
        answered.push_back(transfer.Answer());
    }
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left))
        if (message->msg == CURLMSG_DONE) Finish(message);
    StartWaiting();
}

void CurlMultiTransport::Impl::Finish(CURLMsg* message) {
    Transfer* done = nullptr;
    curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &done);
    auto transfer = std::find_if(running.begin(), running.end(),
                                 [done](const Transfer& t) { return &t == done; });
    if (transfer == running.end()) return;
    if (!transfer->answered) {
        transfer->answered = true;
        CurlRequest& request = transfer->request;
        const CURLcode result = message->data.result;
        // A body cut at its limit ends with a write error of our own making.
        const bool whole = transfer->keeping && (result == CURLE_OK || transfer->cut);
        if (!whole && result != CURLE_OK)
            request.FailFromResult(result,
                                   transfer->idleLimit && result == CURLE_OPERATION_TIMEDOUT);
        else if (!whole)
            request.Fail(TransportError::BadResponse, "No answer");
        answered.push_back(transfer->Answer());
    }
    Remove(transfer);
}

void CurlMultiTransport::Impl::Remove(std::list<Transfer>::iterator transfer) {
    curl_multi_remove_handle(multi, transfer->request.easy);
    running.erase(transfer);
}

void CurlMultiTransport::Impl::Cancel() {
    waiting.clear();
    answered.clear();
    while (!running.empty())
        Remove(running.begin());
}

CurlMultiTransport::CurlMultiTransport(EventPump& pump, int maxParallel,
                                       CurlTransportOptions options)
    : impl_(std::make_unique<Impl>(pump, maxParallel, std::move(options))) {}

CurlMultiTransport::~CurlMultiTransport() = default;

void CurlMultiTransport::Add(uint64_t id, const HttpRequest& request) {
    impl_->waiting.emplace_back(id, request);
}

std::vector<HttpAnswer> CurlMultiTransport::Wait(const bool* abortFlag) {
    Impl& impl = *impl_;
    impl.StartWaiting();
    for (;;) {
        if (!impl.answered.empty()) return std::exchange(impl.answered, {});
        if ((abortFlag && *abortFlag) || (impl.running.empty() && impl.waiting.empty())) return {};
        int running = 0;
        if (curl_multi_perform(impl.multi, &running) != CURLM_OK) {
            for (Transfer& transfer : impl.running)
                if (!transfer.answered) {
                    transfer.request.Fail(TransportError::Other, "The transfers broke off");
                    impl.answered.push_back(transfer.Answer());
                }
            while (!impl.running.empty())
                impl.Remove(impl.running.begin());
            continue;
        }
        impl.Collect();
        if (!impl.answered.empty()) continue;
        curl_multi_poll(impl.multi, nullptr, 0, kPollMs, nullptr);
        PumpIfDue(impl.pump, impl.lastPump);
    }
}

void CurlMultiTransport::Cancel() {
    impl_->Cancel();
}

} // namespace qm
