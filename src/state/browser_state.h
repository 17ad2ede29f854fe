#pragma once
// The state of the main window that every part of the program shares. Strings are
// Windows-1251 byte strings unless said otherwise.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/charset.h"
#include "state/script_recorder.h"

namespace qm {

enum class HistoryKind : int32_t { Page = 0, PagePreview = 1, LinkTest = 2, FileDownload = 3, LocalPage = 4 };

struct HistoryEntry {
    int32_t Traffic = -1;  // bytes of this request; -1 while unknown
    HistoryKind Kind = HistoryKind::Page;
    std::string URL;       // as requested, fragment included
    std::string FileName;  // the saved file (downloads) or the local path (local pages)
};

enum class WindowSize : int32_t { Window = 0, Screen = 1, FullScreen = 2 };

// A one- or multi-line text field of the main window: the window's edit control mirrors it.
struct TextField {
    std::string Text;
    size_t SelectionStart = 0; // the caret when nothing is selected
    size_t SelectionLength = 0;
};

// One answer on the way to a page: the address asked, the code and the header as it came.
struct RequestHop {
    std::string address;
    int32_t status = 0;
    std::vector<std::pair<std::string, std::string>> headers;
};

// The fields, by the controls that show them.
enum class FieldId { Address, Link, File, ObjectInfo, Search }; // Edit1, Edit2, Edit3, Memo1, Edit5

// What the page's link check found for one address: the text its blocks show after the
// address, and whether the address is broken (a failed request or a code of 400 and above).
struct LinkMark {
    std::string code;
    bool broken = false;
};

struct BrowserState {
    std::string PageSource;
    std::string PageContentType;
    std::string DecodedSource;
    std::string RequestReport;  // of the last request, whatever its kind
    // The report of the request that brought the page in PageSource, shown above it; empty for
    // local and generated pages.
    std::string PageReport;
    // The answers that brought the page, redirects first; empty for local and generated pages.
    std::vector<RequestHop> PageHops;
    std::string CurrentURL;
    std::string BaseURL;
    std::string RefererURL;
    std::string StatusText;
    std::string VersionString;
    std::string PageTitle;
    // The title of the page in PageSource when it has no TITLE of its own, which every prepare
    // pass starts from: a local page's path; empty for other pages.
    std::string DefaultPageTitle;

    int32_t LastStatusCode = 0;
    int32_t LastContentLength = 0;  // -1 when unknown
    std::string LastContentType;
    std::string LastRequestURL;
    std::string LastFinalURL;
    std::string LastFailureText; // why the last request failed; empty when it did not

    std::vector<HistoryEntry> History;
    int32_t HistoryPos = -1;

    uint64_t TotalTraffic = 0;
    int32_t TrafficSaverMode = -1;  // -1 off, 0 downloads, 1 full
    bool TrafficScaled = false;
    int32_t LanguageIndex = 1;      // 0 Russian, 1 English

    // Folders end in "/". DataFolder holds the settings and bookmarks: the executable's folder
    // when it is writable, else the per-user data folder.
    std::string ExeFolder;
    std::string WindowsFolder;
    std::string DataFolder;
    std::string DownloadFolder;

    bool OpenArgAtStart = false;
    std::array<std::string, 10> QuickLaunch;

    bool DownloadBusy = false;
    bool DownloadAbort = false;
    bool RenderBusy = false;
    bool ConvertBusy = false;
    bool ProcessAbort = false;
    bool LastDownloadFailed = false;
    bool LinkCheckBusy = false;
    bool LinkCheckAbort = false;

    // The results of the page's link check by address as its blocks write it (quotes removed);
    // they belong to the page and go with it.
    std::unordered_map<std::string, LinkMark> LinkMarks;
    // "Save all linked files": the folder (file-system text; empty: the download folder), the
    // kinds ("media,linked,link") and the extensions ("png,jpg"; empty: any), as last chosen.
    std::string RipFolder;
    std::string RipKinds = "media,linked";
    std::string RipExtensions;
    // The last site check's verdicts by address, which mark the blocks of any page opened.
    std::unordered_map<std::string, LinkMark> SiteCheckMarks;

    // Writes a program of what the user does while it records.
    ScriptRecorder Recorder;

    // Layout state of the main window.
    WindowSize WindowSizeState = WindowSize::Window;
    bool ResizeSuspended = false;
    bool ViewModeOn = false;
    bool AreaMaximized = false;
    bool TouchAvailable = false;

    // Switches of the settings panel whose owners read them headless.
    bool Utf8Decoding = false;  // CheckBox1
    // Decode each page as its header, byte-order mark, meta tag or bytes say, not by the switch.
    bool FollowPageCharset = false;
    // The charset every page is decoded with, when the command line names one.
    std::optional<Charset> ForcedCharset;
    // The charset chosen for the page shown; the next page forgets it.
    std::optional<Charset> PageCharset;
    int32_t ThemeIndex = 0;      // ComboBox4
    int32_t UserAgentPreset = 0; // ComboBox6: 0 is "-", then the presets in list order
    bool ShowScrollBar = true;   // CheckBox35 and the N20 check mark

    TextField AddressField; // Edit1
    TextField LinkField;    // Edit2
    TextField FileField;    // Edit3
    TextField ObjectInfo;   // Memo1; lines end in CR LF
    TextField SearchField;  // Edit5

    TextField& Field(FieldId id) {
        switch (id) {
        case FieldId::Address: return AddressField;
        case FieldId::Link: return LinkField;
        case FieldId::File: return FileField;
        case FieldId::ObjectInfo: return ObjectInfo;
        case FieldId::Search: break;
        }
        return SearchField;
    }
};

// Empties the page and what is known about it, before another page takes its place.
inline void ClearPage(BrowserState& state) {
    state.PageSource.clear();
    state.PageContentType.clear();
    state.PageReport.clear();
    state.PageHops.clear();
    state.PageCharset.reset();
    state.DefaultPageTitle.clear();
    state.LinkMarks.clear();
}

} // namespace qm
