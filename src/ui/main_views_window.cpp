// The view commands (F12, Shift+F12, Ctrl+F12), the character map and the page image export
// (Ctrl+P).

#include "ui/main_window.h"
#include "view/page_image.h"
#include "view/view_modes.h"

namespace qm {

namespace {
constexpr int kUiViewAsSkipped = 352;
} // namespace

void TForm1::BuildViewCommands() {
    for (auto [item, mode] : {std::pair{HTML1, ViewMode::Html}, std::pair{N13, ViewMode::Text},
                              std::pair{HTMLHEX1, ViewMode::Hex}})
        connect(item, &QAction::triggered, this, [this, mode] { ShowViewAs(mode); });
    connect(N15, &QAction::triggered, this, [this] { ShowCharacterMap(); });
    connect(BMP1, &QAction::triggered, this, [this] { SaveImage(); });
}

void TForm1::ShowViewAs(ViewMode mode) {
    if (mode != ViewMode::Html) browser_.State().Recorder.Skip(kUiViewAsSkipped);
    ChooseViewMode(view_, decode_, mode);
    RepaintViewMarks();
    if (isActiveWindow()) Edit1->setFocus();
    Timer4Timer();
    Timer3Timer();
    Timer2Timer();
}

void TForm1::RepaintViewMarks() {
    HTML1->setChecked(view_.ViewMode == ViewMode::Html);
    N13->setChecked(view_.ViewMode == ViewMode::Text);
    HTMLHEX1->setChecked(view_.ViewMode == ViewMode::Hex);
}

void TForm1::ShowCharacterMap() {
    ShowCharMap(browser_.State(), view_, fonts_, decode_);
    DOS1->setChecked(fonts_.DosEncoding);
    ApplyBitmapFontControls();
    ShowViewAs(ViewMode::Hex);
}

void TForm1::SaveImage() {
    // A pass that runs or is due would leave the export half a layout: Ctrl+P waits for them.
    const BrowserState& state = browser_.State();
    if (state.RenderBusy || state.ConvertBusy || Timer3->isActive() || Timer4->isActive()) {
        if (!imageWaiting_) QTimer::singleShot(50, this, [this] {
            imageWaiting_ = false;
            SaveImage();
        });
        imageWaiting_ = true;
        return;
    }
    SaveWebpageImage(browser_, *renderer_, *this, *dialogs_, *saveFiles_);
}

} // namespace qm
