// The window size cycle (F2) and the switch between settings and view mode (F11).

#include <QGuiApplication>
#include <QScreen>

#include "ui/main_window.h"
#include "state/window_size.h"

namespace qm {

void TForm1::ApplyWindowSize(const WindowSizeChange& change) {
    BrowserState& state = browser_.State();
    state.ResizeSuspended = true;
    if (change.rememberBounds) normalBounds_ = geometry();
    Label12->setText(windowTitle());
    Label12->setVisible(change.captionLabelShown);
    if (change.captionLabelShown) Label12->raise();
    QRect edit = layout_.DesignRect(Edit1);
    edit.moveTop(change.addressBarTop);
    layout_.Place(Edit1, edit, AnchorLeft | AnchorTop | AnchorRight);
    layout_.SetInset(change.borderWidth);
    switch (change.placement) {
    case WindowPlacement::Maximized:
        // Without a window manager nobody maximises: the work area's bounds stand in.
        if (QScreen* screen = this->screen()) setGeometry(screen->availableGeometry());
        showMaximized();
        break;
    case WindowPlacement::WholeScreen:
        // Full-screen state drops the frame without making a new native window, which would
        // lose the keyboard; without a window manager the screen bounds do the same.
        if (QScreen* screen = this->screen()) setGeometry(screen->geometry());
        showFullScreen();
        break;
    case WindowPlacement::RememberedBounds:
        showNormal();
        setGeometry(normalBounds_);
        break;
    }
    pump_.ProcessEvents();
    // The window manager may move the focus while the state changes; without it back, the
    // scroll keys and the wheel would find no active window.
    activateWindow();
    pump_.ProcessEvents();
    state.ResizeSuspended = false;
    layout_.Apply(size());
    Timer3Timer();
    Timer2Timer();
}

void TForm1::ApplyViewMode() {
    const BrowserState& state = browser_.State();
    auto right = [](QWidget* w) { return w->geometry().right(); };
    auto bottom = [](QWidget* w) { return w->geometry().bottom(); };
    QRect area;
    if (state.ViewModeOn) {
        Panel43->show();
        area = QRect(QPoint(CheckBox24->x(), ComboBox1->y()), QPoint(right(Panel24), bottom(Image12)));
    } else {
        if (state.AreaMaximized) Panel43->hide();
        area = QRect(QPoint(Memo1->x(), Image14->y() + 24),
                     QPoint(right(Panel24), Image11->y() - 4 - 1));
    }
    layout_.Move(Panel43, area);
    Panel43->raise();
    if (isActiveWindow()) Edit1->setFocus();
}

} // namespace qm
