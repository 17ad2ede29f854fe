#include "app/check_links_mode.h"

#include "app/check_site_mode.h"
#include "app/site_options.h"
#include "app/terminal_pump.h"
#include "base/codepage.h"
#include "net/link_test.h"
#include "site/crawl_page.h"
#include "site/link_report.h"
#include "state/browser.h"
#include "view/page_links.h"

namespace qm {
namespace {

constexpr int kUiDownloadError = 2;
constexpr int kUiStoppedBySignal = 263;

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
    SiteArgs site;
    std::vector<std::string> rest = args;
    std::string problem = TakeSiteArgs(rest, site);
    if (problem.empty()) problem = ParseCommandArgs(rest, ModeOptions{}, parsed);
    if (!problem.empty()) {
        err << "quillmar --check-links: " << problem << "\n";
        return 2;
    }
    if (site.recursive) return RunCheckSiteMode(parsed, site, out, err, environment);
    if (!environment.multiTransport) {
        err << "quillmar --check-links: no transport for the requests\n";
        return 1;
    }
    CommandPage page(environment);
    if (!page.Open(parsed, "--check-links", err)) return 2;
    Browser& browser = page.GetBrowser();
    BrowserState& state = browser.State();
    if (!environment.pump.StopRequested() && PageFailed(browser, err)) return 1;

    const std::vector<PageLink> links = CollectPageLinks(state, AllLinkBlocks(parsed.hidden));
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
        out << LinkLine(links[firsts[i]], results[i], site.format, state.LanguageIndex);
        broken = broken || IsBroken(results[i]);
    }
    out.flush();
    const bool stopped = environment.pump.StopRequested();
    if (stopped)
        err << "quillmar --check-links: " << Cp1251ToUtf8(browser.Ui(kUiStoppedBySignal)) << "\n";
    return out && !broken && !stopped ? 0 : 1;
}

} // namespace qm
