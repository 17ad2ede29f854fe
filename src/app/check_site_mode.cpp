#include "app/check_site_mode.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <unordered_map>

#include "app/terminal_pump.h"
#include "base/codepage.h"
#include "net/link_test.h"
#include "site/crawl_store.h"
#include "site/link_report.h"
#include "site/site_crawl.h"
#include "state/browser.h"

namespace qm {
namespace {

constexpr int kUiStoppedBySignal = 263;
constexpr std::string_view kMode = "quillmar --check-links: ";

struct Summary {
    int64_t pages = 0;
    int64_t tested = 0;
    int64_t broken = 0;
    int64_t skipped = 0;
};

bool IsSkipped(const LinkResult& result) {
    return result.kind == AddressKind::NotFetched || result.kind == AddressKind::Data;
}

// Every tested address in the order it was found, with the page it was first found on.
Summary PrintReport(const CrawlStore& store, ReportFormat format, int language,
                    std::ostream& out) {
    Summary summary;
    std::unordered_map<int64_t, std::string> pages; // a page is found before its links
    store.ForEach([&](const CrawlEntry& entry) {
        if (entry.crawled) {
            pages.emplace(entry.id, entry.address);
            ++summary.pages;
        }
        if (!entry.done) return;
        const auto page = pages.find(entry.firstPage);
        out << SiteLine(entry, page == pages.end() ? std::string() : page->second, format,
                        language);
        ++summary.tested;
        summary.broken += IsBroken(entry.result) ? 1 : 0;
        summary.skipped += IsSkipped(entry.result) ? 1 : 0;
    });
    return summary;
}

void ShowProgress(const CrawlProgress& progress, std::ostream& err) {
    char line[160];
    std::snprintf(line, sizeof line,
                  "\r%lld pages read, %lld waiting, %lld tested, %lld broken, %.0f requests/s\x1b[K",
                  static_cast<long long>(progress.pages), static_cast<long long>(progress.waiting),
                  static_cast<long long>(progress.tested), static_cast<long long>(progress.broken),
                  progress.requestsPerSecond);
    err << line << std::flush;
}

std::unique_ptr<CrawlStore> OpenStore(const SiteArgs& site, CommandEnvironment& environment,
                                      std::ostream& err) {
    if (site.stateFile.empty()) return NewMemoryCrawlStore();
    std::string error = "this program cannot keep a state file";
    std::unique_ptr<CrawlStore> store;
    if (environment.openCrawlStore) store = environment.openCrawlStore(site.stateFile, error);
    if (!store) err << kMode << site.stateFile << ": " << error << "\n";
    return store;
}

} // namespace

int RunCheckSiteMode(const CommandArgs& args, const SiteArgs& site, std::ostream& out,
                     std::ostream& err, CommandEnvironment& environment) {
    std::string target = args.target;
    if (!ResolveCommandTarget(target, "--check-links", err)) return 2;
    target = Utf8ToCp1251(target);
    if (KindOfAddress(target) != AddressKind::Web) {
        err << kMode << "--recursive needs an http:// or https:// address\n";
        return 2;
    }
    std::unique_ptr<CrawlStore> store = OpenStore(site, environment, err);
    if (!store) return 2;
    if (const std::string start = store->Setting("start"); !start.empty() && start != target) {
        err << kMode << site.stateFile << " holds the crawl from " << Cp1251ToUtf8(start)
            << "\n";
        return 2;
    }
    std::unique_ptr<HttpMultiTransport> own;
    if (environment.newMultiTransport) own = environment.newMultiTransport(kCrawlParallel);
    HttpMultiTransport* transport = own ? own.get() : environment.multiTransport;
    if (!transport) {
        err << kMode << "no transport for the requests\n";
        return 1;
    }

    CommandPage page(environment);
    page.Configure(args);
    Browser& browser = page.GetBrowser();
    BrowserState& state = browser.State();
    state.LinkCheckAbort = environment.pump.StopRequested();
    const auto started = std::chrono::steady_clock::now();
    SiteCrawl crawl(browser, *transport, *store, site.crawl);
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    crawl.Run(target, [&](const CrawlProgress& progress) {
        if (terminal) ShowProgress(progress, err);
    });
    if (terminal) err << "\r\x1b[K";

    const Summary summary = PrintReport(*store, site.format, state.LanguageIndex, out);
    out.flush();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    char line[200];
    std::snprintf(line, sizeof line,
                  "%lld pages crawled, %lld addresses tested, %lld broken, %lld skipped, %.2f s",
                  static_cast<long long>(summary.pages), static_cast<long long>(summary.tested),
                  static_cast<long long>(summary.broken), static_cast<long long>(summary.skipped),
                  seconds);
    err << kMode << line << "\n";
    if (crawl.PageLimitReached())
        err << kMode << "the page limit of " << site.crawl.maxPages
            << " was reached: pages past it were tested, not read\n";
    const bool stopped = environment.pump.StopRequested();
    if (stopped) err << kMode << Cp1251ToUtf8(browser.Ui(kUiStoppedBySignal)) << "\n";
    return out && summary.broken == 0 && !stopped ? 0 : 1;
}

} // namespace qm
