// What the site check and the rip read from a server besides pages: robots.txt against a
// path, a Retry-After value, the meta tags of a page, a stylesheet's addresses, and the scope,
// host and save path of any address.

#include <fuzzer/FuzzedDataProvider.h>

#include "site/crawl_page.h"
#include "site/crawl_scope.h"
#include "tools/css_addresses.h"
#include "site/linked_files.h"
#include "site/retry_after.h"
#include "site/robots_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string path = input.ConsumeRandomLengthString(256);
    const std::string address = input.ConsumeRandomLengthString(256);
    const std::string text = input.ConsumeRemainingBytesAsString();

    qm::RobotsRules::Parse(text).Allows(path);
    qm::RobotsPath(address);
    qm::RetryAfterSeconds(path, 0);
    qm::ForbidsFollowing(text);
    qm::CssAddresses(text);
    qm::SavePath("/d/", address, path, qm::SaveLayout::Mirror);
    qm::MayBePage(path);
    for (qm::ScopeKind kind : {qm::ScopeKind::Host, qm::ScopeKind::Prefix, qm::ScopeKind::Address})
        qm::InScope(qm::MakeScope(kind, address, path), text.substr(0, 256));
    qm::HostKey(address);
    return 0;
}
