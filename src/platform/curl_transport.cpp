#include "platform/curl_transport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <deque>
#include <list>
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
    case CURLE_UNSUPPORTED_PROTOCOL: // an answer without a status line (HTTP/0.9)
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

void PumpIfDue(EventPump& pump, Clock::time_point& lastPump) {
    Clock::time_point now = Clock::now();
    if (now - lastPump < kPumpInterval) return;
    lastPump = now;
    pump.ProcessEvents();
}

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
    bool Apply(CURL* easy, bool on) {
        // Off: no cookie engine at all, so nothing is sent and Set-Cookie is ignored.
        if (!on) return false;
        if (!share_) {
            share_ = curl_share_init();
            if (!share_) return false;
            curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        }
        curl_easy_setopt(easy, CURLOPT_SHARE, share_);
        // Each request needs the engine switched on; an empty name does only that, so the jar
        // file is read once.
        curl_easy_setopt(easy, CURLOPT_COOKIEFILE, fileLoaded_ ? "" : file_.c_str());
        fileLoaded_ = true;
        // The jar is written by Save, not by libcurl, which would put a truncated jar in the
        // place of a whole one when the disk fills up.
        return !file_.empty();
    }

    // Writes every cookie the engine holds to the file, whole or not at all, when they changed.
    void Save(CURL* easy) {
        curl_slist* cookies = nullptr;
        if (curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &cookies) != CURLE_OK) return;
        std::string text = "# Netscape HTTP Cookie File\n";
        for (curl_slist* line = cookies; line; line = line->next)
            text.append(line->data).push_back('\n');
        curl_slist_free_all(cookies);
        if (text == saved_ || !WriteFileAtomically(file_, text)) return;
        saved_ = std::move(text);
        // Cookies are credentials: keep the jar private.
        std::error_code ec;
        std::filesystem::permissions(
            file_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write, ec);
    }

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

bool CurlRequest::Fail(TransportError why, std::string text) {
    error = why;
    errorText = std::move(text);
    return false;
}

bool CurlRequest::FailFromResult(CURLcode result, bool stalled) {
    // libcurl refuses a header line longer than it can hold as if memory had run out.
    if (result == CURLE_OUT_OF_MEMORY && !headerDone && !errorBuffer[0])
        return Fail(TransportError::BadResponse, "A line of the answer's header is too long");
    std::string text = errorBuffer[0] ? errorBuffer : curl_easy_strerror(result);
    return Fail(stalled ? TransportError::Stalled : FromCurl(result), text);
}

bool CurlRequest::SetAddress(const HttpRequest& request) {
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
void CurlRequest::SetHeaders(const HttpRequest& request) {
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

void CurlRequest::SetMethodAndBody(const HttpRequest& request) {
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

void CurlRequest::SetTrust(const CurlTransportOptions& options, const std::string& caBundle) {
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    if (options.extraCaFile.empty()) return;
#if LIBCURL_VERSION_NUM >= 0x074D00
    curl_blob blob{const_cast<char*>(caBundle.data()), caBundle.size(), CURL_BLOB_COPY};
    curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob);
#else
    (void)caBundle;
    curl_easy_setopt(easy, CURLOPT_CAINFO, options.extraCaFile.c_str());
#endif
}

bool CurlRequest::Prepare(const HttpRequest& request, const CurlTransportOptions& options,
                          const std::string& caBundle, CookieJar& jar) {
    Release();
    easy = curl_easy_init();
    if (!easy) return Fail(TransportError::Other, "Cannot create a request");
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
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlRequest::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    if (!SetAddress(request)) return false;
    SetHeaders(request);
    SetMethodAndBody(request);
    SetTrust(options, caBundle);
    if (jar.Apply(easy, request.cookies)) savedJar = &jar;
    return true;
}

void CurlRequest::Release() {
    if (easy) {
        if (savedJar) savedJar->Save(easy);
        curl_easy_cleanup(easy);
        easy = nullptr;
    }
    if (url) curl_url_cleanup(url);
    url = nullptr;
    curl_slist_free_all(headerList);
    headerList = nullptr;
    errorBuffer[0] = '\0';
    savedJar = nullptr;
    status = 0;
    headers.clear();
    rawHeaders.clear();
    headerDone = false;
    receivedBytes = 0;
    error = TransportError::None;
    errorText.clear();
}

size_t CurlRequest::OnHeader(char* data, size_t size, size_t count, void* self) {
    auto* request = static_cast<CurlRequest*>(self);
    std::string_view line(data, size * count);
    if (line.starts_with("HTTP/")) {
        // A new answer begins (after a 100 Continue, for instance): forget the previous one.
        request->headers.clear();
        request->rawHeaders.clear();
        request->headerDone = false;
        size_t space = line.find(' ');
        int code = 0;
        for (size_t i = space == std::string_view::npos ? line.size() : space + 1;
             i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
            code = code * 10 + (line[i] - '0');
        request->status = code;
    } else if (TrimBlanks(line).empty()) {
        if (request->status >= 200) request->headerDone = true;
    } else if (size_t colon = line.find(':'); colon != std::string_view::npos) {
        request->headers.emplace_back(std::string(TrimBlanks(line.substr(0, colon))),
                                      std::string(TrimBlanks(line.substr(colon + 1))));
    }
    request->rawHeaders.append(line);
    request->receivedBytes += line.size();
    return line.size();
}

std::string TrustedBundle(const CurlTransportOptions& options) {
    GlobalInit();
    return options.extraCaFile.empty() ? std::string() : CombinedCaBundle(options.extraCaFile);
}

} // namespace

struct CurlTransport::Impl {
    Impl(EventPump& p, CurlTransportOptions o)
        : pump(p), options(std::move(o)), caBundle(TrustedBundle(options)),
          jar(options.cookieFile) {}
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
    CookieJar jar;
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
    if (!request.Prepare(httpRequest, options, caBundle, jar)) return false;
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

// ---- Requests side by side ----------------------------------------------------------------

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

    static size_t OnBody(char*, size_t size, size_t count, void* self) {
        auto* transfer = static_cast<Transfer*>(self);
        transfer->drained += size * count;
        return transfer->drained > kDrainLimit ? 0 : size * count;
    }

    HttpAnswer Answer() const {
        return {id, request.status, request.headers, request.error, request.errorText};
    }
};

} // namespace

struct CurlMultiTransport::Impl {
    Impl(EventPump& p, int parallel, CurlTransportOptions o)
        : pump(p), maxParallel(std::max(1, parallel)), options(std::move(o)),
          caBundle(TrustedBundle(options)), jar(options.cookieFile), multi(curl_multi_init()) {}
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
    CookieJar jar;
    CURLM* multi = nullptr;
    std::deque<std::pair<uint64_t, HttpRequest>> waiting;
    std::list<Transfer> running; // a transfer's address is its handle's private pointer
    std::vector<HttpAnswer> answered;
    Clock::time_point lastPump{};
};

bool CurlMultiTransport::Impl::Begin(Transfer& transfer, const HttpRequest& request) {
    if (!multi) return transfer.request.Fail(TransportError::Other, "Cannot create a request");
    if (!transfer.request.Prepare(request, options, caBundle, jar)) return false;
    CURL* easy = transfer.request.easy;
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &transfer);
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
        if (transfer.answered || !transfer.request.headerDone) continue;
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
        if (result != CURLE_OK)
            request.FailFromResult(result,
                                   transfer->idleLimit && result == CURLE_OPERATION_TIMEDOUT);
        else
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
