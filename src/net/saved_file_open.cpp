// The file field Edit3 and the ways of opening the file it names.

#include <algorithm>

#include "state/browser.h"
#include "base/file_io.h"
#include "state/ui_strings.h"
#include "net/save_files.h"
#include "net/saved_file_open.h"
#include "base/interfaces.h"
#include "base/codepage.h"

namespace qm {
namespace {

constexpr int kUiFileNotFound = 182;

} // namespace

OpenSavedFileResult OpenSavedFile(const std::string& savedPath, const BrowserState& browser) {
    OpenSavedFileResult result;
    if (savedPath.empty() || browser.RenderBusy || browser.ConvertBusy) return result;
    // The field holds a file name of this system (UTF-8); addresses and captions are program
    // text (Windows-1251). POSIX paths keep their backslashes.
    std::string path = Utf8ToCp1251(savedPath);
    if (FileExists(savedPath)) {
        if (path.front() != '/') std::replace(path.begin(), path.end(), '\\', '/');
        result.kind = OpenSavedFileResult::Kind::Navigate;
        result.text = "file://" + path;
    } else {
        result.kind = OpenSavedFileResult::Kind::NotFound;
        result.text = UiString(kUiFileNotFound, browser.LanguageIndex) + ": " + path;
    }
    return result;
}

void SaveFiles::FileFieldEnter(CtrlKey ctrl) {
    if (ctrl == CtrlKey::Held)
        BitBtn7Click();
    else
        BitBtn6Click();
}

void SaveFiles::OpenSavedFile(SavedFileView view) {
    OpenFile(browser_.State().FileField.Text, view);
}

void SaveFiles::OpenFile(const std::string& path, SavedFileView view) {
    if (path.empty()) return;
    if (!FileExists(path)) {
        // Only the caption: the status line keeps what the last operation said.
        browser_.SetForm1Caption(Utf8ToCp1251(path) + ": " + browser_.Ui(kUiFileNotFound));
        return;
    }
    bool started = false;
    switch (view) {
    case SavedFileView::DefaultApp:
        started = shell_.OpenWithDefaultApp(path);
        break;
    case SavedFileView::Folder:
        started = shell_.ShowInFileManager(path);
        break;
    case SavedFileView::TextEditor:
        started = shell_.OpenInTextEditor(path);
        break;
    }
    if (!started) browser_.SetForm1Caption(browser_.ShellErrorText(shell_.Error()));
}

void SaveFiles::OpenInQuillmar() {
    OpenSavedFileResult result = qm::OpenSavedFile(browser_.State().FileField.Text, browser_.State());
    switch (result.kind) {
    case OpenSavedFileResult::Kind::Navigate:
        goAction_.Navigate(result.text);
        break;
    case OpenSavedFileResult::Kind::NotFound:
        browser_.SetForm1Caption(result.text);
        break;
    case OpenSavedFileResult::Kind::Nothing:
        break;
    }
}

} // namespace qm
