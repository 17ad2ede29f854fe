#include "net/downloader.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "state/browser.h"
#include "base/format.h"
#include "base/trim.h"
#include "base/ascii_case.h"
#include "net/download_file.h"
#include "net/download_progress.h"
#include "net/download_request.h"
#include "net/history.h"
#include "net/mime.h"
#include "net/url.h"
#include "base/interfaces.h"
#include "tools/markup_escape.h"

namespace qm {
namespace {

constexpr int kUiSizeLimitCut = 262;
constexpr int kUiStoppedBeforeAnswer = 297;

constexpr uint64_t kProgressIntervalMs = 1000;
// Events and the caption are refreshed by time, not per block, so fast bodies are not slowed
// down by the window.
constexpr uint64_t kPumpIntervalMs = 5;
// A page of announced length is reserved up front, but a lying header must not reserve much.
constexpr int64_t kMaxReserve = 512ll * 1024 * 1024;

uint64_t SteadyTicks() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::string ReplaceAmpersands(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else
            out.push_back(c);
    }
    return out;
}

// One call of StartDownload: the state of the request between its steps.
class DownloadRun {
  public:
    DownloadRun(Browser& browser, HttpTransport& transport, const DownloadOptions& options,
                DownloadView* view, const Downloader::TickSource& ticks, DownloadMode mode)
        : browser_(browser), state_(browser.State()), transport_(transport), options_(options),
          view_(view), ticks_(ticks), mode_(mode),
          sep_(mode == DownloadMode::Page || mode == DownloadMode::PagePreview ? "<br>" : "\r\n") {}

    void Run(const std::string& url, bool isPost, std::string postData,
             const std::string& fileName);

  private:
    bool IsPageMode() const {
        return mode_ == DownloadMode::Page || mode_ == DownloadMode::PagePreview;
    }
    // A report above a page is laid out as markup: what a server or a page supplies must show
    // as written, never as a tag of its own.
    std::string Shown(const std::string& text) const {
        return IsPageMode() ? EscapeMarkup(text) : text;
    }
    void AddLine(const std::string& text) { state_.RequestReport += Shown(text) + sep_; }
    void Fail(const std::string& reason);
    std::string TransportFailure() const;
    int RecordHistory(const std::string& url);
    bool OpenRequest(const UrlParts& parts, FormContentType contentType);
    void FollowRedirects();
    std::string ContentLine(const std::string& contentType) const;
    void ReadBody(int64_t contentLength, const std::string& fileName);
    long long ReadBlock(char* buffer, uint64_t bodyBytes);
    bool Store(const char* data, size_t size);
    void ShowProgress(uint64_t now, uint64_t started, uint64_t bodyBytes, int64_t length);
    void MoveTraffic();
    void Summarise(const std::string& contentType, int64_t contentLength);
    void Finish(int historyIndex, const std::string& fileName);

    Browser& browser_;
    BrowserState& state_;
    HttpTransport& transport_;
    const DownloadOptions& options_;
    DownloadView* view_;
    const Downloader::TickSource& ticks_;
    DownloadMode mode_;
    std::string sep_;

    bool isPost_ = false;
    std::string postData_;
    std::string finalUrl_;
    bool opened_ = false;  // an answer is there to be read
    bool failed_ = false;  // the error flag
    bool stopped_ = false; // F5 before an answer came
    bool cut_ = false;     // the body reached the size limit
    int status_ = 0;
    uint64_t unsent_ = 0; // C: counted, not yet in TotalTraffic
    uint64_t requestBytes_ = 0;
    DownloadFile file_;
};

void DownloadRun::Fail(const std::string& reason) {
    failed_ = true;
    state_.LastFailureText = reason;
    if (!reason.empty()) AddLine(reason);
}

// Why the transport failed, for the report: its own words, or ours for the idle time.
std::string DownloadRun::TransportFailure() const {
    return TransportFailureText(transport_.Error(), transport_.ErrorText(),
                                options_.idleTimeoutSeconds, state_.LanguageIndex);
}

int DownloadRun::RecordHistory(const std::string& url) {
    if (!options_.recordHistory) return -1;
    int index = RecordHistoryEntry(state_, static_cast<HistoryKind>(mode_), url);
    if (view_) view_->RepaintHistoryButtons();
    return index;
}

bool DownloadRun::OpenRequest(const UrlParts& parts, FormContentType contentType) {
    HttpRequest request = BuildHttpRequest(parts, options_, state_.RefererURL, isPost_, postData_,
                                           contentType);
    request.abortFlag = &state_.DownloadAbort;
    if (HostAndPort host = SplitHostPort(parts.HostPart); request.host != host.name) {
        std::string line = browser_.Ui(204) + request.host;
        if (host.port > 0) line.append(1, ':').append(std::to_string(host.port));
        AddLine(line);
    }

    opened_ = transport_.Open(request);
    if (!opened_ && transport_.Error() == TransportError::Aborted) {
        // No failure, but without this line the report would look like an empty page.
        stopped_ = true;
        AddLine(browser_.Ui(kUiStoppedBeforeAnswer));
        return false;
    }
    // A request that could not be made has no answer: code 0, then the reason.
    status_ = opened_ ? transport_.StatusCode() : 0;
    state_.LastStatusCode = status_;
    if (IsPageMode())
        state_.PageHops.push_back({finalUrl_, status_,
                                   opened_ ? HeaderFields(transport_.RawHeaders())
                                           : std::vector<std::pair<std::string, std::string>>()});
    AddLine(browser_.Ui(32) + std::to_string(status_));
    if (!opened_) {
        Fail(TransportFailure());
        return false;
    }
    unsent_ += request.headers.size() + postData_.size();
    return true;
}

// Redirects are followed here, not by the transport, so that every step is reported and
// cookies and the Referer switch apply to each of them.
void DownloadRun::FollowRedirects() {
    for (int followed = 0; opened_ && status_ >= 300 && status_ <= 399; ++followed) {
        const RedirectStep step = NextRedirect(finalUrl_, transport_.Header("Location"), followed);
        if (step.refusal == RedirectRefusal::NoLocation) {
            failed_ = true;
            state_.LastStatusCode = 0;
            return;
        }
        if (step.refusal != RedirectRefusal::None) {
            Fail(RedirectRefusalText(step, state_.LanguageIndex));
            return;
        }
        finalUrl_ = step.address;
        AddLine(browser_.Ui(33) + finalUrl_);
        transport_.Close();
        OpenRequest(SplitURL(finalUrl_), FormContentType::Omitted);
    }
}

std::string DownloadRun::ContentLine(const std::string& contentType) const {
    std::string line = browser_.Ui(45) + contentType;
    std::string extensions = MimeToExt(contentType);
    if (!extensions.empty()) line += " (" + AsciiUpper(extensions) + browser_.Ui(181) + ")";
    return line;
}

bool DownloadRun::Store(const char* data, size_t size) {
    if (mode_ == DownloadMode::FileDownload) return file_.Write(data, size);
    state_.PageSource.append(data, size);
    return true;
}

void DownloadRun::MoveTraffic() {
    state_.TotalTraffic += unsent_;
    requestBytes_ += unsent_;
    unsent_ = 0;
    if (view_) view_->RepaintTraffic();
}

void DownloadRun::ShowProgress(uint64_t now, uint64_t started, uint64_t bodyBytes, int64_t length) {
    state_.StatusText =
        DownloadProgressText(bodyBytes, now - started, length, state_.LanguageIndex);
    MoveTraffic();
}

void DownloadRun::ReadBody(int64_t contentLength, const std::string& fileName) {
    if (mode_ == DownloadMode::FileDownload) {
        if (!file_.Create(fileName)) return Fail(file_.ErrorText());
    } else if (contentLength > 0) {
        int64_t expected = contentLength;
        if (options_.blockLimit > 0)
            expected = std::min<int64_t>(expected, int64_t{options_.blockLimit} * 1024);
        if (options_.maxBodyBytes > 0)
            expected = static_cast<int64_t>(
                std::min<uint64_t>(static_cast<uint64_t>(expected), options_.maxBodyBytes));
        state_.PageSource.reserve(static_cast<size_t>(std::min(expected, kMaxReserve)));
    }
    const int32_t limit = mode_ == DownloadMode::FileDownload ? 0 : options_.blockLimit;
    const uint64_t started = ticks_();
    uint64_t lastProgress = 0;
    uint64_t lastPump = started;
    bool progressShown = false;
    uint64_t bodyBytes = 0;
    int32_t blocks = 0;
    char buffer[Downloader::kBlockSize];
    for (;;) {
        long long got = ReadBlock(buffer, bodyBytes);
        if (got < 0) {
            Fail(TransportFailure());
            break;
        }
        if (got > 0) {
            unsent_ += static_cast<uint64_t>(got);
            bodyBytes += static_cast<uint64_t>(got);
            ++blocks;
            if (!Store(buffer, static_cast<size_t>(got))) {
                Fail(file_.ErrorText());
                break;
            }
        }
        uint64_t now = ticks_();
        if (!progressShown || now - lastProgress >= kProgressIntervalMs) {
            ShowProgress(now, started, bodyBytes, contentLength);
            lastProgress = now;
            progressShown = true;
        }
        bool more = (limit < 1 || blocks < limit) && got > 0 && !cut_ && !state_.DownloadAbort;
        if (!more || now - lastPump >= kPumpIntervalMs) {
            browser_.Pump().ProcessEvents();
            browser_.SetForm1Caption(state_.StatusText);
            lastPump = now;
        }
        if (!more || state_.DownloadAbort) break;
    }
    if (mode_ != DownloadMode::FileDownload) return;
    // F5 keeps what was read, as in a page; only a broken transfer leaves the target alone.
    if (failed_)
        file_.Discard();
    else if (!file_.Commit())
        Fail(file_.ErrorText());
}

// One block of the body. Past the size limit the body is cut, with a report line; one byte more
// than the limit is asked for, so that a body ending exactly there is not reported as cut.
long long DownloadRun::ReadBlock(char* buffer, uint64_t bodyBytes) {
    const uint64_t limit = options_.maxBodyBytes;
    if (limit == 0) return transport_.Read(buffer, Downloader::kBlockSize);
    const uint64_t room = limit - bodyBytes;
    long long got = transport_.Read(buffer, std::min<uint64_t>(Downloader::kBlockSize, room + 1));
    if (got <= 0 || static_cast<uint64_t>(got) <= room) return got;
    cut_ = true;
    AddLine(browser_.Ui(kUiSizeLimitCut) + Bytes64ToStr(static_cast<int64_t>(limit)) +
            browser_.Ui(0));
    return static_cast<long long>(room);
}

void DownloadRun::Summarise(const std::string& contentType, int64_t contentLength) {
    std::string summary = contentType.empty() ? std::string() : Shown(ContentLine(contentType)) + sep_;
    summary += browser_.Ui(5);
    summary += contentLength < 0 ? browser_.Ui(8) : Bytes64ToStr(contentLength) + browser_.Ui(0);
    const std::string urlLine = Shown("URL: " + finalUrl_);
    if (mode_ == DownloadMode::LinkTest) {
        state_.RequestReport += urlLine + sep_ + summary;
        return;
    }
    const std::string& hint = browser_.Ui(state_.TrafficSaverMode == 1 ? 6 : 37);
    state_.RequestReport += urlLine + sep_ + summary + sep_ + sep_ + hint + sep_ + sep_ +
                            browser_.Ui(9) + sep_;
    char buffer[Downloader::kBlockSize];
    long long got = transport_.Read(buffer, sizeof buffer);
    if (got < 0) return Fail(TransportFailure());
    unsent_ += static_cast<uint64_t>(got);
    state_.PageSource.append(buffer, static_cast<size_t>(got));
}

void DownloadRun::Run(const std::string& url, bool isPost, std::string postData,
                      const std::string& fileName) {
    isPost_ = isPost;
    postData_ = std::move(postData);
    browser_.SetForm1Caption(browser_.Ui(3));
    browser_.Pump().ProcessEvents();
    const int historyIndex = RecordHistory(url);

    const std::string address = url.substr(0, url.find('#'));
    if (IsPageMode()) {
        ClearPage(state_);
        state_.DecodedSource.clear();
    }
    state_.DownloadAbort = false;
    AddLine("URL: " + address);

    UrlParts parts = SplitURL(address);
    if (TakePostFromQuery(parts.QueryPart, postData_)) isPost_ = true;
    finalUrl_ = address;
    if (OpenRequest(parts, isPost_ ? FormContentType::Included : FormContentType::Omitted))
        FollowRedirects();

    if (IsPageMode()) {
        state_.CurrentURL = finalUrl_;
        state_.BaseURL = finalUrl_;
        if (view_) view_->ShowAddress(finalUrl_);
    } else if (mode_ == DownloadMode::LinkTest) {
        browser_.SetField(FieldId::Link, AddDomain(state_.CurrentURL, finalUrl_));
    }
    const bool answered = opened_ && !stopped_;
    const int64_t contentLength =
        answered ? ParseContentLength(transport_.Header("Content-Length")) : -1;
    state_.LastContentLength =
        static_cast<int32_t>(std::min<int64_t>(contentLength, std::numeric_limits<int32_t>::max()));
    const std::string contentType = answered ? transport_.Header("Content-Type") : std::string();
    state_.LastContentType = contentType;
    state_.LastRequestURL = url;
    state_.LastFinalURL = finalUrl_;
    if (mode_ == DownloadMode::Page) {
        state_.PageContentType = contentType;
        if (!contentType.empty()) AddLine(ContentLine(contentType));
    }
    if (answered) {
        std::string encoding = transport_.Header("Content-Encoding");
        if (!encoding.empty()) AddLine(browser_.Ui(177) + encoding);
    }
    // After a failure nothing more is read: a redirect's body is not the page asked for.
    if (answered && !failed_) {
        if (mode_ == DownloadMode::Page || mode_ == DownloadMode::FileDownload)
            ReadBody(contentLength, fileName);
        else
            Summarise(contentType, contentLength);
    }
    transport_.Close();
    Finish(historyIndex, fileName);
}

void DownloadRun::Finish(int historyIndex, const std::string& fileName) {
    state_.LastDownloadFailed = failed_;
    if (!failed_) {
        state_.StatusText = browser_.Ui(1);
    } else if (mode_ == DownloadMode::LinkTest) {
        state_.RequestReport += sep_ + browser_.Ui(2);
    } else {
        state_.StatusText = browser_.Ui(2);
        if (IsPageMode()) {
            state_.PageSource.clear();
            state_.PageContentType.clear();
            state_.RequestReport += sep_ + browser_.Ui(2);
        }
    }
    // A page's report was escaped line by line; the link test's report is plain text.
    if (mode_ == DownloadMode::LinkTest)
        state_.RequestReport = ReplaceAmpersands(state_.RequestReport);
    if (IsPageMode()) state_.PageReport = state_.RequestReport;
    MoveTraffic();
    bool counted = mode_ == DownloadMode::Page || mode_ == DownloadMode::FileDownload;
    if (historyIndex >= 0 && options_.recordHistory && counted &&
        static_cast<size_t>(historyIndex) < state_.History.size()) {
        HistoryEntry& entry = state_.History[static_cast<size_t>(historyIndex)];
        entry.Traffic = static_cast<int32_t>(static_cast<uint32_t>(requestBytes_));
        if (mode_ == DownloadMode::FileDownload) entry.FileName = fileName;
    }
}

} // namespace

Downloader::Downloader(Browser& browser, HttpTransport& transport)
    : browser_(browser), transport_(transport), options_(browser.Downloads()), ticks_(SteadyTicks) {}

void Downloader::StartDownload(const std::string& url, DownloadMode mode, bool isPost,
                               const std::string& postData, const std::string& fileName) {
    BrowserState& state = browser_.State();
    if (state.DownloadBusy) return;
    state.DownloadBusy = true;
    state.LastStatusCode = 0;
    state.LastContentLength = 0;
    state.LastContentType.clear();
    state.LastRequestURL.clear();
    state.LastFinalURL.clear();
    state.LastFailureText.clear();
    state.RequestReport.clear();
    if (StartsWithNoCase(TrimBlanks(url), "DATA:")) {
        state.LastContentLength = -1;
        state.DownloadBusy = false;
        return;
    }
    // Busy and the Stop caption are restored even when an error escapes the download.
    struct Release {
        Browser& browser;
        HttpTransport& transport;
        ~Release() {
            transport.Close();
            browser.State().DownloadBusy = false;
            browser.RestoreStopCaption();
            browser.SetForm1Caption(browser.State().StatusText);
        }
    } release{browser_, transport_};
    DownloadRun(browser_, transport_, options_, view_, ticks_, mode)
        .Run(url, isPost, postData, fileName);
}

} // namespace qm
