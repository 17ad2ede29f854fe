#include "platform/curl_transport.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <utility>
#include <vector>

#include <curl/curl.h>

#include "base/file_io.h"
#include "base/trim.h"
#include "base/ascii_case.h"

namespace qm {
namespace {

using Clock = std::chrono::steady_clock;

// How long one wait for the network lasts before events are pumped again.
constexpr int kPollMs = 5;
constexpr auto kPumpInterval = std::chrono::milliseconds(5);
constexpr long kReceiveBufferSize = 64 * 1024;

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

TransportError FromCurl(CURLcode code) {
    switch (code) {
    case CURLE_OK:
        return TransportError::None;
    case CURLE_ABORTED_BY_CALLBACK:
        return TransportError::Aborted;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
        return TransportError::BadAddress;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return TransportError::NameNotResolved;
    case CURLE_COULDNT_CONNECT:
        return TransportError::ConnectFailed;
    case CURLE_OPERATION_TIMEDOUT:
        return TransportError::Timeout;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
        return TransportError::CertificateRejected;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_USE_SSL_FAILED:
        return TransportError::TlsFailure;
    case CURLE_SEND_ERROR:
        return TransportError::SendFailed;
    case CURLE_RECV_ERROR:
        return TransportError::ReceiveFailed;
    case CURLE_PARTIAL_FILE:
    case CURLE_BAD_CONTENT_ENCODING:
        return TransportError::IncompleteBody;
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
        return TransportError::BadResponse;
    default:
        return TransportError::Other;
    }
}

// A host goes into the address as it is, so nothing may stand in it that would make it
// something else than a host (user info, a path, a second port).
bool IsUsableHost(std::string_view host) {
    if (host.empty()) return false;
    bool bracketed = host.front() == '[';
    if (bracketed && host.back() != ']') return false;
    for (char c : host) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == 0x7F) return false;
        if (c == '/' || c == '\\' || c == '?' || c == '#' || c == '@') return false;
        if (c == ':' && !bracketed) return false;
    }
    return true;
}

bool NoProxyMatches(std::string_view host, std::string_view list) {
    if (!host.empty() && host.front() == '[') host = host.substr(1, host.size() - 2);
    while (!list.empty()) {
        size_t end = list.find_first_of(", ");
        std::string_view entry = list.substr(0, end);
        list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
        if (entry == "*") return true;
        if (!entry.empty() && entry.front() == '.') entry.remove_prefix(1);
        if (entry.empty()) continue;
        if (EqualsNoCase(host, entry)) return true;
        if (host.size() > entry.size() && host[host.size() - entry.size() - 1] == '.' &&
            EndsWithNoCase(host, entry))
            return true;
    }
    return false;
}

// The proxy the environment names for a request, chosen the way libcurl chooses it, or ""
// for a direct connection. It is passed on explicitly so that the request line is made for
// the same choice.
std::string EnvironmentProxy(bool secure, std::string_view host) {
    auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    std::string noProxy = variable("no_proxy");
    if (noProxy.empty()) noProxy = variable("NO_PROXY");
    if (NoProxyMatches(host, noProxy)) return {};
    // Only the lower-case http_proxy counts: a CGI environment sets HTTP_PROXY from a header.
    std::string proxy = secure ? variable("https_proxy") : variable("http_proxy");
    if (proxy.empty() && secure) proxy = variable("HTTPS_PROXY");
    if (proxy.empty()) proxy = variable("all_proxy");
    if (proxy.empty()) proxy = variable("ALL_PROXY");
    return proxy;
}

// The system's bundle followed by the extra certificates, so that both are trusted.
std::string CombinedCaBundle(const std::string& extraCaFile) {
    std::string bundle;
#if LIBCURL_VERSION_NUM >= 0x075400
    if (CURL* probe = curl_easy_init()) {
        char* systemPath = nullptr;
        if (curl_easy_getinfo(probe, CURLINFO_CAINFO, &systemPath) == CURLE_OK && systemPath)
            bundle = GetFileToString(systemPath);
        curl_easy_cleanup(probe);
    }
#endif
    if (!bundle.empty() && bundle.back() != '\n') bundle += '\n';
    return bundle + GetFileToString(extraCaFile);
}

} // namespace

struct CurlTransport::Impl {
    Impl(EventPump& p, CurlTransportOptions o) : pump(p), options(std::move(o)) {}
    ~Impl();

    bool Open(const HttpRequest& request);
    long long Read(char* buffer, size_t size);
    void Close();

    bool Fail(TransportError why, std::string text);
    bool FailFromResult();
    bool SetAddress(const HttpRequest& request);
    void SetHeaders(const HttpRequest& request);
    void SetMethodAndBody(const HttpRequest& request);
    void SetTrust();
    void SetCookies(bool on);
    bool AbortRequested() const { return abortCalled || (abortFlag && *abortFlag); }
    template <typename Ready> bool Drive(Ready ready);
    bool Stalled(Clock::time_point& heard, uint64_t& heardBytes);
    void CollectDone();
    void PumpIfDue();

    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    static size_t OnBody(char* data, size_t size, size_t count, void* self);

    EventPump& pump;
    CurlTransportOptions options;
    std::string caBundle; // empty: libcurl's own default
    CURLM* multi = nullptr;
    CURLSH* share = nullptr;
    bool cookieFileLoaded = false;

    // One request.
    CURL* easy = nullptr;
    CURLU* url = nullptr;
    curl_slist* headerList = nullptr;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    bool usedCookieFile = false;
    const bool* abortFlag = nullptr;
    bool abortCalled = false;
    std::chrono::milliseconds idleTimeout{0};

    // Its answer.
    int status = 0;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string rawHeaders;
    bool headerDone = false;
    bool finished = false;
    bool stalled = false;
    CURLcode result = CURLE_OK;
    uint64_t receivedBytes = 0; // header and body, so that a wait can tell silence
    std::string pending; // body bytes received and not yet read
    size_t pendingPos = 0;
    TransportError error = TransportError::None;
    std::string errorText;
    Clock::time_point lastPump{};
};

CurlTransport::Impl::~Impl() {
    Close();
    if (multi) curl_multi_cleanup(multi);
    if (share) curl_share_cleanup(share);
}

bool CurlTransport::Impl::Fail(TransportError why, std::string text) {
    error = why;
    errorText = std::move(text);
    return false;
}

bool CurlTransport::Impl::FailFromResult() {
    std::string text = errorBuffer[0] ? errorBuffer : curl_easy_strerror(result);
    return Fail(stalled ? TransportError::Stalled : FromCurl(result), text);
}

bool CurlTransport::Impl::SetAddress(const HttpRequest& request) {
    if (!IsUsableHost(request.host))
        return Fail(TransportError::BadAddress, "Bad host name: " + request.host);
    if (request.port < 1 || request.port > 65535)
        return Fail(TransportError::BadAddress, "Bad port: " + std::to_string(request.port));
    url = curl_url();
    if (!url) return Fail(TransportError::Other, "Out of memory");
    std::string port = std::to_string(request.port);
    CURLUcode code = curl_url_set(url, CURLUPART_SCHEME, request.secure ? "https" : "http", 0);
    if (!code) code = curl_url_set(url, CURLUPART_HOST, request.host.c_str(), 0);
    if (!code) code = curl_url_set(url, CURLUPART_PORT, port.c_str(), 0);
    if (!code) code = curl_url_set(url, CURLUPART_PATH, "/", 0);
    if (code)
        return Fail(TransportError::BadAddress,
                    std::string(curl_url_strerror(code)) + ": " + request.host);
    curl_easy_setopt(easy, CURLOPT_CURLU, url);
    // The object name goes onto the request line exactly as the caller made it; a plain HTTP
    // proxy wants the whole address there.
    std::string proxy = EnvironmentProxy(request.secure, request.host);
    curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
    // "?a=1" (an address with a query and no path) is asked for as "/?a=1".
    std::string target = request.objectName.starts_with('/') ? request.objectName
                                                              : "/" + request.objectName;
    if (!proxy.empty() && !request.secure) target = "http://" + request.host + ":" + port + target;
    curl_easy_setopt(easy, CURLOPT_REQUEST_TARGET, target.c_str());
    return true;
}

// Only the caller's block is sent: headers libcurl would add on its own (Accept, Expect,
// a default Content-Type) are switched off unless the block names them.
void CurlTransport::Impl::SetHeaders(const HttpRequest& request) {
    bool hasAccept = false;
    bool hasContentType = false;
    std::string_view block = request.headers;
    while (!block.empty()) {
        size_t end = block.find('\n');
        std::string_view line = block.substr(0, end);
        block = end == std::string_view::npos ? std::string_view() : block.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (TrimBlanks(line).empty()) continue;
        std::string_view name = TrimBlanks(line.substr(0, line.find(':')));
        hasAccept = hasAccept || EqualsNoCase(name, "Accept");
        hasContentType = hasContentType || EqualsNoCase(name, "Content-Type");
        headerList = curl_slist_append(headerList, std::string(line).c_str());
    }
    if (!hasAccept) headerList = curl_slist_append(headerList, "Accept:");
    if (!hasContentType) headerList = curl_slist_append(headerList, "Content-Type:");
    headerList = curl_slist_append(headerList, "Expect:");
    headerList = curl_slist_append(headerList, "Proxy-Connection:");
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList);
    if (!request.userAgent.empty())
        curl_easy_setopt(easy, CURLOPT_USERAGENT, request.userAgent.c_str());
}

void CurlTransport::Impl::SetMethodAndBody(const HttpRequest& request) {
    bool isPost = EqualsNoCase(request.method, "POST");
    if (!isPost && EqualsNoCase(request.method, "GET") && request.body.empty()) {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
        return;
    }
    if (isPost)
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
    else
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    if (isPost || !request.body.empty()) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.body.size()));
        curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, request.body.data());
    }
}

void CurlTransport::Impl::SetTrust() {
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    if (options.extraCaFile.empty()) return;
#if LIBCURL_VERSION_NUM >= 0x074D00
    curl_blob blob{caBundle.data(), caBundle.size(), CURL_BLOB_COPY};
    curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob);
#else
    curl_easy_setopt(easy, CURLOPT_CAINFO, options.extraCaFile.c_str());
#endif
}

void CurlTransport::Impl::SetCookies(bool on) {
    // Off: no cookie engine at all, so nothing is sent and Set-Cookie is ignored.
    if (!on) return;
    if (!share) {
        share = curl_share_init();
        if (!share) return;
        curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    }
    curl_easy_setopt(easy, CURLOPT_SHARE, share);
    if (!cookieFileLoaded) {
        // An empty name only switches the engine on.
        curl_easy_setopt(easy, CURLOPT_COOKIEFILE, options.cookieFile.c_str());
        cookieFileLoaded = true;
    }
    if (!options.cookieFile.empty()) {
        // The jar is written when the request is cleaned up.
        curl_easy_setopt(easy, CURLOPT_COOKIEJAR, options.cookieFile.c_str());
        usedCookieFile = true;
    }
}

bool CurlTransport::Impl::Open(const HttpRequest& request) {
    Close();
    abortFlag = request.abortFlag;
    abortCalled = false;
    idleTimeout = std::chrono::milliseconds(request.idleTimeoutMs);
    if (!multi) multi = curl_multi_init();
    easy = curl_easy_init();
    if (!multi || !easy) return Fail(TransportError::Other, "Cannot create a request");

    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
#endif
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    // The answer of a proxy's tunnel is not the server's answer.
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
    // libcurl sets no limit on a slow body: F5 stops it, and a request may set an idle time.
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Impl::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Impl::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    if (!SetAddress(request)) return false;
    SetHeaders(request);
    SetMethodAndBody(request);
    SetTrust();
    SetCookies(request.cookies);

    if (curl_multi_add_handle(multi, easy) != CURLM_OK)
        return Fail(TransportError::Other, "Cannot start the request");
    if (!Drive([this] { return headerDone; })) return Fail(TransportError::Aborted, "Aborted");
    // A transfer that breaks after the header is reported by Read.
    if (headerDone) return true;
    if (result != CURLE_OK) return FailFromResult();
    return Fail(TransportError::BadResponse, "No answer");
}

long long CurlTransport::Impl::Read(char* buffer, size_t size) {
    if (!easy) return 0;
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
        FailFromResult();
        return -1;
    }
    return static_cast<long long>(filled);
}

template <typename Ready> bool CurlTransport::Impl::Drive(Ready ready) {
    Clock::time_point heard = Clock::now();
    uint64_t heardBytes = receivedBytes;
    for (;;) {
        if (ready() || finished) return true;
        if (AbortRequested()) return false;
        int running = 0;
        CURLMcode code = curl_multi_perform(multi, &running);
        if (code != CURLM_OK) {
            finished = true;
            result = CURLE_OUT_OF_MEMORY;
            std::snprintf(errorBuffer, sizeof errorBuffer, "%s", curl_multi_strerror(code));
            return true;
        }
        CollectDone();
        if (ready() || finished) return true;
        curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
        PumpIfDue();
        if (Stalled(heard, heardBytes)) return true;
    }
}

// Silence is counted from the last byte or from the start of the wait; past the idle time the
// transfer ends as libcurl's own timeouts end it.
bool CurlTransport::Impl::Stalled(Clock::time_point& heard, uint64_t& heardBytes) {
    if (idleTimeout.count() <= 0) return false;
    Clock::time_point now = Clock::now();
    if (receivedBytes != heardBytes) {
        heardBytes = receivedBytes;
        heard = now;
        return false;
    }
    if (now - heard < idleTimeout) return false;
    finished = true;
    stalled = true;
    result = CURLE_OPERATION_TIMEDOUT;
    std::snprintf(errorBuffer, sizeof errorBuffer, "No data received for %lld ms",
                  static_cast<long long>(idleTimeout.count()));
    return true;
}

void CurlTransport::Impl::CollectDone() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
            finished = true;
            result = message->data.result;
        }
    }
}

void CurlTransport::Impl::PumpIfDue() {
    Clock::time_point now = Clock::now();
    if (now - lastPump < kPumpInterval) return;
    lastPump = now;
    pump.ProcessEvents();
}

void CurlTransport::Impl::Close() {
    if (easy) {
        if (multi) curl_multi_remove_handle(multi, easy);
        curl_easy_cleanup(easy);
        easy = nullptr;
        if (usedCookieFile) {
            // Cookies are credentials: keep the jar private.
            std::error_code ec;
            std::filesystem::permissions(
                options.cookieFile,
                std::filesystem::perms::owner_read | std::filesystem::perms::owner_write, ec);
        }
    }
    if (url) curl_url_cleanup(url);
    url = nullptr;
    curl_slist_free_all(headerList);
    headerList = nullptr;
    errorBuffer[0] = '\0';
    usedCookieFile = false;
    abortFlag = nullptr;
    status = 0;
    headers.clear();
    rawHeaders.clear();
    headerDone = false;
    finished = false;
    stalled = false;
    result = CURLE_OK;
    receivedBytes = 0;
    pending.clear();
    pendingPos = 0;
    error = TransportError::None;
    errorText.clear();
}

size_t CurlTransport::Impl::OnHeader(char* data, size_t size, size_t count, void* self) {
    auto* impl = static_cast<Impl*>(self);
    std::string_view line(data, size * count);
    if (line.starts_with("HTTP/")) {
        // A new answer begins (after a 100 Continue, for instance): forget the previous one.
        impl->headers.clear();
        impl->rawHeaders.clear();
        impl->headerDone = false;
        size_t space = line.find(' ');
        int code = 0;
        for (size_t i = space == std::string_view::npos ? line.size() : space + 1;
             i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
            code = code * 10 + (line[i] - '0');
        impl->status = code;
    } else if (TrimBlanks(line).empty()) {
        if (impl->status >= 200) impl->headerDone = true;
    } else if (size_t colon = line.find(':'); colon != std::string_view::npos) {
        impl->headers.emplace_back(std::string(TrimBlanks(line.substr(0, colon))),
                                   std::string(TrimBlanks(line.substr(colon + 1))));
    }
    impl->rawHeaders.append(line);
    impl->receivedBytes += line.size();
    return line.size();
}

size_t CurlTransport::Impl::OnBody(char* data, size_t size, size_t count, void* self) {
    auto* impl = static_cast<Impl*>(self);
    impl->pending.append(data, size * count);
    impl->receivedBytes += size * count;
    return size * count;
}

CurlTransport::CurlTransport(EventPump& pump, CurlTransportOptions options)
    : impl_(std::make_unique<Impl>(pump, std::move(options))) {
    GlobalInit();
    if (!impl_->options.extraCaFile.empty())
        impl_->caBundle = CombinedCaBundle(impl_->options.extraCaFile);
}

CurlTransport::~CurlTransport() = default;

bool CurlTransport::Open(const HttpRequest& request) {
    return impl_->Open(request);
}

int CurlTransport::StatusCode() const {
    return impl_->status;
}

std::string CurlTransport::Header(const std::string& name) const {
    for (const auto& [key, value] : impl_->headers)
        if (EqualsNoCase(key, name)) return value;
    return {};
}

std::string CurlTransport::RawHeaders() const {
    return impl_->rawHeaders;
}

long long CurlTransport::Read(char* buffer, size_t size) {
    return impl_->Read(buffer, size);
}

TransportError CurlTransport::Error() const {
    return impl_->error;
}

std::string CurlTransport::ErrorText() const {
    return impl_->errorText;
}

void CurlTransport::Abort() {
    impl_->abortCalled = true;
}

void CurlTransport::Close() {
    impl_->Close();
}

} // namespace qm
