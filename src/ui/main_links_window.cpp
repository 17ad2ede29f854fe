// Check page links (Ctrl+Shift+T), Check site links (Ctrl+Shift+L) and Save all linked files
// (Ctrl+Shift+S), and their pop-up items: the work runs in the logic; the window lays the page
// out again as link results come in and frames the broken blocks.

#include <algorithm>

#include "site/site_crawl.h"
#include "site/site_link_check.h"
#include "ui/main_window.h"
#include "ui/save_linked_dialog.h"
#include "view/page_links.h"

namespace qm {
namespace {

// Laying out a big page after every result would cost more than the requests.
constexpr int kMarksRelayoutMs = 250;

} // namespace

void TForm1::BuildLinkCheck() {
    linkCheck_ = std::make_unique<PageLinkCheck>(browser_, *downloader_, *this);
    marksTimer_ = new QTimer(this);
    marksTimer_->setSingleShot(true);
    marksTimer_->setInterval(kMarksRelayoutMs);
    connect(marksTimer_, &QTimer::timeout, this, [this] {
        if (!marksChanged_) return;
        marksChanged_ = false;
        RelayoutKeepingPosition();
        marksTimer_->start();
    });
    connect(CheckLinks1, &QAction::triggered, this, [this] { linkCheck_->Run(); });
    connect(CheckSite1, &QAction::triggered, this, [this] {
        if (!siteCheck_) siteCheck_ = std::make_unique<SiteLinkCheck>(browser_, SiteTransport(), *this);
        siteCheck_->Run();
    });
    connect(SaveAllLinked1, &QAction::triggered, this, [this] {
        if (!SaveLinkedDialog(browser_, this).Ask()) return;
        if (!pageRip_) pageRip_ = std::make_unique<PageRip>(browser_, SiteTransport());
        pageRip_->Run();
    });
}

CurlMultiTransport& TForm1::SiteTransport() {
    if (!siteTransport_) {
        CurlTransportOptions options;
        options.cookieFile = browser_.State().DataFolder + kCookieFileName;
        siteTransport_ = std::make_unique<CurlMultiTransport>(pump_, kCrawlParallel, options);
    }
    return *siteTransport_;
}

void TForm1::LinkMarksChanged() {
    if (marksTimer_->isActive()) {
        marksChanged_ = true;
        return;
    }
    RelayoutKeepingPosition();
    marksTimer_->start();
}

void TForm1::ShowMarkedPicture(const Bitmap& picture) {
    const auto& objects = view_.ViewObjects;
    if (std::none_of(objects.begin(), objects.end(),
                     [](const ViewObject& o) { return o.Broken; })) {
        Image1->SetPicture(picture);
        return;
    }
    Bitmap framed = picture;
    FrameBrokenObjects(framed, objects, view_.PixelZoom);
    Image1->SetPicture(framed);
}

} // namespace qm
