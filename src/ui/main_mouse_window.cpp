// The mouse on the view (Image1) and on the control bar (Image31), and the scroll bar switch.

#include <QMouseEvent>
#include <QSignalBlocker>

#include "ui/form_editor_window.h"
#include "ui/main_window.h"
#include "platform/qt_convert.h"

namespace qm {
namespace {

MouseButtons Held(Qt::MouseButtons buttons) {
    return MouseButtons{bool(buttons & Qt::LeftButton), bool(buttons & Qt::RightButton),
                        bool(buttons & Qt::MiddleButton)};
}

std::optional<MouseButton> Button(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton: return MouseButton::Left;
    case Qt::RightButton: return MouseButton::Right;
    case Qt::MiddleButton: return MouseButton::Middle;
    default: return std::nullopt;
    }
}

QPoint At(QMouseEvent* event) { return event->position().toPoint(); }

} // namespace

void TForm1::BuildMouse() {
    mouse_ = std::make_unique<ViewMouse>(view_, browser_.State(), options_);
    controlBar_ = std::make_unique<ControlBar>(view_, browser_.State());
    connect(Image1, &SourceView::mousePressed, this, [this](QMouseEvent* e) {
        if (auto button = Button(e->button())) HandleViewMouse(mouse_->MouseDown(*button, At(e).x(), At(e).y()));
    });
    connect(Image1, &SourceView::mouseMoved, this, [this](QMouseEvent* e) {
        HandleViewMouse(mouse_->MouseMove(Held(e->buttons()), At(e).x(), At(e).y()));
    });
    connect(Image1, &SourceView::mouseReleased, this, [this](QMouseEvent* e) {
        auto button = Button(e->button());
        if (!button) return;
        KeyModifier keys = e->modifiers() & Qt::ControlModifier ? KeyModifier::Ctrl : KeyModifier::None;
        HandleViewMouse(mouse_->MouseUp(*button, keys, At(e).x(), At(e).y()));
    });
    // The wheel scrolls the view alike over the view and over the control bar.
    for (SourceView* image : {Image1, Image31})
        connect(image, &SourceView::wheelTurned, this, [this](QWheelEvent* e) {
            if (e->angleDelta().y() != 0) keyScroll_.Wheel(e->angleDelta().y() < 0);
        });
    connect(Image31, &SourceView::mousePressed, this, [this](QMouseEvent* e) {
        HandleBarResult(controlBar_->MouseDown(Held(e->buttons()), At(e).x(), At(e).y()));
    });
    connect(Image31, &SourceView::mouseMoved, this, [this](QMouseEvent* e) {
        HandleBarResult(controlBar_->MouseMove(Held(e->buttons()), At(e).y()));
    });
    connect(Image31, &SourceView::mouseReleased, this, [this](QMouseEvent*) {
        HandleBarResult(controlBar_->MouseUp());
    });
    connect(Image31, &SourceView::resized, this, [this] { DrawBar(); });
    connect(Timer6, &QTimer::timeout, this, [this] { HandleBarResult(controlBar_->TimerTick()); });
    connect(N20, &QAction::triggered, this, [this] { browser_.SwitchScrollBar(); });
}

void TForm1::HandleViewMouse(const ViewMouseResult& result) {
    if (result.cursor) Image1->setCursor(*result.cursor == ViewCursor::Hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (result.focusAddressBar && isActiveWindow()) Edit1->setFocus();
    if (result.frame) {
        const ClickFrame& f = *result.frame;
        Image1->DrawFrame(QRect(QPoint(f.left, f.top), QPoint(f.right - 1, f.bottom - 1)), f.penWidth, f.colour);
    }
    // The frame stays in view while the action runs; the paint afterwards removes it.
    RunClickAction(result.action);
    if (result.paint) Timer2Timer();
}

void TForm1::RunClickAction(const ClickAction& action) {
    BrowserState& state = browser_.State();
    switch (action.kind) {
    case ClickActionKind::None:
        return;
    case ClickActionKind::OpenForm:
        if (formEditor_) formEditor_->OpenForm(action.text, action.baseUrl);
        return;
    case ClickActionKind::FollowLink:
        goAction_->SetAddress(action.address);
        state.RefererURL = action.baseUrl;
        goAction_->BitBtn1Click();
        state.RefererURL.clear();
        return;
    case ClickActionKind::ShowCode:
        browser_.SetField(FieldId::ObjectInfo, action.text);
        return;
    case ClickActionKind::ChooseCharset:
        if (ChoosePageCharset(state, action.text)) PrepareSite();
        return;
    case ClickActionKind::FillObjectField:
    case ClickActionKind::TestLink:
    case ClickActionKind::SaveResource:
        browser_.SetField(FieldId::Link, action.address);
        RunObjectFieldAction(action);
        return;
    }
}

void TForm1::HandleBarResult(const ControlBarResult& result) {
    if (result.focusAddressBar && isActiveWindow()) Edit1->setFocus();
    if (result.startTimer) Timer6->start();
    if (result.stopTimer) Timer6->stop();
    if (result.paint) {
        view_.ScrollBar.Position = view_.ScrollY;
        Timer2Timer();
    }
    if (result.redrawBar) DrawBar();
}

void TForm1::DrawBar() {
    if (!Panel45->isVisible()) return;
    controlBar_->SetSize({std::max(1, Image31->width()), std::max(1, Image31->height()),
                          std::max(1, Image1->width())});
    if (!Timer6->isActive()) controlBar_->SetScrollSpeed(keyScroll_.ScrollSpeed());
    Image31->SetPicture(controlBar_->Draw(options_));
}

void TForm1::ApplyScrollStrip() {
    const bool shown = browser_.State().ShowScrollBar;
    {
        const QSignalBlocker quiet(CheckBox35);
        CheckBox35->setChecked(shown);
    }
    N20->setChecked(shown);
    Panel45->setVisible(shown);
}

} // namespace qm
