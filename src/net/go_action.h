#pragma once
// The go action of the address bar: what the typed text means (an address, a local file, a
// search prefix, about:history, about:bookmarks, about:blank) and how the page gets into
// PageSource and on to the renderer. Also the plain operations the window binds to keys,
// buttons and menu items around it: Enter, Ctrl+O, F6, F7, back and forward, the history
// switch and the search menu.

#include <string>

#include "net/downloader.h"
#include "net/history.h"
#include "net/search_prefixes.h"

namespace qm {

class Browser;
class Dialogs;

// What the go action asks of the window, or of a headless caller.
class GoActionHost {
  public:
    virtual ~GoActionHost() = default;
    // A new page is in PageSource: PrepareSite, then a render request.
    virtual void PageReady() = 0;
    virtual void ResetViewScroll() {}
    // The logic changed the address bar text or selection (Edit1 mirrors it).
    virtual void ShowAddress(const AddressBar& /*bar*/) {}
    virtual void ShowSizeLabel(const std::string& /*text*/) {}            // Label1
    virtual void ShowHistoryButtons(const HistoryButtons& /*buttons*/) {} // Label7, arrows
};

enum class CtrlKey { Up, Held };

// The window also binds the downloader's view to this object: its ShowAddress to SetAddress
// and its RepaintHistoryButtons to RepaintHistButtons.
class GoAction {
  public:
    GoAction(Browser& browser, GoActionHost& host, Downloader& downloader);

    // The window keeps the text current as the user types.
    AddressBar& Address() { return address_; }
    const AddressBar& Address() const { return address_; }
    // Replaces the text (caret at the end, line breaks as spaces) and shows it.
    void SetAddress(const std::string& text);

    void BitBtn1Click() { Go(DownloadMode::Page); }        // navigate
    void BitBtn2Click() { Go(DownloadMode::PagePreview); } // test (preview)
    // Records itself as GO or TESTURL with the address as typed.
    void Go(DownloadMode mode);
    // Puts an address into the address bar and navigates (link clicks, scripts, About).
    void Navigate(const std::string& address);

    // Enter in the address bar: Ctrl and the "full" traffic saver each swap page and preview.
    void EnterPressed(CtrlKey ctrl);
    // Ctrl+O: the open dialog, then the chosen file as a local page.
    void OpenFile(Dialogs& dialogs);
    void ShowHistoryPage();   // F6, Panel18
    void ShowBookmarksPage(); // F7, Panel19
    // Panel24: the current page's title and address into bro.ini, then the bookmarks page.
    void AddToBookmarks();

    void StepBack();     // Ctrl+Left, Panel21
    void StepForward();  // Ctrl+Right, Panel22
    void EmptyHistory(); // right mouse button on Panel18
    void RepaintHistButtons();

    // The prepare pass found the page's title: it names the page's history entry.
    void PageTitleFound(const std::string& title);

    // The "Record history (Ctrl+F6)" switch CheckBox25, shared with the downloader.
    HistoryRecording RecordHistory() const;
    void ToggleRecordHistory(); // Ctrl+F6

    void PutSearchPrefix(SearchService service);
    void PutTranslatePrefix(TranslateTo language);

  private:
    void Load(DownloadMode mode);
    void ShowGeneratedPage(const std::string& page);
    void ShowBlankPage();
    void DownloadPage(const std::string& address, DownloadMode mode);
    void OpenLocalPage(const std::string& address);
    void ShowSize();

    Browser& browser_;
    GoActionHost& host_;
    Downloader& downloader_;
    AddressBar& address_; // the state's Edit1 field
};

// A typed local path as a file:// address: a Windows path ("C:\site\a.htm") gets forward
// slashes, an absolute path of this platform ("/home/a.htm") stays as it is. Empty when the
// text is not a local path.
std::string LocalPathAddress(const std::string& text);

// The local path of a file:// address.
std::string LocalPathOf(const std::string& fileAddress);

} // namespace qm
