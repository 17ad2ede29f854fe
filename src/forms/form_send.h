#pragma once
// Sending a form request: the address goes into the address bar, the downloader fetches it
// as a page or a preview, and the new page is prepared from the top.

#include "forms/form_request.h"
#include "net/downloader.h"
#include "net/go_action.h"

namespace qm {

void SendFormRequest(const FormRequest& request, DownloadMode mode, Browser& browser,
                     Downloader& downloader, GoAction& goAction, GoActionHost& host);

} // namespace qm
