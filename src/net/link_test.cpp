#include "net/link_test.h"

#include <filesystem>

#include "base/ascii_case.h"
#include "base/codepage.h"
#include "base/file_io.h"
#include "base/trim.h"
#include "net/data_uri.h"
#include "net/go_action.h"
#include "net/url.h"
#include "state/browser.h"
#include "state/ui_strings.h"
#include "tools/source_decode.h"

namespace qm {
namespace {

constexpr int kUiDownloadError = 2;
constexpr int kUiFileNotFound = 182;
constexpr int kUiFileFound = 270;
constexpr int kUiNotFetched = 271;

bool IsFetchedScheme(std::string_view scheme) {
    return EqualsNoCase(scheme, "http") || EqualsNoCase(scheme, "https") ||
           EqualsNoCase(scheme, "file");
}

// Numeric character references ("&#64;", "&#x40;") as the characters they stand for: their
// "#" would otherwise read as the start of a fragment. Named ones stay, as a query's "&" and
// ";" may look like one.
std::string NumericReferencesDecoded(std::string_view written) {
    std::string out;
    out.reserve(written.size());
    for (size_t i = 0; i < written.size(); ++i) {
        const size_t end = written.compare(i, 2, "&#") == 0 ? written.find(';', i + 2)
                                                             : std::string_view::npos;
        if (end == std::string_view::npos || end - i > 12) {
            out.push_back(written[i]);
            continue;
        }
        const std::string_view name = written.substr(i + 1, end - i - 1); // "#64", "#x40"
        const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty() ||
            digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") !=
                std::string_view::npos) {
            out.push_back(written[i]);
            continue;
        }
        out += AmpToStr(name);
        i = end;
    }
    return out;
}

LinkResult TestLocalFile(std::string_view address, int languageIndex) {
    LinkResult result;
    result.kind = AddressKind::LocalFile;
    result.done = true;
    result.finalUrl = address;
    // The program's own file names are Windows-1251 text; the system's are UTF-8.
    const std::string path = Cp1251ToUtf8(LocalPathOf(std::string(address)));
    if (FileExists(path)) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        if (!ec) result.contentLength = static_cast<int64_t>(size);
    } else if (!DirectoryExists(path)) {
        result.failed = true;
        result.reason = UiString(kUiFileNotFound, languageIndex);
    }
    return result;
}

} // namespace

std::string ResolveLink(std::string_view base, std::string_view written) {
    const std::string decoded = NumericReferencesDecoded(TrimBlanks(written));
    written = decoded;
    // An empty address or a fragment alone points at the page itself, not at its folder.
    if (written.empty() || written.starts_with('#'))
        return std::string(base.substr(0, base.find('#')));
    const std::string_view scheme = LinkScheme(written);
    if (!scheme.empty() && !IsFetchedScheme(scheme)) return std::string(written);
    std::string address = AddDomain(base, written);
    if (size_t hash = address.find('#'); hash != std::string::npos) address.erase(hash);
    return address;
}

AddressKind KindOfAddress(std::string_view address) {
    if (StartsWithNoCase(address, "http://") || StartsWithNoCase(address, "https://"))
        return AddressKind::Web;
    if (StartsWithNoCase(address, "file://")) return AddressKind::LocalFile;
    if (StartsWithNoCase(TrimBlanks(address), "data:")) return AddressKind::Data;
    return AddressKind::NotFetched;
}

bool IsBroken(const LinkResult& result) {
    return result.failed || result.status >= 400;
}

LinkResult TestWithoutRequest(std::string_view address, AddressKind kind, int languageIndex) {
    if (kind == AddressKind::LocalFile) return TestLocalFile(address, languageIndex);
    LinkResult result;
    result.kind = kind;
    result.done = true;
    if (kind == AddressKind::Data) {
        result.reason = "data";
        result.contentType = GetDataType(address);
        result.contentLength = static_cast<int64_t>(DataPayload(address).size());
    } else {
        const std::string_view scheme = LinkScheme(address);
        result.reason = scheme.empty() ? std::string(address) : std::string(scheme);
    }
    return result;
}

LinkResult LastLinkTest(const BrowserState& state) {
    LinkResult result;
    result.done = true;
    result.failed = state.LastDownloadFailed;
    result.status = state.LastStatusCode;
    result.reason = state.LastFailureText;
    result.contentType = state.LastContentType;
    result.contentLength = state.LastContentLength;
    result.finalUrl = state.LastFinalURL;
    return result;
}

std::string ResultText(const LinkResult& result, int languageIndex) {
    if (result.failed)
        return result.reason.empty() ? UiString(kUiDownloadError, languageIndex) : result.reason;
    switch (result.kind) {
    case AddressKind::Web:
        return std::to_string(result.status);
    case AddressKind::LocalFile:
        return UiString(kUiFileFound, languageIndex);
    case AddressKind::Data:
    case AddressKind::NotFetched:
        break;
    }
    return UiString(kUiNotFetched, languageIndex) + result.reason;
}

bool HasMark(AddressKind kind) {
    return kind == AddressKind::Web || kind == AddressKind::LocalFile;
}

LinkMark MarkOf(const LinkResult& result, int languageIndex) {
    return {ResultText(result, languageIndex), IsBroken(result)};
}

ParallelLinkTest::ParallelLinkTest(Browser& browser, HttpMultiTransport& transport)
    : browser_(browser), transport_(transport) {}

std::vector<LinkResult> ParallelLinkTest::Run(const std::vector<std::string>& addresses,
                                              const std::string& referer) {
    const int language = browser_.State().LanguageIndex;
    referer_ = referer;
    jobs_.assign(addresses.size(), Job());
    results_.assign(addresses.size(), LinkResult());
    size_t waiting = 0;
    for (size_t i = 0; i < addresses.size(); ++i) {
        const AddressKind kind = KindOfAddress(addresses[i]);
        if (kind != AddressKind::Web) {
            results_[i] = TestWithoutRequest(addresses[i], kind, language);
            continue;
        }
        Job& job = jobs_[i];
        job.address = addresses[i];
        UrlParts parts = SplitURL(job.address);
        job.isPost = TakePostFromQuery(parts.QueryPart, job.postData);
        Start(i, parts, job.isPost ? FormContentType::Included : FormContentType::Omitted);
        ++waiting;
    }
    while (waiting > 0) {
        const std::vector<HttpAnswer> answers = transport_.Wait(&browser_.State().LinkCheckAbort);
        if (answers.empty()) break;
        for (const HttpAnswer& answer : answers)
            if (Take(answer)) --waiting;
    }
    if (waiting > 0) transport_.Cancel();
    return std::move(results_);
}

void ParallelLinkTest::Start(uint64_t id, const UrlParts& parts, FormContentType contentType) {
    const Job& job = jobs_[id];
    transport_.Add(id, BuildHttpRequest(parts, browser_.Downloads(), referer_, job.isPost,
                                        job.postData, contentType));
}

bool ParallelLinkTest::Take(const HttpAnswer& answer) {
    if (answer.id >= jobs_.size()) return false;
    Job& job = jobs_[answer.id];
    LinkResult& result = results_[answer.id];
    const int language = browser_.State().LanguageIndex;
    result.finalUrl = job.address;
    result.done = true;
    if (answer.error != TransportError::None) {
        result.failed = true;
        result.reason = TransportFailureText(answer.error, answer.errorText,
                                             browser_.Downloads().idleTimeoutSeconds, language);
        return true;
    }
    result.status = answer.status;
    if (answer.status >= 300 && answer.status <= 399) {
        const RedirectStep step =
            NextRedirect(job.address, answer.Header("Location"), job.followed);
        if (step.refusal == RedirectRefusal::None) {
            job.address = step.address;
            ++job.followed;
            result.done = false;
            Start(answer.id, SplitURL(job.address), FormContentType::Omitted);
            return false;
        }
        result.failed = true;
        if (step.refusal == RedirectRefusal::NoLocation) result.status = 0;
        result.reason = RedirectRefusalText(step, language);
        return true;
    }
    result.contentType = answer.Header("Content-Type");
    result.contentLength = ParseContentLength(answer.Header("Content-Length"));
    return true;
}

} // namespace qm
