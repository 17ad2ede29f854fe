#include "net/go_action.h"

#include <algorithm>
#include <exception>
#include <unistd.h>

#include "state/browser.h"
#include "base/file_io.h"
#include "base/format.h"
#include "base/single_line.h"
#include "base/trim.h"
#include "base/ascii_case.h"
#include "net/bookmarks.h"
#include "base/interfaces.h"
#include "base/codepage.h"

namespace qm {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// "file://" and the path; a Windows path gets forward slashes, while a backslash is an
// ordinary character in the name of a file of this platform.
std::string FileAddressOfPath(const std::string& path) {
    std::string address = "file://" + path;
    if (StartsWith(path, "/")) return address;
    for (char& c : address)
        if (c == '\\') c = '/';
    return address;
}

} // namespace

std::string LocalPathAddress(const std::string& text) {
    const std::string upper = AsciiUpper(text);
    if (StartsWith(upper, "HTTP://") || StartsWith(upper, "HTTPS://") ||
        StartsWith(upper, "FILE://"))
        return {};
    if (text.find(":\\") == std::string::npos && !StartsWith(text, "/")) return {};
    return FileAddressOfPath(text);
}

std::string LocalPathOf(const std::string& fileAddress) {
    std::string path = fileAddress.substr(std::min<size_t>(7, fileAddress.size()));
#ifdef _WIN32
    for (char& c : path)
        if (c == '/') c = '\\';
#endif
    return path;
}

GoAction::GoAction(Browser& browser, GoActionHost& host, Downloader& downloader)
    : browser_(browser), host_(host), downloader_(downloader),
      address_(browser.State().AddressField) {}

void GoAction::SetAddress(const std::string& text) {
    address_.Text = SingleLine(text);
    address_.SelectionStart = text.size();
    address_.SelectionLength = 0;
    host_.ShowAddress(address_);
}

void GoAction::Navigate(const std::string& address) {
    SetAddress(address);
    BitBtn1Click();
}

void GoAction::Go(DownloadMode mode) {
    BrowserState& state = browser_.State();
    // A second page while a download is still filling PageSource and RequestReport would mix
    // the two; the downloader refuses it anyway.
    if (state.DownloadBusy) return;
    const std::string typed(TrimBlanks(address_.Text));
    Load(mode);
    state.Recorder.Record(
        mode == DownloadMode::PagePreview ? ScriptCommand::TestUrl : ScriptCommand::Go, state,
        typed);
}

void GoAction::Load(DownloadMode mode) {
    BrowserState& state = browser_.State();
    host_.ResetViewScroll();
    state.RequestReport.clear();
    browser_.SetStatus(browser_.Ui(3));

    std::string text(TrimBlanks(address_.Text));
    const std::string upper = AsciiUpper(text);
    // A search prefix takes its text as typed, even when the text looks like a local path.
    if (auto search = ExpandSearchPrefix(text)) {
        text = *search;
    } else if (std::string local = LocalPathAddress(text); !local.empty()) {
        text = local;
        SetAddress(text);
    }

    if (upper == "ABOUT:HISTORY") return ShowGeneratedPage(BuildHistoryPage(state));
    if (upper == "ABOUT:BOOKMARKS") return ShowGeneratedPage(RefreshBookmarks(state));
    if (upper == "ABOUT:BLANK") return ShowBlankPage();

    if (text.find("://") == std::string::npos) text = "http://" + text;
    state.CurrentURL = text;
    const std::string scheme = AsciiUpper(text);
    if ((scheme.size() > 7 && StartsWith(scheme, "HTTP://")) ||
        (scheme.size() > 8 && StartsWith(scheme, "HTTPS://")))
        return DownloadPage(text, mode);
    if (scheme.size() > 7 && StartsWith(scheme, "FILE://")) return OpenLocalPage(text);
    // Any other scheme is not fetched; the caption keeps "Connecting...".
}

void GoAction::ShowGeneratedPage(const std::string& page) {
    BrowserState& state = browser_.State();
    host_.ResetViewScroll();
    browser_.SetStatus(browser_.Ui(1));
    ClearPage(state);
    // In UTF-8 mode the decoder turns it back into the same text.
    state.PageSource = state.Utf8Decoding ? Cp1251ToUtf8(page) : page;
    host_.PageReady();
}

void GoAction::ShowBlankPage() {
    BrowserState& state = browser_.State();
    host_.ResetViewScroll();
    browser_.SetStatus(browser_.Ui(1));
    state.DecodedSource.clear();
    ClearPage(state);
    host_.PageReady();
}

void GoAction::ShowSize() {
    host_.ShowSizeLabel(Bytes64ToStr(static_cast<int64_t>(browser_.State().PageSource.size())) +
                        browser_.Ui(0));
}

void GoAction::DownloadPage(const std::string& address, DownloadMode mode) {
    try {
        downloader_.StartDownload(address, mode);
    } catch (const std::exception&) {
        return;
    }
    // The final address after redirects, also when the window has not bound the downloader's
    // view to this address bar.
    SetAddress(browser_.State().CurrentURL);
    ShowSize();
    host_.ResetViewScroll();
    host_.PageReady();
}

void GoAction::OpenLocalPage(const std::string& address) {
    BrowserState& state = browser_.State();
    state.CurrentURL = address;
    state.BaseURL = address;
    // The address is program text (Windows-1251); file names on this system are UTF-8.
    const std::string shownPath = LocalPathOf(address);
    const std::string path = Cp1251ToUtf8(shownPath);
    browser_.SetField(FieldId::File, path);
    ClearPage(state);
    if (!FileExists(path)) {
        browser_.SetStatus(shownPath + ": " + browser_.Ui(182));
        return;
    }
    bool read = ::access(path.c_str(), R_OK) == 0;
    try {
        if (read) state.PageSource = GetFileToString(path);
    } catch (const std::exception&) {
        read = false;
    }
    if (!read) {
        state.PageSource.clear();
        browser_.SetStatus(browser_.Ui(2));
        return;
    }
    ShowSize();
    host_.ResetViewScroll();
    if (RecordHistory() == HistoryRecording::On) {
        RecordHistoryEntry(state, HistoryKind::LocalPage, address, shownPath);
        RepaintHistButtons();
    }
    state.DefaultPageTitle = shownPath;
    state.PageTitle = shownPath;
    browser_.SetStatus(browser_.Ui(1));
    host_.PageReady();
}

void GoAction::EnterPressed(CtrlKey ctrl) {
    BrowserState& state = browser_.State();
    state.CurrentURL = address_.Text;
    const bool preview = (ctrl == CtrlKey::Held) != (state.TrafficSaverMode == 1);
    Go(preview ? DownloadMode::PagePreview : DownloadMode::Page);
}

void GoAction::OpenFile(Dialogs& dialogs) {
    const std::string path = dialogs.AskOpenFile(browser_.Ui(101), browser_.Ui(44));
    if (path.empty()) return;
    SetAddress(FileAddressOfPath(Utf8ToCp1251(path)));
    host_.ResetViewScroll();
    BitBtn1Click();
}

void GoAction::ShowHistoryPage() {
    Navigate("about:history");
}

void GoAction::ShowBookmarksPage() {
    Navigate("about:bookmarks");
}

void GoAction::AddToBookmarks() {
    const BrowserState& state = browser_.State();
    AppendToBroIni(state, state.PageTitle, state.CurrentURL);
    ShowBookmarksPage();
}

void GoAction::StepBack() {
    if (auto address = qm::StepBack(browser_.State())) {
        RepaintHistButtons();
        SetAddress(*address);
    }
}

void GoAction::StepForward() {
    if (auto address = qm::StepForward(browser_.State())) {
        RepaintHistButtons();
        SetAddress(*address);
    }
}

void GoAction::EmptyHistory() {
    ClearHistory(browser_.State());
    RepaintHistButtons();
}

void GoAction::RepaintHistButtons() {
    host_.ShowHistoryButtons(qm::RepaintHistButtons(browser_.State()));
}

void GoAction::PageTitleFound(const std::string& title) {
    NamePageEntry(browser_.State(), RecordHistory(), title);
}

HistoryRecording GoAction::RecordHistory() const {
    return downloader_.Options().recordHistory ? HistoryRecording::On : HistoryRecording::Off;
}

void GoAction::ToggleRecordHistory() {
    bool& recordHistory = downloader_.Options().recordHistory;
    recordHistory = !recordHistory;
}

void GoAction::PutSearchPrefix(SearchService service) {
    qm::PutSearchPrefix(address_, service);
    host_.ShowAddress(address_);
}

void GoAction::PutTranslatePrefix(TranslateTo language) {
    qm::PutTranslatePrefix(address_, language);
    host_.ShowAddress(address_);
}

} // namespace qm
