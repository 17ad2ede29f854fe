#pragma once
// Which pages a site check reads whole, and the host a request belongs to: the unit whose
// robots rules, request limit and delay are kept together.

#include <string>
#include <string_view>

namespace qm {

enum class ScopeKind {
    Host,    // the start page's host
    Prefix,  // under the start page's folder
    Address, // under an address given
};

struct CrawlScope {
    ScopeKind kind = ScopeKind::Host;
    // Host: the host's name in lower case, and its port when it is not the scheme's own, so
    // that a site that moves to HTTPS stays in scope; else the address prefix with scheme and
    // host in lower case.
    std::string prefix;
};

// The scope of a crawl from start; given is the prefix of ScopeKind::Address.
CrawlScope MakeScope(ScopeKind kind, std::string_view start, std::string_view given = {});

// Whether a page at address (resolved, HTTP or HTTPS) is read for its links. Scheme and host
// compare without case; the path as written.
bool InScope(const CrawlScope& scope, std::string_view address);

// "host:port" of an HTTP or HTTPS address in lower case, the port always written; empty for
// any other address.
std::string HostKey(std::string_view address);

} // namespace qm
