#include "app/check_links_mode.h"

#include "app/terminal_pump.h"
#include "base/codepage.h"
#include "net/link_test.h"
#include "state/browser.h"
#include "view/page_links.h"

namespace qm {
namespace {

constexpr int kUiDownloadError = 2;
constexpr int kUiStoppedBySignal = 263;

// Every block that can hold an address to test, whatever the view shows by default.
ViewOptions CheckedBlocks() {
    ViewOptions options;
    options.Links = true;
    options.Media = true;
    options.Linked = true;
    return options;
}

const char* KindName(LinkBlockKind kind) {
    switch (kind) {
    case LinkBlockKind::Link:
        return "Link";
    case LinkBlockKind::Media:
        return "Media";
    case LinkBlockKind::LinkedFile:
        return "Linked-file";
    }
    return "";
}

// One field of a line: nothing in it may end the field or the line.
std::string Field(std::string_view text) {
    if (text.empty()) return "-";
    std::string field(text);
    for (char& c : field)
        if (static_cast<unsigned char>(c) < ' ') c = ' ';
    return Cp1251ToUtf8(field);
}

std::string ResultLine(const PageLink& link, const LinkResult& result, int languageIndex) {
    std::string line = std::to_string(link.line) + '\t' + KindName(link.kind) + '\t' +
                       Field(link.written) + '\t' + Field(link.address) + '\t' +
                       Field(ResultText(result, languageIndex)) + '\t' + Field(result.contentType) +
                       '\t' +
                       (result.contentLength < 0 ? "-" : std::to_string(result.contentLength));
    if (!result.failed && result.kind == AddressKind::Web && result.finalUrl != link.address)
        line += '\t' + Field(result.finalUrl);
    return line + '\n';
}

// The page's own load failed: it has no links to show.
bool PageFailed(Browser& browser, std::ostream& err) {
    const BrowserState& state = browser.State();
    if (state.LastDownloadFailed || state.StatusText == browser.Ui(kUiDownloadError)) {
        err << "quillmar --check-links: the page could not be loaded: "
            << Cp1251ToUtf8(state.LastFailureText.empty() ? state.StatusText
                                                          : state.LastFailureText)
            << "\n";
        return true;
    }
    if (state.LastStatusCode >= 400) {
        err << "quillmar --check-links: the page answered " << state.LastStatusCode << "\n";
        return true;
    }
    return false;
}

} // namespace

int RunCheckLinksMode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      CommandEnvironment& environment) {
    CommandArgs parsed;
    if (std::string problem = ParseCommandArgs(args, ModeOptions{}, parsed);
        !problem.empty()) {
        err << "quillmar --check-links: " << problem << "\n";
        return 2;
    }
    if (!environment.multiTransport) {
        err << "quillmar --check-links: no transport for the requests\n";
        return 1;
    }
    CommandPage page(environment);
    if (!page.Open(parsed, "--check-links", err)) return 2;
    Browser& browser = page.GetBrowser();
    BrowserState& state = browser.State();
    if (!environment.pump.StopRequested() && PageFailed(browser, err)) return 1;

    const std::vector<PageLink> links = CollectPageLinks(state, CheckedBlocks());
    const std::vector<size_t> firsts = FirstOfEachAddress(links);
    std::vector<std::string> addresses;
    for (size_t first : firsts)
        addresses.push_back(links[first].address);
    state.LinkCheckBusy = true;
    state.LinkCheckAbort = environment.pump.StopRequested();
    ParallelLinkTest test(browser, *environment.multiTransport);
    const std::vector<LinkResult> results = test.Run(addresses, state.BaseURL);
    state.LinkCheckBusy = false;

    bool broken = false;
    for (size_t i = 0; i < results.size(); ++i) {
        if (!results[i].done) continue;
        out << ResultLine(links[firsts[i]], results[i], state.LanguageIndex);
        broken = broken || IsBroken(results[i]);
    }
    out.flush();
    const bool stopped = environment.pump.StopRequested();
    if (stopped)
        err << "quillmar --check-links: " << Cp1251ToUtf8(browser.Ui(kUiStoppedBySignal)) << "\n";
    return out && !broken && !stopped ? 0 : 1;
}

} // namespace qm
