// Keyboard and wheel scrolling of the view from the address bar (Timer1).

#include <QKeyEvent>
#include <QWheelEvent>

#include <QGuiApplication>

#include "ui/main_window.h"

namespace qm {
namespace {

bool IsScrollKey(int key) {
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
           key == Qt::Key_PageDown;
}

} // namespace

ScrollKeys TForm1::HeldScrollKeys() const {
    ScrollKeys keys;
    keys.ctrl = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
    keys.pageUp = heldKeys_.contains(Qt::Key_PageUp);
    keys.up = heldKeys_.contains(Qt::Key_Up);
    keys.pageDown = heldKeys_.contains(Qt::Key_PageDown);
    keys.down = heldKeys_.contains(Qt::Key_Down);
    return keys;
}

bool TForm1::AddressBarKey(QKeyEvent* key, bool pressed) {
    if (!IsScrollKey(key->key())) {
        if (!pressed && !key->isAutoRepeat()) {
            keyScroll_.KeyUp();
            DrawBar();
        }
        return false;
    }
    if (key->isAutoRepeat()) return key->key() == Qt::Key_Up || key->key() == Qt::Key_Down;
    if (pressed) {
        heldKeys_.insert(key->key());
        if (!keyScroll_.Active()) {
            ScrollKeys keys = HeldScrollKeys();
            keys.ctrl = key->modifiers() & Qt::ControlModifier;
            keyScroll_.KeyDown(keys);
            Timer1Timer();
        }
    } else {
        heldKeys_.remove(key->key());
        keyScroll_.KeyUp();
        DrawBar();
    }
    // Up and Down move the view, not the caret.
    return key->key() == Qt::Key_Up || key->key() == Qt::Key_Down;
}

void TForm1::ReleaseScrollKeys() {
    heldKeys_.clear();
    keyScroll_.KeyUp();
    DrawBar();
}

void TForm1::AddressBarWheel(QWheelEvent* wheel) {
    if (wheel->angleDelta().y() == 0) return;
    keyScroll_.Wheel(wheel->angleDelta().y() < 0);
}

void TForm1::Timer1Timer() {
    if (browser_.State().RenderBusy) return;
    Timer1->stop();
    bool wanted = Edit1->hasFocus() || (isActiveWindow() && keyScroll_.WheelPending());
    if (wanted && keyScroll_.Tick(HeldScrollKeys(), view_)) {
        view_.ScrollBar.Position = view_.ScrollY;
        // A line selection follows the scrolling while the right button is held.
        if (QGuiApplication::mouseButtons() & Qt::RightButton) {
            MouseButtons held;
            held.right = true;
            HandleViewMouse(mouse_->MouseMove(held, mouse_->LastX(), mouse_->LastY()));
        }
        Timer2Timer();
    }
    Timer1->start();
}

} // namespace qm
