#pragma once
// StartDownload: the one place where the program talks to a web server. It fetches one
// address, follows redirects itself, writes the request report, and puts the body into
// PageSource, into a file, or only looks at the answer, depending on the mode.

#include <cstdint>
#include <functional>
#include <string>

#include "net/download_request.h"
#include "state/browser_state.h"
#include "state/download_options.h"

namespace qm {

class Browser;
class HttpTransport;

enum class DownloadMode : int32_t { Page = 0, PagePreview = 1, LinkTest = 2, FileDownload = 3 };

// The cookie jar, inside BrowserState::DataFolder.
inline constexpr const char* kCookieFileName = "cookies.txt";

// What a download shows in the main window besides the caption.
class DownloadView {
  public:
    virtual ~DownloadView() = default;
    virtual void ShowAddress(const std::string& url) = 0;   // address bar Edit1 (modes 0, 1)
    virtual void RepaintTraffic() = 0;                      // traffic panel Panel9
    virtual void RepaintHistoryButtons() = 0;
};

// The Referer of a request started from the file bar or the object info area is the page its
// address was found on, for that request only.
class RefererScope {
  public:
    explicit RefererScope(BrowserState& state) : state_(state) {
        state_.RefererURL = state_.BaseURL;
    }
    ~RefererScope() { state_.RefererURL.clear(); }
    RefererScope(const RefererScope&) = delete;
    RefererScope& operator=(const RefererScope&) = delete;

  private:
    BrowserState& state_;
};

class Downloader {
  public:
    // Milliseconds from any fixed start.
    using TickSource = std::function<uint64_t()>;

    static constexpr int kMaxRedirects = qm::kMaxRedirects;
    static constexpr size_t kBlockSize = 1024;

    Downloader(Browser& browser, HttpTransport& transport);

    // The browser's download switches; a download reads them as it goes.
    DownloadOptions& Options() { return options_; }
    void SetView(DownloadView* view) { view_ = view; }
    void SetTickSource(TickSource ticks) { ticks_ = std::move(ticks); }

    // Refused (does nothing) while another download runs. Results go to the browser state.
    void StartDownload(const std::string& url, DownloadMode mode, bool isPost = false,
                       const std::string& postData = {}, const std::string& fileName = {});

  private:
    Browser& browser_;
    HttpTransport& transport_;
    DownloadOptions& options_;
    DownloadView* view_ = nullptr;
    TickSource ticks_;
};

} // namespace qm
