#include "net/download_request.h"

#include "base/ascii_case.h"
#include "base/trim.h"
#include "net/punycode.h"
#include "state/ui_strings.h"

namespace qm {
namespace {

constexpr int kUiMaxRedirects = 251;
constexpr int kUiSchemeNotFetched = 259;
constexpr int kUiNoDataFor = 260;
constexpr int kUiNoDataSeconds = 261;
constexpr int kUiCannotRequest = 286;
constexpr int kUiNameNotFound = 287;
constexpr int kUiNoConnection = 288;
constexpr int kUiNoAnswerInTime = 289;
constexpr int kUiSecureConnectionFailed = 290;
constexpr int kUiCertificateRefused = 291;
constexpr int kUiRequestNotSent = 292;
constexpr int kUiReceiveFailed = 293;
constexpr int kUiAnswerEndedEarly = 294;
constexpr int kUiAnswerUnreadable = 295;
constexpr int kUiRequestFailed = 296;

// A local page or one held in its own address would tell the server a path on this machine or
// the page itself.
bool IsPrivateReferer(std::string_view referer) {
    referer = TrimBlanks(referer);
    return StartsWithNoCase(referer, "FILE:") || StartsWithNoCase(referer, "DATA:");
}

// The program's words that go before the transport's own reason; -1 for none.
int FailureLead(TransportError error) {
    switch (error) {
    case TransportError::BadAddress:
        return kUiCannotRequest;
    case TransportError::NameNotResolved:
        return kUiNameNotFound;
    case TransportError::ConnectFailed:
        return kUiNoConnection;
    case TransportError::Timeout:
        return kUiNoAnswerInTime;
    case TransportError::TlsFailure:
        return kUiSecureConnectionFailed;
    case TransportError::CertificateRejected:
        return kUiCertificateRefused;
    case TransportError::SendFailed:
        return kUiRequestNotSent;
    case TransportError::ReceiveFailed:
        return kUiReceiveFailed;
    case TransportError::IncompleteBody:
        return kUiAnswerEndedEarly;
    case TransportError::BadResponse:
        return kUiAnswerUnreadable;
    case TransportError::Other:
        return kUiRequestFailed;
    case TransportError::None:
    case TransportError::Aborted:
    case TransportError::Stalled:
        break;
    }
    return -1;
}

// "8080" -> 8080; anything that is not 1 to 65535 written in decimal digits -> 0.
int ParsePort(std::string_view digits) {
    if (digits.empty() || digits.size() > 5) return 0;
    int port = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        port = port * 10 + (c - '0');
    }
    return port <= 65535 ? port : 0;
}

} // namespace

HostAndPort SplitHostPort(std::string_view hostPart) {
    HostAndPort result{std::string(hostPart), 0};
    size_t nameEnd = std::string_view::npos;
    if (hostPart.starts_with('[')) {
        size_t close = hostPart.find(']');
        if (close == std::string_view::npos || close + 1 == hostPart.size()) return result;
        if (hostPart[close + 1] != ':') return result;
        nameEnd = close + 1;
    } else {
        nameEnd = hostPart.find(':');
        if (nameEnd == std::string_view::npos) return result;
        // A second colon means an IPv6 address without brackets: no port can be told apart.
        if (hostPart.find(':', nameEnd + 1) != std::string_view::npos) return result;
    }
    std::string_view port = hostPart.substr(nameEnd + 1);
    if (port.empty()) {
        result.name = hostPart.substr(0, nameEnd);
        return result;
    }
    if (int number = ParsePort(port); number > 0) {
        result.name = hostPart.substr(0, nameEnd);
        result.port = number;
    }
    return result;
}

std::string HeaderValue(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (static_cast<unsigned char>(c) >= ' ' && c != 0x7F) out.push_back(c);
    return out;
}

std::string BuildHeaderBlock(std::string_view referer, FormContentType contentType) {
    std::string block;
    if (!referer.empty() && !IsPrivateReferer(referer))
        block += "Referer: " + HeaderValue(referer) + "\r\n";
    block += "Accept: text/html,*/*;q=0.9\r\n";
    block += "Keep-Alive: 300\r\n";
    block += "Connection: keep-alive\r\n\r\n";
    if (contentType == FormContentType::Included)
        block += "Content-Type: application/x-www-form-urlencoded\r\n";
    return block;
}

bool TakePostFromQuery(std::string& query, std::string& body) {
    if (!query.starts_with('?')) return false;
    body = query.substr(1);
    query.clear();
    return true;
}

HttpRequest BuildHttpRequest(const UrlParts& parts, const DownloadOptions& options,
                             std::string_view referer, bool isPost, const std::string& postData,
                             FormContentType contentType) {
    HostAndPort host = SplitHostPort(parts.HostPart);
    HttpRequest request;
    request.secure = parts.SchemePart == "HTTPS://";
    request.host = ToPunycodeHost(std::string_view(host.name));
    request.port = host.port > 0 ? host.port : request.secure ? 443 : 80;
    request.method = isPost ? "POST" : "GET";
    request.objectName = PathAndPars(parts);
    request.headers =
        BuildHeaderBlock(options.sendReferer ? referer : std::string_view(), contentType);
    request.body = postData;
    request.userAgent = HeaderValue(options.userAgent);
    request.cookies = options.cookies;
    request.idleTimeoutMs = int64_t{options.idleTimeoutSeconds} * 1000;
    return request;
}

std::vector<std::pair<std::string, std::string>> HeaderFields(std::string_view raw) {
    std::vector<std::pair<std::string, std::string>> fields;
    while (!raw.empty()) {
        const size_t end = raw.find('\n');
        const std::string_view line = raw.substr(0, end);
        raw = end == std::string_view::npos ? std::string_view() : raw.substr(end + 1);
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || line.starts_with("HTTP/")) continue;
        fields.emplace_back(TrimBlanks(line.substr(0, colon)), TrimBlanks(line.substr(colon + 1)));
    }
    return fields;
}

int64_t ParseContentLength(std::string_view text) {
    text = TrimBlanks(text);
    if (text.empty() || text.size() > 18) return -1;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string TransportFailureText(TransportError error, const std::string& transportText,
                                 int32_t idleTimeoutSeconds, int languageIndex) {
    if (error != TransportError::Stalled) {
        const int lead = FailureLead(error);
        return lead < 0 ? transportText : UiString(lead, languageIndex) + transportText;
    }
    return UiString(kUiNoDataFor, languageIndex) + std::to_string(idleTimeoutSeconds) +
           UiString(kUiNoDataSeconds, languageIndex);
}

RedirectStep NextRedirect(std::string_view current, std::string_view location, int followed) {
    RedirectStep step;
    if (location.empty()) {
        step.refusal = RedirectRefusal::NoLocation;
    } else if (followed >= kMaxRedirects) {
        step.refusal = RedirectRefusal::TooMany;
    } else if (std::string_view scheme = LinkScheme(location);
               !scheme.empty() && !EqualsNoCase(scheme, "http") && !EqualsNoCase(scheme, "https")) {
        step.refusal = RedirectRefusal::SchemeNotFetched;
        step.scheme = scheme;
    } else {
        step.address = AddDomain(current, location);
    }
    return step;
}

std::string RedirectRefusalText(const RedirectStep& step, int languageIndex) {
    switch (step.refusal) {
    case RedirectRefusal::TooMany:
        return UiString(kUiMaxRedirects, languageIndex) + std::to_string(kMaxRedirects);
    case RedirectRefusal::SchemeNotFetched:
        return UiString(kUiSchemeNotFetched, languageIndex) + step.scheme;
    case RedirectRefusal::None:
    case RedirectRefusal::NoLocation:
        break;
    }
    return {};
}

} // namespace qm
