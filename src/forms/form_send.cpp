#include "forms/form_send.h"

#include "base/format.h"
#include "state/browser.h"

namespace qm {

void SendFormRequest(const FormRequest& request, DownloadMode mode, Browser& browser,
                     Downloader& downloader, GoAction& goAction, GoActionHost& host) {
    goAction.SetAddress(request.address);
    downloader.StartDownload(request.address, mode, request.isPost, request.postData);
    host.ShowSizeLabel(Bytes64ToStr(static_cast<int64_t>(browser.State().PageSource.size())) +
                       browser.Ui(0));
    host.ResetViewScroll();
    host.PageReady();
}

} // namespace qm
