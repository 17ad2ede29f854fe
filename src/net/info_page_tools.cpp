#include "net/info_page_tools.h"

#include "base/codepage.h"
#include "base/format.h"
#include "base/trim.h"
#include "net/downloader.h"
#include "net/go_action.h"
#include "net/url.h"
#include "state/browser.h"
#include "tools/info_area_tools.h"
#include "tools/markup_escape.h"

namespace qm {
namespace {

constexpr int kUiBytes = 0;
constexpr int kUiReady = 1;
constexpr int kUiSize = 5;
constexpr int kUiUnknown = 8;
constexpr int kUiLink = 24;
constexpr int kUiCode = 32;
constexpr int kUiContent = 45;
constexpr int kUiTestingLinks = 164;

constexpr const char* kBreak = "<br>";

// One entry of the result page. What the server and the line say is escaped, so that the
// page shows it as written and a line can only make the one object it asks for.
std::string LinkEntry(const Browser& browser, int number, std::string_view line) {
    const BrowserState& state = browser.State();
    std::string entry = std::to_string(number) + ". " + browser.Ui(kUiCode) +
                        std::to_string(state.LastStatusCode) + kBreak;
    if (!state.LastContentType.empty())
        entry += browser.Ui(kUiContent) + EscapeMarkup(state.LastContentType) + kBreak;
    entry += browser.Ui(kUiSize);
    entry += state.LastContentLength < 0
                 ? browser.Ui(kUiUnknown)
                 : BytesToStr(state.LastContentLength) + browser.Ui(kUiBytes);
    entry += kBreak;
    if (state.LastStatusCode == 200)
        entry += browser.Ui(kUiLink) + kBreak + "<object data=\"" + EscapeAddressAttribute(line) +
                 "\"><object>" + kBreak;
    return entry + "-------------------------------" + kBreak;
}

void ShowLinkProgress(Browser& browser, size_t offset, size_t size) {
    const uint64_t percent = 100 * (static_cast<uint64_t>(offset) + 1) / size;
    browser.SetForm1Caption(browser.Ui(kUiTestingLinks) + std::to_string(percent) + "%");
    browser.Pump().ProcessEvents();
}

// The new page, in place of whatever page was shown: its type and report are not this one's.
void ShowResultPage(Browser& browser, const std::string& page, GoActionHost& host) {
    BrowserState& state = browser.State();
    ClearPage(state);
    state.PageSource = state.Utf8Decoding ? Cp1251ToUtf8(page) : page;
    browser.ShowObjectInfo();
    // The objects are media: they are shown only with that option on.
    browser.Options().Media = true;
    browser.SettingsChanged(false);
    browser.SetStatus(browser.Ui(kUiReady));
    host.PageReady();
}

} // namespace

void LoadAsPageSource(Browser& browser, GoActionHost& host) {
    BrowserState& state = browser.State();
    if (state.DownloadBusy) return;
    state.Recorder.BeforeAreaTool(state);
    const std::string& text = state.ObjectInfo.Text;
    state.PageSource = state.Utf8Decoding ? Cp1251ToUtf8(text) : text;
    state.PageContentType.clear();
    host.PageReady();
    state.Recorder.Record(ScriptCommand::SetSource, state);
}

void TestLinks(Browser& browser, Downloader& downloader, GoActionHost& host) {
    BrowserState& state = browser.State();
    if (state.DownloadBusy) return;
    // F5 stops the current request only, but closing the window stops the walk: it sets this
    // flag too. Without a render running, a flag still set is left over from one.
    if (!state.RenderBusy) state.ProcessAbort = false;
    state.Recorder.BeforeAreaTool(state);
    browser.HideObjectInfo();
    browser.Pump().ProcessEvents();
    const std::string text = state.ObjectInfo.Text;
    std::string page;
    int number = 1;
    ForEachLine(text, [&](std::string_view line, size_t offset) {
        if (state.ProcessAbort) return;
        ShowLinkProgress(browser, offset, text.size());
        line = TrimBlanks(line);
        if (line.empty() || state.ProcessAbort) return;
        {
            RefererScope referer(state);
            downloader.StartDownload(AddDomain(state.BaseURL, line), DownloadMode::LinkTest);
        }
        page += LinkEntry(browser, number++, line);
        state.RequestReport.clear();
    });
    ShowResultPage(browser, page, host);
    state.Recorder.Record(ScriptCommand::TestLinks, state);
}

} // namespace qm
