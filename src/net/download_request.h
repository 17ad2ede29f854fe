#pragma once
// Pieces of an HTTP request as the downloader builds it from an address.

#include <string>
#include <string_view>

#include "base/interfaces.h"
#include "net/url.h"
#include "state/download_options.h"

namespace qm {

// A request follows at most this many redirects; more would loop for ever on a cycle.
inline constexpr int kMaxRedirects = 20;

// The host of an address split from a port written after it ("host:8080", "[::1]:8080").
struct HostAndPort {
    std::string name; // what the request connects to; an IPv6 address keeps its brackets
    int port = 0;     // 0 when the address names none
};

// A text after the last ":" that is not a port (1 to 65535) stays part of the name, so that
// the request fails on it rather than going somewhere else. An empty port ("host:") counts as
// none.
HostAndPort SplitHostPort(std::string_view hostPart);

enum class FormContentType { Omitted, Included };

// The request's header block: Referer (only when referer is not empty and not a file: or data:
// address), Accept, Keep-Alive, Connection, a blank line, and Content-Type of a form body when
// included. Line breaks inside the Referer are dropped so that it cannot add header lines of
// its own.
std::string BuildHeaderBlock(std::string_view referer, FormContentType contentType);

// The text with every CR, LF and other control byte removed: a value for one header line.
std::string HeaderValue(std::string_view text);

// An address written as address + "??" + body is a POST of that body: when the query starts
// with "?", it is moved into body and the query is cleared. Returns whether it did.
bool TakePostFromQuery(std::string& query, std::string& body);

// The request every download sends for an address split into parts: the host in Punycode and
// the port apart, GET or POST with the body, the header block (with the referer when the
// switch allows and one is given) and the download switches. The caller sets the abort flag.
HttpRequest BuildHttpRequest(const UrlParts& parts, const DownloadOptions& options,
                             std::string_view referer, bool isPost, const std::string& postData,
                             FormContentType contentType);

// The name and value of each header line of an answer as the transport received it; the status
// line and blank lines are left out.
std::vector<std::pair<std::string, std::string>> HeaderFields(std::string_view raw);

// The Content-Length header's value; -1 unless it is a plain decimal number.
int64_t ParseContentLength(std::string_view text);

// Why a request failed, for a report: the transport's own words after ours, or ours alone for
// the idle time.
std::string TransportFailureText(TransportError error, const std::string& transportText,
                                 int32_t idleTimeoutSeconds, int languageIndex);

enum class RedirectRefusal { None, NoLocation, TooMany, SchemeNotFetched };

// Where a 3xx answer leads.
struct RedirectStep {
    RedirectRefusal refusal = RedirectRefusal::None;
    std::string address; // the next address when the redirect is followed
    std::string scheme;  // the scheme of a Location that is not fetched, as written
};

// The step from the address current to the Location of its 3xx answer, after followed earlier
// redirects of the same request. A Location of another scheme than HTTP or HTTPS is refused:
// resolved as a link, ftp: or javascript: would become a path on the same host.
RedirectStep NextRedirect(std::string_view current, std::string_view location, int followed);

// The report line of a refused redirect in the given language; empty for NoLocation, which
// the report shows only as a failure.
std::string RedirectRefusalText(const RedirectStep& step, int languageIndex);

} // namespace qm
