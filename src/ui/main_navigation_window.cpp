// Navigation in the main window: the address bar, the go action, the downloader, the history
// and bookmarks buttons.

#include <QKeyEvent>

#include "ui/main_window.h"
#include "platform/qt_convert.h"

namespace qm {
namespace {

std::string CookieFile(const BrowserState& state) { return state.DataFolder + kCookieFileName; }

} // namespace

void TForm1::BuildNavigation() {
    CurlTransportOptions transport;
    transport.cookieFile = CookieFile(browser_.State());
    transport_ = std::make_unique<CurlTransport>(pump_, transport);
    downloader_ = std::make_unique<Downloader>(browser_, *transport_);
    downloader_->SetView(this);
    goAction_ = std::make_unique<GoAction>(browser_, *this, *downloader_);
    dialogs_ = std::make_unique<QtDialogs>(this);
    goAction_->RepaintHistButtons();

    connect(Panel11, &PanelButton::clicked, this, [this] {
        goAction_->BitBtn1Click();
    });
    connect(Panel10, &PanelButton::clicked, this, [this] {
        goAction_->BitBtn2Click();
    });
    connect(Panel24, &PanelButton::clicked, this, [this] { goAction_->AddToBookmarks(); });
    connect(Panel18, &PanelButton::clicked, this, [this] { goAction_->ShowHistoryPage(); });
    connect(Panel18, &PanelButton::rightClicked, this, [this] { goAction_->EmptyHistory(); });
    connect(Panel19, &PanelButton::clicked, this, [this] { goAction_->ShowBookmarksPage(); });
    connect(Panel21, &PanelButton::clicked, this, [this] { goAction_->StepBack(); });
    connect(Panel22, &PanelButton::clicked, this, [this] { goAction_->StepForward(); });
    connect(N9, &QAction::triggered, this, [this] { goAction_->ShowHistoryPage(); });
    connect(N10, &QAction::triggered, this, [this] { goAction_->ShowBookmarksPage(); });
    connect(N2, &QAction::triggered, this, [this] { goAction_->OpenFile(*dialogs_); });
}

bool TForm1::AddressBarCommandKey(QKeyEvent* key) {
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        goAction_->EnterPressed(ctrl ? CtrlKey::Held : CtrlKey::Up);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (!ctrl) return false;
        if (key->key() == Qt::Key_Left) goAction_->StepBack();
        else goAction_->StepForward();
        return true;
    default:
        return false;
    }
}

void TForm1::NavigateFromAddressBar() {
    goAction_->BitBtn1Click();
}

// GoActionHost
void TForm1::PageReady() {
    MarkSiteCheckedLinks(browser_);
    PrepareSite();
    Timer2Timer();
}

void TForm1::ResetViewScroll() {
    view_.ScrollY = 0;
    view_.ScrollBar.Position = 0;
}

void TForm1::ShowAddress(const AddressBar&) { FieldChanged(FieldId::Address); }

void TForm1::ShowSizeLabel(const std::string& text) { Label1->setText(ToQString(text)); }

void TForm1::ShowHistoryButtons(const HistoryButtons& buttons) {
    Label7->setText(ToQString(buttons.CounterText));
    Image34->setVisible(buttons.BackVisible);
    Image36->setVisible(!buttons.BackVisible);
    Image35->setVisible(buttons.ForwardVisible);
    Image37->setVisible(!buttons.ForwardVisible);
}

// DownloadView
void TForm1::ShowAddress(const std::string& url) { goAction_->SetAddress(url); }

void TForm1::RepaintTraffic() { RepaintTrafficPanel(); }

void TForm1::RepaintHistoryButtons() { goAction_->RepaintHistButtons(); }

} // namespace qm
