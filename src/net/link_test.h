#pragma once
// Testing the addresses a page links to: how each kind of address is tested, the verdict, the
// mark its blocks show, and the command line's tests that run side by side.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/interfaces.h"
#include "net/download_request.h"
#include "state/browser_state.h"

namespace qm {

class Browser;

enum class AddressKind {
    Web,        // HTTP or HTTPS: a request in link-test mode
    LocalFile,  // file://: the file must exist
    Data,       // data: carries its content, nothing is fetched
    NotFetched, // any other scheme (mailto:, javascript:, ftp: ...)
};

// The address a link leads to, resolved against the page's base as a click resolves it and
// without its fragment, which is not sent. A link of a scheme the program does not fetch
// stays as written: resolved, mailto:a@b would become a path on the page's host.
std::string ResolveLink(std::string_view base, std::string_view written);
AddressKind KindOfAddress(std::string_view address);

struct LinkResult {
    AddressKind kind = AddressKind::Web;
    bool done = false;   // tested, or found not to need a request
    bool failed = false; // the request could not be made, or the file is missing
    int status = 0;      // the last answer's code, after redirects
    std::string reason;  // why it failed; for a scheme not fetched, the scheme
    std::string contentType;
    int64_t contentLength = -1; // -1 when unknown
    std::string finalUrl;       // after redirects
};

// A failed request, or an answer of 400 and above.
bool IsBroken(const LinkResult& result);

// Everything but Web, answered without the network.
LinkResult TestWithoutRequest(std::string_view address, AddressKind kind, int languageIndex);

// The result of the link test StartDownload has just made.
LinkResult LastLinkTest(const BrowserState& state);

// What a result shows: the code, or why there is none.
std::string ResultText(const LinkResult& result, int languageIndex);

// The mark of the blocks of a tested address; addresses that were not requested get none.
bool HasMark(AddressKind kind);
LinkMark MarkOf(const LinkResult& result, int languageIndex);

// Tests web addresses as StartDownload's link-test mode does, with the same requests and the
// same redirect rules, but side by side through the transport. The browser gives the download
// switches and the language; state.LinkCheckAbort stops the tests (F5, a stop signal), and
// what has not finished by then stays not done.
class ParallelLinkTest {
  public:
    ParallelLinkTest(Browser& browser, HttpMultiTransport& transport);

    // One result per address, in the same order; referer is sent as a link test sends it.
    std::vector<LinkResult> Run(const std::vector<std::string>& addresses,
                                const std::string& referer);

  private:
    struct Job {
        std::string address; // the address of the request now running
        int followed = 0;
        bool isPost = false;
        std::string postData;
    };
    void Start(uint64_t id, const UrlParts& parts, FormContentType contentType);
    // Takes an answer; false while the address waits for a redirect's answer.
    bool Take(const HttpAnswer& answer);

    Browser& browser_;
    HttpMultiTransport& transport_;
    std::string referer_;
    std::vector<Job> jobs_;
    std::vector<LinkResult> results_;
};

} // namespace qm
