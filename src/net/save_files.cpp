#include "net/save_files.h"

#include <optional>

#include "state/browser.h"
#include "base/file_io.h"
#include "base/format.h"
#include "base/trim.h"
#include "base/ascii_case.h"
#include "net/downloader.h"
#include "net/file_name.h"
#include "net/mime.h"
#include "net/staged_file.h"
#include "net/url.h"
#include "base/interfaces.h"
#include "net/data_uri.h"
#include "base/codepage.h"

namespace qm {
namespace {

constexpr int kUiBytes = 0;
constexpr int kUiLinkTestSkipped = 349;
constexpr int kUiSavedFileSkipped = 350;
constexpr int kUiDownloadError = 2;
constexpr int kUiSize = 5;
constexpr int kUiCode = 32;
constexpr int kUiDownloading = 41;
constexpr int kUiDownloadAndSaveTitle = 43;
constexpr int kUiAllFilesFilter = 44;
constexpr int kUiViewFileHint = 47;
constexpr int kUiFileSavedAs = 48;
constexpr int kUiSaveWebpageTitle = 102;
constexpr int kUiCannotWriteFile = 258;

bool IsDataUri(std::string_view address) {
    return StartsWithNoCase(TrimBlanks(address), "DATA:");
}

bool IsSuccess(int32_t status) {
    return status >= 200 && status <= 299;
}

// Paths are file-system text; the object info area and the caption show program text.
std::string ShownPath(const std::string& path) {
    return Utf8ToCp1251(path);
}

// The object info area of one save: cleared, then filled line by line, each line shown at
// once because the download that follows keeps the window alive.
class ObjectInfoLines {
  public:
    explicit ObjectInfoLines(Browser& browser) : browser_(browser) {
        browser_.SetField(FieldId::ObjectInfo, {});
    }
    void Add(const std::string& line) {
        text_ += line;
        text_ += "\r\n";
        browser_.SetField(FieldId::ObjectInfo, text_);
    }

  private:
    Browser& browser_;
    std::string text_;
};

// The history names the file the user asked for, not the placeholder it was written through.
void RenameHistoryFile(BrowserState& state, const std::string& from, const std::string& to) {
    for (HistoryEntry& entry : state.History)
        if (entry.FileName == from) entry.FileName = to;
}

} // namespace

std::string SaveFileName(const std::string& address, const std::string& contentType) {
    return FileSystemName(CompleteExtension(GetFileNameByURL(address), contentType));
}

std::string FolderOfPath(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

SaveFiles::SaveFiles(Browser& browser, Downloader& downloader, GoAction& goAction,
                     FileBarHost& host, Dialogs& dialogs, Shell& shell)
    : browser_(browser), downloader_(downloader), goAction_(goAction), host_(host),
      dialogs_(dialogs), shell_(shell) {}

std::string SaveFiles::ErrorAnswerText(int32_t status) const {
    return browser_.Ui(kUiDownloadError) + ": " + browser_.Ui(kUiCode) + std::to_string(status);
}

bool SaveFiles::Busy() const {
    return browser_.State().DownloadBusy;
}

std::string SaveFiles::LinkAddress() {
    return std::string(TrimBlanks(browser_.State().LinkField.Text));
}

std::string SaveFiles::SaveFolder() {
    std::string folder = FolderOfPath(browser_.State().FileField.Text);
    if (!folder.empty() && DirectoryExists(folder)) return folder;
    const std::string& download = browser_.State().DownloadFolder;
    if (download.empty()) return "./";
    return download.back() == '/' ? download : download + "/";
}

void SaveFiles::TestLinkedAddress() {
    if (Busy()) return;
    browser_.State().Recorder.Skip(kUiLinkTestSkipped);
    browser_.SetField(FieldId::ObjectInfo, {});
    browser_.Pump().ProcessEvents();
    // A download started while events ran owns the report now.
    if (Busy()) return;
    BrowserState& state = browser_.State();
    {
        RefererScope referer(state);
        downloader_.StartDownload(LinkAddress(), DownloadMode::LinkTest);
    }
    browser_.SetField(FieldId::ObjectInfo, state.RequestReport);
    host_.ScrollObjectInfoToEnd();
    state.RequestReport.clear();
}

void SaveFiles::LinkFieldEnter(CtrlKey ctrl) {
    const bool test = (ctrl == CtrlKey::Held) != (browser_.State().TrafficSaverMode == 1);
    if (test)
        TestLinkedAddress();
    else
        BitBtn5Click();
}

void SaveFiles::DecodeDataAndSave() { SaveDataUri(LinkAddress(), {}); }

void SaveFiles::MakeLinkAbsolute() {
    browser_.SetField(FieldId::Link, AddDomain(browser_.State().BaseURL, browser_.State().LinkField.Text));
}

void SaveFiles::NavigateLinkedAddress() {
    goAction_.Navigate(LinkAddress());
}

void SaveFiles::BitBtn5Click() {
    if (Busy()) return;
    browser_.State().Recorder.Skip(kUiSavedFileSkipped);
    BrowserState& state = browser_.State();
    std::string address = LinkAddress();
    if (address.empty()) return;
    // The downloader refuses data: addresses; their content is right here.
    if (IsDataUri(address)) {
        SaveDataUri(address, {});
        return;
    }
    bool tested = false;
    if (address != state.LastRequestURL && address != state.LastFinalURL) {
        TestLinkedAddress();
        tested = true;
        // The test puts the address it ended at into the field.
        address = LinkAddress();
    }
    // An error page is no file to save. A fresh test report says what came back; without one,
    // the caption does.
    if (!IsSuccess(state.LastStatusCode)) {
        if (!tested) browser_.SetStatus(ErrorAnswerText(state.LastStatusCode));
        return;
    }
    const std::string name = SaveFileName(address, state.LastContentType);
    const std::string path = dialogs_.AskSaveFile(
        browser_.Ui(kUiDownloadAndSaveTitle), browser_.Ui(kUiAllFilesFilter), SaveFolder() + name);
    if (path.empty()) return;
    DownloadToFile(address, path, IfTaken::Replace);
}

void SaveFiles::QuickSaveLink() {
    if (Busy()) return;
    browser_.State().Recorder.Skip(kUiSavedFileSkipped);
    BrowserState& state = browser_.State();
    const std::string folder = SaveFolder();
    state.LastStatusCode = 0;
    const std::string uri = LinkAddress();
    if (uri.empty()) return;
    if (IsDataUri(uri)) {
        std::optional<std::string> path = SaveDataUri(uri, folder);
        if (path)
            OpenFile(*path, IsMediaType(GetDataType(uri)) ? SavedFileView::DefaultApp
                                                          : SavedFileView::Folder);
        return;
    }
    TestLinkedAddress();
    if (!IsSuccess(state.LastStatusCode)) return;
    const std::string address = LinkAddress();
    const std::string path = folder + SaveFileName(address, state.LastContentType);
    const bool media = IsMediaType(state.LastContentType);
    // Without a dialog nobody was asked about an older file of that name: it stays.
    if (std::optional<std::string> saved = DownloadToFile(address, path, IfTaken::NextFreeName))
        OpenFile(*saved, media ? SavedFileView::DefaultApp : SavedFileView::Folder);
}

std::optional<std::string> SaveFiles::SaveDataUri(const std::string& uri,
                                                  const std::string& folder) {
    try {
        std::optional<std::string> path =
            DoSaveData64(uri, folder, dialogs_, browser_.State().LanguageIndex, SaveFolder());
        if (path) browser_.SetField(FieldId::File, *path);
        return path;
    } catch (const DataSaveError& error) {
        browser_.SetStatus(error.what());
        return std::nullopt;
    }
}

std::optional<std::string> SaveFiles::DownloadToFile(const std::string& address,
                                                     const std::string& path, IfTaken ifTaken) {
    if (Busy()) return std::nullopt;
    BrowserState& state = browser_.State();
    ObjectInfoLines info(browser_);
    info.Add(browser_.Ui(kUiDownloading) + " " + address);
    StagedFile staged;
    if (!staged.Create(path)) {
        state.LastDownloadFailed = true;
        browser_.SetStatus(browser_.Ui(kUiDownloadError));
        info.Add(state.StatusText);
        return std::nullopt;
    }
    {
        RefererScope referer(state);
        downloader_.StartDownload(address, DownloadMode::FileDownload, false, {}, staged.Path());
    }
    const std::string placeholder = staged.Path();
    // The download's own answer counts too: the server may answer it differently from the test.
    // Code 0 without a failure is a download stopped before the answer came.
    const int32_t status = state.LastStatusCode;
    if (!state.LastDownloadFailed && status != 0 && !IsSuccess(status))
        browser_.SetStatus(ErrorAnswerText(status));
    info.Add(state.StatusText);
    std::optional<std::string> saved;
    if (!state.LastDownloadFailed && IsSuccess(status)) {
        saved = staged.Commit(ifTaken);
        if (!saved) {
            state.LastDownloadFailed = true;
            browser_.SetStatus(browser_.Ui(kUiDownloadError));
            info.Add(state.StatusText);
        }
    }
    RenameHistoryFile(state, placeholder, ShownPath(saved.value_or(path)));
    if (!saved) return std::nullopt;
    browser_.SetField(FieldId::File, *saved);
    info.Add(browser_.Ui(kUiFileSavedAs) + ShownPath(*saved));
    info.Add(browser_.Ui(kUiSize) + Bytes64ToStr(GetFileSize(*saved)) + browser_.Ui(kUiBytes));
    info.Add(browser_.Ui(kUiViewFileHint));
    return saved;
}

void SaveFiles::SaveWebpage() {
    browser_.State().Recorder.Skip(kUiSavedFileSkipped);
    const BrowserState& state = browser_.State();
    const std::string name = SaveFileName(state.CurrentURL, state.PageContentType);
    const std::string path = dialogs_.AskSaveFile(
        browser_.Ui(kUiSaveWebpageTitle), browser_.Ui(kUiAllFilesFilter), SaveFolder() + name);
    if (path.empty()) return;
    if (WriteFileAtomically(path, state.PageSource))
        browser_.SetField(FieldId::File, path);
    else
        browser_.SetForm1Caption(browser_.Ui(kUiCannotWriteFile) + ShownPath(path));
}

} // namespace qm
