// Address splitting and link resolution on any two strings: a page address and a link.

#include <fuzzer/FuzzedDataProvider.h>

#include "net/url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string base = input.ConsumeRandomLengthString(512);
    const std::string link = input.ConsumeRemainingBytesAsString();

    const qm::UrlParts parts = qm::SplitURL(base);
    qm::PathAndPars(parts);
    qm::GetCurDomain(base);
    qm::GetCurDomainPath(base);
    qm::LinkScheme(link);
    qm::SplitExts(link);
    const std::string resolved = qm::AddDomain(base, link);
    qm::PathAndPars(qm::SplitURL(resolved));
    return 0;
}
