// The source view in the main window: render passes, their timers, the display options of the
// settings column, themes and the bitmap font controls.

#include "base/format.h"
#include "ui/main_window.h"
#include "state/themes.h"
#include "platform/qt_convert.h"
#include "base/view_colors.h"
#include "tools/source_decode.h"
#include "view/view_interaction.h"

namespace qm {

namespace {
constexpr int kUiNoOtherCharset = 335;
} // namespace

void TForm1::BuildRenderer() {
    RenderContext context{browser_.State(), view_, options_, fonts_, decode_, pump_, &rasterizer_, this};
    renderer_ = std::make_unique<Renderer>(context);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    connect(Timer3, &QTimer::timeout, this, &TForm1::Timer3Timer);
    connect(Timer4, &QTimer::timeout, this, &TForm1::Timer4Timer);
    for (QTimer* t : {Timer2, Timer3, Timer4}) t->setSingleShot(true);
    connect(Image1, &SourceView::resized, this, [this](QSize size) {
        view_.SetImageSize(std::max(1, size.width()), std::max(1, size.height()));
        if (browser_.State().ResizeSuspended) return;
        // Armed, not run: a pass pumps events, and this runs in the middle of the layout.
        Timer3->start();
        Timer2->start();
    });
}

bool TForm1::RunDeferredPass(QTimer* timer, RenderMode mode) {
    // A pass requested while another runs waits for it: the timer stays armed. A mark waits
    // for a pending prepare, and a paint for both, so the passes keep their order.
    bool earlierPending = (mode == RenderMode::Mark && Timer4->isActive()) ||
                          (mode == RenderMode::Paint && (Timer3->isActive() || Timer4->isActive()));
    // The image export paints strips of its own; the view waits for it.
    if (browser_.State().RenderBusy || view_.ImageExportActive || earlierPending) {
        timer->start();
        return false;
    }
    timer->stop();
    renderer_->RenderSite(mode);
    return true;
}

void TForm1::Timer2Timer() { RunDeferredPass(Timer2, RenderMode::Paint); }

void TForm1::Timer3Timer() { RunDeferredPass(Timer3, RenderMode::Mark); }

void TForm1::Timer4Timer() {
    if (!RunDeferredPass(Timer4, RenderMode::Prepare)) return;
    BrowserState& state = browser_.State();
    if (!state.PageTitle.empty()) browser_.SetStatus(state.PageTitle);
}

void TForm1::PrepareSite() {
    RequestDecode(decode_);
    Timer4Timer();
    Timer3Timer();
}

void TForm1::RecordingChanged() {
    Record1->setChecked(browser_.State().Recorder.Recording());
    form6_->RefreshRecordButton();
}

void TForm1::NextPageCharset() {
    if (ChooseNextPageCharset(browser_.State())) PrepareSite();
    else SetForm1Caption(browser_.Ui(kUiNoOtherCharset));
}

void TForm1::ScrollBarChanged() {
    captionPosition_ = view_.ScrollBar.Position;
    SetForm1Caption(qm::ScrollBarChanged(view_, browser_.State()));
    DrawBar();
    Timer2Timer();
}

void TForm1::ShowPicture(const Bitmap& picture) {
    ShowMarkedPicture(picture);
    // The paint pass sets the bar's position; a change runs the bar's change handler, whose
    // paint request would find nothing new to draw.
    if (view_.ScrollBar.Position != captionPosition_) {
        captionPosition_ = view_.ScrollBar.Position;
        SetForm1Caption(qm::ScrollBarChanged(view_, browser_.State()));
    }
    DrawBar();
}

void TForm1::PageTitleFound(const std::string& title) { goAction_->PageTitleFound(title); }

void TForm1::SetObjectInfoText(const std::string& text) { browser_.SetField(FieldId::ObjectInfo, text); }

void TForm1::OptionChanged() {
    if (optionsMuted_) return;
    RefreshUtf8MenuItem();
    PrepareSite();
    Timer2Timer();
}

void TForm1::ConvertAgain() {
    PrepareSite();
    Timer2Timer();
}

void TForm1::RelayoutKeepingPosition() {
    double r = static_cast<double>(view_.ScrollY) / std::max(1, view_.ContentHeight);
    Timer3Timer();
    view_.ScrollY = static_cast<int32_t>(view_.ContentHeight * r);
    Timer2Timer();
}

void TForm1::ApplyColors() {
    QColor back = ToQColor(options_.Color(ColorRole::Back));
    QColor text = ToQColor(options_.Color(ColorRole::Text));
    QPalette pal = palette();
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        pal.setColor(role, back);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        pal.setColor(QPalette::Active, role, text);
        pal.setColor(QPalette::Inactive, role, text);
        // Disabled controls (Antialiasing under a bitmap font) show their text half-way to Back.
        pal.setColor(QPalette::Disabled, role, ToQColor(ColorSumm(options_.Color(ColorRole::Text),
                                                                 options_.Color(ColorRole::Back))));
    }
    setPalette(pal);
    // The check box frame is drawn darker than the window colour: on a dark back it would
    // vanish, so there the boxes take the text colour as theirs.
    QPalette boxes = pal;
    if (back.lightness() < 128) boxes.setColor(QPalette::Window, text);
    for (QCheckBox* box : findChildren<QCheckBox*>()) box->setPalette(boxes);
    // The frame of an empty field follows the window colour too.
    for (QLineEdit* field : findChildren<QLineEdit*>()) field->setPalette(boxes);
    Image1->SetBackColour(options_.Color(ColorRole::Back));
    for (PanelButton* button : findChildren<PanelButton*>()) button->SetGlyphColour(text);
    for (QLabel* icon : {Image11, Image12, Image14})
        icon->setPixmap(GlyphIcon(icon->property("glyph").toString(), text));
    // Swatches keep their own colours.
    for (ColourSwatch* swatch : findChildren<ColourSwatch*>()) swatch->SetColour(swatch->Colour());
}

void TForm1::ApplyBitmapFontControls() {
    bool active = fonts_.BitmapFontActive;
    CheckBox24->setEnabled(!active);
    ComboBox1->setVisible(!active);
    ComboBox5->setVisible(!active);
    Label8->setVisible(active);
    Label11->setVisible(active);
    // The name is a file name (UTF-8) or an "INT:" name.
    Label8->setText(QString::fromStdString(FontLabelText(fonts_.FontFileName)));
    Label11->setText(ToQString(EncodingLabelText(fonts_)));
}

} // namespace qm
