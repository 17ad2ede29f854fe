// The window size cycle (F2) and the switch between settings and view mode (F11).

#include <QGuiApplication>
#include <QScreen>

#include "app/main_window.h"

namespace qm {

void TForm1::CycleWindowSize() {
    BrowserState& state = browser_.State();
    state.ResizeSuspended = true;
    QRect edit = layout_.DesignRect(Edit1);
    switch (state.WindowSizeState) {
    case WindowSize::Window:
        normalBounds_ = geometry();
        Label12->hide();
        edit.moveTop(8);
        setWindowFlags(Qt::Window);
        showMaximized();
        state.WindowSizeState = WindowSize::Screen;
        break;
    case WindowSize::Screen:
        edit.moveTop(4);
        Label12->setText(windowTitle());
        Label12->show();
        Label12->raise();
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        if (QScreen* screen = this->screen()) setGeometry(screen->geometry());
        showNormal();
        state.WindowSizeState = WindowSize::FullScreen;
        break;
    case WindowSize::FullScreen:
        edit.moveTop(8);
        Label12->hide();
        setWindowFlags(Qt::Window);
        showNormal();
        setGeometry(normalBounds_);
        state.WindowSizeState = WindowSize::Window;
        break;
    }
    layout_.Place(Edit1, edit, AnchorLeft | AnchorTop | AnchorRight);
    pump_.ProcessEvents();
    state.ResizeSuspended = false;
    layout_.Apply(size());
    Timer3Timer();
    Timer2Timer();
}

void TForm1::SwitchViewMode() {
    BrowserState& state = browser_.State();
    auto right = [](QWidget* w) { return w->geometry().right(); };
    auto bottom = [](QWidget* w) { return w->geometry().bottom(); };
    QRect area;
    if (!state.ViewModeOn) {
        Panel43->show();
        area = QRect(QPoint(CheckBox24->x(), ComboBox1->y()), QPoint(right(Panel24), bottom(Image12)));
        state.ViewModeOn = true;
    } else {
        if (state.AreaMaximized) Panel43->hide();
        area = QRect(QPoint(Memo1->x(), Image14->y() + 24),
                     QPoint(right(Panel24), Image11->y() - 4 - 1));
        state.ViewModeOn = false;
    }
    layout_.Move(Panel43, area);
    Panel43->raise();
    if (isActiveWindow()) Edit1->setFocus();
}

} // namespace qm
