#include "site/site_link_check.h"

#include <map>
#include <vector>

#include "base/codepage.h"
#include "net/go_action.h"
#include "net/link_test.h"
#include "site/crawl_store.h"
#include "site/site_crawl.h"
#include "state/browser.h"
#include "tools/markup_escape.h"
#include "view/page_links.h"

namespace qm {
namespace {

constexpr int kUiCheckSiteLinks = 300;
constexpr int kUiBroken = 267;
constexpr int kUiStopped = 268;
constexpr int kUiChecking = 301;
constexpr int kUiAddresses = 302;
constexpr int kUiChecked = 303;
constexpr int kUiNotWeb = 304;
constexpr int kUiBrokenByPage = 305;
constexpr int kUiNoneBroken = 306;
constexpr int kUiPageLimit = 307;

std::string Counts(const Browser& browser, const CrawlProgress& progress) {
    return std::to_string(progress.pages) + browser.Ui(kUiAddresses) +
           std::to_string(progress.tested) + browser.Ui(kUiBroken) +
           std::to_string(progress.broken);
}

// The broken addresses under the page where each was first found, in the order of the pages.
std::string ResultPage(const Browser& browser, const CrawlStore& store, const std::string& start,
                       bool limitReached) {
    std::map<int64_t, std::vector<std::string>> byPage;
    store.ForEach([&](const CrawlEntry& entry) {
        if (entry.done && IsBroken(entry.result))
            byPage[entry.firstPage].push_back(ResultText(entry.result, browser.State().LanguageIndex) +
                                              " " + entry.address);
    });
    std::string page = "<html><head><title>" + EscapeMarkup(start) + "</title></head><body>\n<h1>" +
                       EscapeMarkup(browser.Ui(byPage.empty() ? kUiNoneBroken : kUiBrokenByPage)) +
                       "</h1>\n";
    if (limitReached) page += "<p>" + EscapeMarkup(browser.Ui(kUiPageLimit)) + "</p>\n";
    for (const auto& [pageId, lines] : byPage) {
        const std::string address = pageId == 0 ? start : store.Get(pageId).address;
        page += "<p><a href=\"" + EscapeMarkup(address) + "\">" + EscapeMarkup(address) +
                "</a></p>\n<ul>\n";
        for (const std::string& line : lines)
            page += "<li>" + EscapeMarkup(line) + "</li>\n";
        page += "</ul>\n";
    }
    return page + "</body></html>\n";
}

void Show(Browser& browser, const std::string& page, GoActionHost& host) {
    BrowserState& state = browser.State();
    ClearPage(state);
    state.PageSource = state.Utf8Decoding ? Cp1251ToUtf8(page) : page;
    host.PageReady();
}

} // namespace

SiteLinkCheck::SiteLinkCheck(Browser& browser, HttpMultiTransport& transport, GoActionHost& host)
    : browser_(browser), transport_(transport), host_(host) {}

void SiteLinkCheck::Run() {
    BrowserState& state = browser_.State();
    if (state.LinkCheckBusy || state.DownloadBusy) return;
    state.Recorder.Skip(kUiCheckSiteLinks);
    const std::string start = state.CurrentURL;
    if (KindOfAddress(start) != AddressKind::Web) return browser_.SetStatus(browser_.Ui(kUiNotWeb));
    state.LinkCheckAbort = false;
    std::unique_ptr<CrawlStore> store = NewMemoryCrawlStore();
    SiteCrawl crawl(browser_, transport_, *store, CrawlOptions{});
    crawl.Run(start, [this](const CrawlProgress& progress) {
        browser_.SetCaptionPrefix(browser_.Ui(kUiChecking) + Counts(browser_, progress) + " - ");
        browser_.SetForm1Caption(browser_.State().StatusText);
    });
    browser_.SetCaptionPrefix({});
    const bool stopped = state.LinkCheckAbort;
    state.SiteCheckMarks.clear();
    store->ForEach([&](const CrawlEntry& entry) {
        if (entry.done && HasMark(entry.result.kind))
            state.SiteCheckMarks.emplace(entry.address, MarkOf(entry.result, state.LanguageIndex));
    });
    Show(browser_, ResultPage(browser_, *store, start, crawl.PageLimitReached()), host_);
    browser_.SetStatus(browser_.Ui(kUiChecked) + Counts(browser_, crawl.Progress()) +
                       (stopped ? browser_.Ui(kUiStopped) : std::string()));
}

void MarkSiteCheckedLinks(Browser& browser) {
    BrowserState& state = browser.State();
    if (state.SiteCheckMarks.empty()) return;
    for (const PageLink& link : CollectPageLinks(state, browser.Options()))
        if (auto mark = state.SiteCheckMarks.find(link.address); mark != state.SiteCheckMarks.end())
            state.LinkMarks.emplace(link.written, mark->second);
}

} // namespace qm
