#include "forms/form_send.h"

#include "base/format.h"
#include "state/browser.h"

namespace qm {
namespace {
constexpr int kUiFormPreview = 341;
} // namespace

void SendFormRequest(const FormRequest& request, DownloadMode mode, Browser& browser,
                     Downloader& downloader, GoAction& goAction, GoActionHost& host) {
    goAction.SetAddress(request.address);
    const std::string base = browser.State().BaseURL;
    downloader.StartDownload(request.address, mode, request.isPost, request.postData);
    host.ShowSizeLabel(Bytes64ToStr(static_cast<int64_t>(browser.State().PageSource.size())) +
                       browser.Ui(0));
    host.ResetViewScroll();
    host.PageReady();
    // The program the form editor would write for the request does it again.
    BrowserState& state = browser.State();
    if (mode == DownloadMode::Page)
        state.Recorder.RecordLines(DataSendingProgram(base, request), state);
    else
        state.Recorder.Skip(kUiFormPreview);
}

} // namespace qm
