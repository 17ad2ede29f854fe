// The file field Edit3 and the ways of opening the file it names.

#include "app/browser.h"
#include "app/file_io.h"
#include "net/save_files.h"
#include "platform/interfaces.h"
#include "view/codepage.h"
#include "view/view_interaction.h"

namespace qm {
namespace {

constexpr int kUiFileNotFound = 182;

} // namespace

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
