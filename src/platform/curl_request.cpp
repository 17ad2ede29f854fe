// One libcurl request: its options (address, proxy, headers, body, trust, cookies), its
// answer's header, and libcurl's errors as the transports' own.

#include "platform/curl_request.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "base/ascii_case.h"
#include "base/file_io.h"
#include "base/trim.h"

namespace qm::curl_detail {
namespace {

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

} // namespace

void PumpIfDue(EventPump& pump, Clock::time_point& lastPump) {
    Clock::time_point now = Clock::now();
    if (now - lastPump < kPumpInterval) return;
    lastPump = now;
    pump.ProcessEvents();
}

} // namespace qm::curl_detail

namespace qm {

std::shared_ptr<curl_detail::CookieJar> NewMemoryCookieJar() {
    return std::make_shared<curl_detail::CookieJar>(std::string());
}

} // namespace qm

namespace qm::curl_detail {

bool CookieJar::Apply(CURL* easy, bool on) {
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

void CookieJar::Save(CURL* easy) {
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
    std::string target =
        request.objectName.starts_with('/') ? request.objectName : "/" + request.objectName;
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

} // namespace qm::curl_detail
