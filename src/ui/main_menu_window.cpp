// The main pop-up menu PopupMenu1.

#include "ui/main_window.h"
#include "platform/qt_convert.h"

namespace qm {
namespace {

QAction* NewItem(QMenu* menu, const char* name, const QKeySequence& shortcut = {}) {
    auto* action = menu->addAction(QString());
    action->setObjectName(name);
    if (!shortcut.isEmpty()) {
        // The keys are handled by the window's key map; the menu only shows them.
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WidgetShortcut);
        action->setShortcutVisibleInContextMenu(true);
    }
    return action;
}

QMenu* NewSubmenu(QMenu* parent, const char* name) {
    auto* menu = parent->addMenu(QString());
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    return menu;
}

} // namespace

void TForm1::BuildPopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");

    N3 = NewSubmenu(PopupMenu1, "N3");
    // Search items put their prefix into the address bar, replacing its text.
    const std::pair<const char*, SearchService> engines[] = {
        {"AOL", SearchService::Aol},           {"Baidu (CN)", SearchService::Baidu},
        {"Bing", SearchService::Bing},         {"Duckduckgo", SearchService::DuckDuckGo},
        {"Google", SearchService::Google},     {"Yahoo", SearchService::Yahoo},
        {"Yandex (RU)", SearchService::Yandex},
    };
    for (auto [caption, service] : engines)
        connect(N3->addAction(caption), &QAction::triggered, this, [this, service] {
            goAction_->PutSearchPrefix(service);
            if (isActiveWindow()) Edit1->setFocus();
        });
    N3->addSeparator();
    EN1 = NewItem(N3, "EN1");
    RU1 = NewItem(N3, "RU1");
    for (auto [item, language] : {std::pair{EN1, TranslateTo::English}, std::pair{RU1, TranslateTo::Russian}})
        connect(item, &QAction::triggered, this, [this, language] {
            goAction_->PutTranslatePrefix(language);
            if (isActiveWindow()) Edit1->setFocus();
        });

    N8 = NewItem(PopupMenu1, "N8", Qt::Key_F5);
    connect(N8, &QAction::triggered, this, [this] { browser_.Stop(); });
    N9 = NewItem(PopupMenu1, "N9", Qt::Key_F6);
    N10 = NewItem(PopupMenu1, "N10", Qt::Key_F7);
    UTF82 = NewItem(PopupMenu1, "UTF82", Qt::Key_F8);
    connect(UTF82, &QAction::triggered, this, [this] { CheckBox1->toggle(); });
    PageCharset1 = NewItem(PopupMenu1, "PageCharset1", QKeySequence(Qt::SHIFT | Qt::Key_F8));
    connect(PageCharset1, &QAction::triggered, this, [this] { NextPageCharset(); });
    FollowCharset1 = NewItem(PopupMenu1, "FollowCharset1");
    FollowCharset1->setCheckable(true);
    connect(FollowCharset1, &QAction::triggered, this, [this] {
        SwitchFollowPageCharset(browser_.State());
        FollowCharset1->setChecked(browser_.State().FollowPageCharset);
        PrepareSite();
    });
    N11 = NewItem(PopupMenu1, "N11", Qt::Key_F9);
    connect(N11, &QAction::triggered, this, [this] {
        browser_.CycleTrafficSaver();
        RefreshTrafficSaverItem();
    });

    N19 = NewSubmenu(PopupMenu1, "N19");
    N2 = NewItem(N19, "N2", QKeySequence(Qt::CTRL | Qt::Key_O));
    N1 = NewItem(N19, "N1", QKeySequence(Qt::CTRL | Qt::Key_S));
    BMP1 = NewItem(N19, "BMP1", QKeySequence(Qt::CTRL | Qt::Key_P));

    N7 = NewSubmenu(PopupMenu1, "N7");
    N17 = NewItem(N7, "N17", Qt::Key_F2);
    connect(N17, &QAction::triggered, this, [this] { browser_.CycleWindowSize(); });
    N16 = NewItem(N7, "N16", Qt::Key_F11);
    connect(N16, &QAction::triggered, this, [this] { browser_.SwitchViewMode(); });
    N20 = NewItem(N7, "N20", QKeySequence(Qt::CTRL | Qt::Key_F11));
    N20->setCheckable(true);
    N20->setChecked(true);

    N12 = NewSubmenu(PopupMenu1, "N12");
    HTML1 = NewItem(N12, "HTML1", Qt::Key_F12);
    HTML1->setCheckable(true);
    HTML1->setChecked(true);
    N13 = NewItem(N12, "N13", QKeySequence(Qt::SHIFT | Qt::Key_F12));
    N13->setCheckable(true);
    HTMLHEX1 = NewItem(N12, "HTMLHEX1", QKeySequence(Qt::CTRL | Qt::Key_F12));
    HTMLHEX1->setCheckable(true);

    TVF2 = NewSubmenu(PopupMenu1, "TVF2");
    TVF1 = NewItem(TVF2, "TVF1", QKeySequence(Qt::CTRL | Qt::Key_F));
    TVF4 = NewSubmenu(TVF2, "TVF4");
    for (auto [caption, name] : {std::pair{"DOS 8x8", "INT:DOS8X8"}, std::pair{"DOS 8x14", "INT:DOS8X14"},
                                 std::pair{"DOS 8x16", "INT:DOS8X16"}}) {
        std::string font = name;
        connect(TVF4->addAction(caption), &QAction::triggered, this,
                [this, font] { browser_.LoadBitmapFont(font, FontLoadRequest::NotAsked); });
    }
    connect(TVF1, &QAction::triggered, this, [this] {
        std::string path = dialogs_->AskOpenFile(browser_.Ui(172), browser_.Ui(173) + "|" + browser_.Ui(44));
        if (!path.empty()) browser_.LoadBitmapFont(path, FontLoadRequest::Asked);
    });
    TVF3 = NewItem(TVF2, "TVF3");
    connect(TVF3, &QAction::triggered, this, [this] {
        browser_.UnloadBitmapFont();
    });
    DOS1 = NewItem(TVF2, "DOS1");
    DOS1->setCheckable(true);
    connect(DOS1, &QAction::triggered, this, [this] {
        browser_.SwitchDosEncoding();
    });
    connect(Label11, &ClickLabel::clicked, this, [this] { browser_.SwitchDosEncoding(); });
    N15 = NewItem(TVF2, "N15");

    N5 = NewItem(PopupMenu1, "N5", QKeySequence(Qt::CTRL | Qt::Key_E));
    CheckLinks1 =
        NewItem(PopupMenu1, "CheckLinks1", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    CheckSite1 =
        NewItem(PopupMenu1, "CheckSite1", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    SaveAllLinked1 =
        NewItem(PopupMenu1, "SaveAllLinked1", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    N6 = NewItem(PopupMenu1, "N6", QKeySequence(Qt::CTRL | Qt::Key_Q));
    N14 = NewItem(PopupMenu1, "N14", QKeySequence(Qt::CTRL | Qt::Key_F5));
    Record1 = NewItem(PopupMenu1, "Record1", QKeySequence(Qt::CTRL | Qt::Key_R));
    Record1->setCheckable(true);
    connect(Record1, &QAction::triggered, this, [this] { form6_->ToggleRecording(); });
    N4 = NewItem(PopupMenu1, "N4", Qt::Key_F1);
    connect(N4, &QAction::triggered, this, &TForm1::ShowAboutWindow);
    N18 = NewItem(PopupMenu1, "N18");
    connect(N18, &QAction::triggered, this, &QWidget::close);
}

void TForm1::ShowPopupAtLogo() {
    PopupMenu1->popup(Image38->mapToGlobal(QPoint(16, 16)));
}

} // namespace qm
