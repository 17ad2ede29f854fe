// The tools of the object info area: the tool row under it, Show page source, and the area's
// size and line wrapping.

#include <QKeyEvent>

#include "net/info_page_tools.h"
#include "tools/info_area_tools.h"
#include "ui/main_window.h"

namespace qm {

void TForm1::BuildInfoTools() {
    const std::pair<PanelButton*, void (*)(Browser&)> textTools[] = {
        {Panel41, DeleteBefore},
        {Panel42, DeleteAfter},
        {Panel26, DecodePercentCodes},
        {Panel27, DecodeEscapes},
        {Panel29, KeepLines},
        {Panel30, [](Browser& b) { SearchText(b, SearchFrom::First); }},
        {Panel31, [](Browser& b) { SearchText(b, SearchFrom::Next); }},
        {Panel39, [](Browser& b) { SearchText(b, SearchFrom::Last); }},
        {Panel33, [](Browser& b) { SplitText(b, SplitPlace::Before); }},
        {Panel28, [](Browser& b) { SplitText(b, SplitPlace::After); }},
    };
    for (auto [panel, tool] : textTools)
        connect(panel, &PanelButton::clicked, this, [this, tool = tool] { tool(browser_); });
    connect(Panel34, &PanelButton::clicked, this,
            [this] { TestLinks(browser_, *downloader_, *this); });
    connect(Panel40, &PanelButton::clicked, this, [this] { LoadAsPageSource(browser_, *this); });
    connect(Panel38, &PanelButton::clicked, this, [this] { SwitchWordWrap(); });
    connect(Panel32, &PanelButton::clicked, this, [this] { browser_.SwitchAreaSize(); });
    connect(N5, &QAction::triggered, this, [this] { ShowPageSource(browser_); });
}

void TForm1::BuildProgramEditor() {
    form6_ = new TForm6({{browser_, *goAction_, *downloader_, *this}, *dialogs_,
                         [this] { Timer2Timer(); }},
                        this);
    connect(Panel47, &PanelButton::clicked, this, [this] { form6_->ShowEditor(); });
    connect(N14, &QAction::triggered, this, [this] { form6_->ShowEditor(); });
}

void TForm1::HideObjectInfo() {
    Memo1->hide();
}

void TForm1::ShowObjectInfo() {
    Memo1->show();
}

// With wrapping the area needs only its vertical scroll bar.
void TForm1::SwitchWordWrap() {
    const bool wrap = Memo1->lineWrapMode() == QPlainTextEdit::NoWrap;
    Memo1->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
}

void TForm1::ApplyAreaSize() {
    QRect area = Memo1->geometry();
    if (browser_.State().AreaMaximized) {
        Panel43->hide();
        area.setTop(ComboBox4->y());
        area.setBottom(Edit5->y() - 4); // 3 pixels free above the search field
        layout_.Move(Memo1, area, kAnchorAll);
        Memo1->raise();
        return;
    }
    Panel43->show();
    area.moveTop(Edit2->y() + 31);
    area.setHeight(Edit5->y() - Edit2->y() - 34);
    layout_.Move(Memo1, area, AnchorLeft | AnchorRight | AnchorBottom);
}

// Shift+Enter would put a line separator into the area, which is no line of its text.
bool TForm1::ObjectInfoKey(QKeyEvent* key) {
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!enter || !(key->modifiers() & Qt::ShiftModifier)) return false;
    Memo1->insertPlainText("\n");
    return true;
}

} // namespace qm
