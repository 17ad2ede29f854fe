// The linked-file row (Edit2 and its buttons) and the file row (Edit3 and its buttons).

#include <QKeyEvent>
#include <QScrollBar>

#include "ui/main_window.h"
#include "platform/qt_convert.h"

namespace qm {

void TForm1::BuildFileBars() {
    shell_ = std::make_unique<DesktopShell>();
    saveFiles_ = std::make_unique<SaveFiles>(browser_, *downloader_, *goAction_, *this, *dialogs_, *shell_);
    connect(Panel12, &PanelButton::clicked, this, [this] { saveFiles_->TestLinkedAddress(); });
    connect(Panel13, &PanelButton::clicked, this, [this] { saveFiles_->BitBtn5Click(); });
    connect(Panel14, &PanelButton::clicked, this, [this] { saveFiles_->NavigateLinkedAddress(); });
    connect(Panel25, &PanelButton::clicked, this, [this] { saveFiles_->MakeLinkAbsolute(); });
    connect(Panel44, &PanelButton::clicked, this, [this] { saveFiles_->DecodeDataAndSave(); });
    connect(Panel15, &PanelButton::clicked, this, [this] { saveFiles_->BitBtn6Click(); });
    connect(Panel16, &PanelButton::clicked, this, [this] { saveFiles_->BitBtn7Click(); });
    connect(Panel17, &PanelButton::clicked, this, [this] { saveFiles_->BitBtn8Click(); });
    connect(Panel46, &PanelButton::clicked, this, [this] { saveFiles_->OpenInQuillmar(); });
    connect(N1, &QAction::triggered, this, [this] { saveFiles_->SaveWebpage(); });
}

bool TForm1::FieldCommandKey(QObject* field, QKeyEvent* key) {
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    CtrlKey ctrl = key->modifiers() & Qt::ControlModifier ? CtrlKey::Held : CtrlKey::Up;
    if (field == Edit2) saveFiles_->LinkFieldEnter(ctrl);
    else if (field == Edit3) saveFiles_->FileFieldEnter(ctrl);
    else return false;
    return true;
}

void TForm1::RunObjectFieldAction(const ClickAction& action) {
    switch (action.kind) {
    case ClickActionKind::TestLink: saveFiles_->TestLinkedAddress(); return;
    case ClickActionKind::SaveResource: saveFiles_->QuickSaveLink(); return;
    default: return;  // with the traffic saver in full mode the field is all a click fills
    }
}

void TForm1::ScrollObjectInfoToEnd() {
    Memo1->verticalScrollBar()->setValue(Memo1->verticalScrollBar()->maximum());
}

} // namespace qm
