#pragma once
// StartDownload: the one place where the program talks to a web server. It fetches one
// address, follows redirects itself, writes the request report, and puts the body into
// PageSource, into a file, or only looks at the answer, depending on the mode.

#include <cstdint>
#include <functional>
#include <string>

namespace qm {

class Browser;
class HttpTransport;

enum class DownloadMode : int32_t { Page = 0, PagePreview = 1, LinkTest = 2, FileDownload = 3 };

// The cookie jar, inside BrowserState::DataFolder.
inline constexpr const char* kCookieFileName = "cookies.txt";

// The settings panel's values that a download reads.
struct DownloadOptions {
    int32_t blockLimit = 0;    // ComboBox3: at most this many 1024-byte blocks; 0 reads all
    bool recordHistory = true; // CheckBox25
    bool sendReferer = true;   // CheckBox29
    bool cookies = true;       // CheckBox30
    std::string userAgent;     // Edit4; empty sends none
    // Limits of the command-line modes; the window has F5 and the block limit instead.
    int32_t idleTimeoutSeconds = 0; // nothing received for this long fails; 0 waits for ever
    uint64_t maxBodyBytes = 0;      // the body is cut here with a report line; 0 reads all
};

// What a download shows in the main window besides the caption.
class DownloadView {
  public:
    virtual ~DownloadView() = default;
    virtual void ShowAddress(const std::string& url) = 0;   // address bar Edit1 (modes 0, 1)
    virtual void ShowLinkField(const std::string& url) = 0; // link field Edit2 (mode 2)
    virtual void RepaintTraffic() = 0;                      // traffic panel Panel9
    virtual void RepaintHistoryButtons() = 0;
};

class Downloader {
  public:
    // Milliseconds from any fixed start.
    using TickSource = std::function<uint64_t()>;

    static constexpr int kMaxRedirects = 20;
    static constexpr size_t kBlockSize = 1024;

    Downloader(Browser& browser, HttpTransport& transport);

    // The window keeps these in step with its controls; a download reads them as it goes.
    DownloadOptions& Options() { return options_; }
    void SetView(DownloadView* view) { view_ = view; }
    void SetTickSource(TickSource ticks) { ticks_ = std::move(ticks); }

    // Refused (does nothing) while another download runs. Results go to the browser state.
    void StartDownload(const std::string& url, DownloadMode mode, bool isPost = false,
                       const std::string& postData = {}, const std::string& fileName = {});

  private:
    Browser& browser_;
    HttpTransport& transport_;
    DownloadOptions options_;
    DownloadView* view_ = nullptr;
    TickSource ticks_;
};

} // namespace qm
