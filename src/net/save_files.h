#pragma once
// Saving what a page links to: the link field Edit2 with "Test", "Download and save" and
// "Navigate", the dialog-free quick save of a Ctrl+clicked link, saving the current page, and
// the file field Edit3 with the ways of opening the saved file.

#include <cstdint>
#include <optional>
#include <string>

#include "net/go_action.h"
#include "net/staged_file.h"

namespace qm {

class Browser;
class Dialogs;
class Downloader;
class Shell;

// The fields of the file bar and the object info area live in the browser state: the link
// field is program text (Windows-1251); the file field is a path as the file system spells it
// (UTF-8), as the dialogs give it. The window only scrolls the area.
class FileBarHost {
  public:
    virtual ~FileBarHost() = default;
    virtual void ScrollObjectInfoToEnd() {}
};

// How a saved file is opened.
enum class SavedFileView { DefaultApp, Folder, TextEditor };

class SaveFiles {
  public:
    SaveFiles(Browser& browser, Downloader& downloader, GoAction& goAction, FileBarHost& host,
              Dialogs& dialogs, Shell& shell);

    // Panel12: the link test of Edit2; its report fills the object info area.
    void TestLinkedAddress();
    // Panel13: "Download and save as..." with the save dialog.
    void BitBtn5Click();
    // Enter in Edit2 saves and Ctrl+Enter tests; the "full" traffic saver swaps them.
    void LinkFieldEnter(CtrlKey ctrl);
    // Panel14: the address bar takes Edit2 and navigates.
    void NavigateLinkedAddress();
    // A Ctrl+clicked link with the traffic saver off, after its address went into Edit2:
    // tested, saved without a dialog into the folder of Edit3 or the download folder, opened.
    void QuickSaveLink();
    // Ctrl+S: PageSource as it is into a file chosen in the save dialog.
    void SaveWebpage();
    // "Decode data and save" (Panel44): the data URI of the link field, wherever the dialog says.
    void DecodeDataAndSave();
    // "Make address absolute" (Panel25): the link field resolved against BaseURL.
    void MakeLinkAbsolute();

    void BitBtn6Click() { OpenSavedFile(SavedFileView::DefaultApp); } // Panel15, Enter in Edit3
    void BitBtn7Click() { OpenSavedFile(SavedFileView::Folder); }     // Panel16, Ctrl+Enter
    void BitBtn8Click() { OpenSavedFile(SavedFileView::TextEditor); } // Panel17
    void FileFieldEnter(CtrlKey ctrl);
    // Panel46: the saved file as a local page.
    void OpenInQuillmar();

    // Where a save without a dialog goes: the folder of Edit3 when it exists, else the
    // download folder. Ends in "/".
    std::string SaveFolder();

  private:
    bool Busy() const;
    // Edit2 without the blanks a typed address may carry.
    std::string LinkAddress();
    void OpenSavedFile(SavedFileView view);
    void OpenFile(const std::string& path, SavedFileView view);
    // The path written, or nothing (cancelled, or the caption says why).
    std::optional<std::string> SaveDataUri(const std::string& uri, const std::string& folder);
    // Saves the address's body as path, or under the next free name; the file field names the
    // file only once it is there. The path written, or nothing.
    std::optional<std::string> DownloadToFile(const std::string& address, const std::string& path,
                                              IfTaken ifTaken);
    // "Download error: Code 404": an answer that is no file to save.
    std::string ErrorAnswerText(int32_t status) const;

    Browser& browser_;
    Downloader& downloader_;
    GoAction& goAction_;
    FileBarHost& host_;
    Dialogs& dialogs_;
    Shell& shell_;
};

// The name a save proposes for an address: GetFileNameByURL completed with the extension of
// the content type, as a UTF-8 name that fits the file system.
std::string SaveFileName(const std::string& address, const std::string& contentType);

// The folder part of a path, through its last "/"; empty when it has none.
std::string FolderOfPath(const std::string& path);

} // namespace qm
