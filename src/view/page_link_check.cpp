#include "view/page_link_check.h"

#include <string>
#include <vector>

#include "net/downloader.h"
#include "net/link_test.h"
#include "state/browser.h"
#include "view/page_links.h"

namespace qm {
namespace {

constexpr int kUiCheckPageLinks = 264;
constexpr int kUiChecking = 265;
constexpr int kUiChecked = 266;
constexpr int kUiBroken = 267;
constexpr int kUiStopped = 268;
constexpr int kUiNoLinks = 269;

// Marks every link of the address the result is for.
void MarkAddress(BrowserState& state, const std::vector<PageLink>& links, const PageLink& tested,
                 const LinkMark& mark) {
    for (const PageLink& link : links)
        if (link.address == tested.address) state.LinkMarks.emplace(link.written, mark);
}

} // namespace

PageLinkCheck::PageLinkCheck(Browser& browser, Downloader& downloader, PageLinkCheckHost& host)
    : browser_(browser), downloader_(downloader), host_(host) {}

bool PageLinkCheck::Stopped() const {
    const BrowserState& state = browser_.State();
    return state.LinkCheckAbort || state.DownloadAbort;
}

void PageLinkCheck::Run() {
    BrowserState& state = browser_.State();
    if (state.LinkCheckBusy || state.DownloadBusy) return;
    state.Recorder.Skip(kUiCheckPageLinks);
    const std::vector<PageLink> links = CollectPageLinks(state, browser_.Options());
    const std::vector<size_t> firsts = FirstOfEachAddress(links);
    state.LinkMarks.clear();
    host_.LinkMarksChanged();
    if (firsts.empty()) {
        browser_.SetStatus(browser_.Ui(kUiNoLinks));
        return;
    }

    state.LinkCheckBusy = true;
    state.LinkCheckAbort = false;
    state.DownloadAbort = false;
    struct Release {
        Browser& browser;
        ~Release() {
            browser.State().LinkCheckBusy = false;
            browser.SetCaptionPrefix({});
            browser.RestoreStopCaption();
        }
    } release{browser_};
    // Navigating elsewhere meanwhile ends the check: its marks are for this page.
    const std::string pageUrl = state.CurrentURL;
    const size_t pageSize = state.PageSource.size();
    size_t checked = 0, broken = 0;
    for (; checked < firsts.size() && !Stopped(); ++checked) {
        if (state.CurrentURL != pageUrl || state.PageSource.size() != pageSize) break;
        browser_.SetCaptionPrefix(browser_.Ui(kUiChecking) + std::to_string(checked + 1) + " / " +
                                  std::to_string(firsts.size()) + " - ");
        const PageLink& link = links[firsts[checked]];
        // The downloader shows the status while it waits; the last one's "Ready" would say the
        // check is over.
        browser_.SetStatus(link.address);
        const AddressKind kind = KindOfAddress(link.address);
        LinkResult result;
        if (kind == AddressKind::Web) {
            state.RefererURL = state.BaseURL;
            downloader_.StartDownload(link.address, DownloadMode::LinkTest);
            state.RefererURL.clear();
            if (state.DownloadAbort) break;
            result = LastLinkTest(state);
        } else {
            result = TestWithoutRequest(link.address, kind, state.LanguageIndex);
        }
        if (!HasMark(kind)) continue;
        broken += IsBroken(result) ? 1 : 0;
        MarkAddress(state, links, link, MarkOf(result, state.LanguageIndex));
        host_.LinkMarksChanged();
    }
    std::string summary = browser_.Ui(kUiChecked) + std::to_string(checked) + " / " +
                          std::to_string(firsts.size()) + browser_.Ui(kUiBroken) +
                          std::to_string(broken);
    if (checked < firsts.size()) summary += browser_.Ui(kUiStopped);
    browser_.SetCaptionPrefix({});
    browser_.SetStatus(summary);
}

} // namespace qm
