#include "site/crawl_scope.h"

#include "base/ascii_case.h"
#include "net/download_request.h"
#include "net/url.h"

namespace qm {
namespace {

bool IsWeb(std::string_view address) {
    return StartsWithNoCase(address, "http://") || StartsWithNoCase(address, "https://");
}

// The address with its scheme and host in lower case, which is how they compare.
std::string Comparable(std::string_view address) {
    std::string text(address);
    const size_t schemeEnd = text.find("://");
    if (schemeEnd == std::string::npos) return text;
    const size_t hostEnd = text.find_first_of("/?#", schemeEnd + 3);
    for (size_t i = 0; i < std::min(hostEnd, text.size()); ++i)
        text[i] = AsciiLower(text[i]);
    return text;
}

// The folder of a page: its address up to the last "/" of the path, which stays.
std::string FolderOf(std::string_view address) {
    const std::string_view noQuery = address.substr(0, address.find_first_of("?#"));
    const size_t schemeEnd = noQuery.find("://");
    const size_t pathStart = noQuery.find('/', schemeEnd == std::string_view::npos ? 0 : schemeEnd + 3);
    if (pathStart == std::string_view::npos) return std::string(noQuery) + '/';
    return std::string(noQuery.substr(0, noQuery.rfind('/') + 1));
}

// The host's name in lower case, with its port only when it is not the scheme's own.
std::string HostName(std::string_view address) {
    const HostAndPort host = SplitHostPort(SplitURL(address).HostPart);
    std::string name = host.name;
    for (char& c : name)
        c = AsciiLower(c);
    const int own = StartsWithNoCase(address, "https") ? 443 : 80;
    return host.port == 0 || host.port == own ? name : name + ':' + std::to_string(host.port);
}

} // namespace

CrawlScope MakeScope(ScopeKind kind, std::string_view start, std::string_view given) {
    switch (kind) {
    case ScopeKind::Host:
        return {kind, HostName(start)};
    case ScopeKind::Prefix:
        return {kind, Comparable(FolderOf(start))};
    case ScopeKind::Address:
        break;
    }
    return {kind, Comparable(given)};
}

bool InScope(const CrawlScope& scope, std::string_view address) {
    if (!IsWeb(address)) return false;
    if (scope.kind == ScopeKind::Host) return HostName(address) == scope.prefix;
    return Comparable(address).starts_with(scope.prefix);
}

std::string HostKey(std::string_view address) {
    if (!IsWeb(address)) return {};
    const UrlParts parts = SplitURL(address);
    HostAndPort host = SplitHostPort(parts.HostPart);
    if (host.port == 0) host.port = StartsWithNoCase(address, "https") ? 443 : 80;
    std::string key = host.name;
    for (char& c : key)
        c = AsciiLower(c);
    return key + ':' + std::to_string(host.port);
}

} // namespace qm
