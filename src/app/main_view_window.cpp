// The source view in the main window: render passes, their timers, the display options of the
// settings column, themes and the bitmap font controls.

#include <QColorDialog>
#include <QFontInfo>

#include "app/format.h"
#include "app/main_window.h"
#include "app/themes.h"
#include "platform/qt_convert.h"
#include "view/view_colors.h"
#include "view/view_interaction.h"

namespace qm {
namespace {

constexpr int kOemCharset = 255;

int CharsetNumber(const QString& name) {
    static const std::pair<const char*, int> kCharsets[] = {
        {"ANSI_CHARSET", 0},        {"DEFAULT_CHARSET", 1},   {"SYMBOL_CHARSET", 2},
        {"MAC_CHARSET", 77},        {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129},
        {"JOHAB_CHARSET", 130},     {"GB2312_CHARSET", 134},  {"CHINESEBIG5_CHARSET", 136},
        {"GREEK_CHARSET", 161},     {"TURKISH_CHARSET", 162}, {"HEBREW_CHARSET", 177},
        {"ARABIC_CHARSET", 178},    {"BALTIC_CHARSET", 186},  {"RUSSIAN_CHARSET", 204},
        {"THAI_CHARSET", 222},      {"EASTEUROPE_CHARSET", 238}, {"OEM_CHARSET", kOemCharset},
    };
    for (auto [text, number] : kCharsets)
        if (name == text) return number;
    return 1;
}

} // namespace

void TForm1::BuildRenderer() {
    RenderContext context{browser_.State(), view_, options_, fonts_, decode_, pump_, &rasterizer_, this};
    renderer_ = std::make_unique<Renderer>(context);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    connect(Timer3, &QTimer::timeout, this, &TForm1::Timer3Timer);
    connect(Timer4, &QTimer::timeout, this, &TForm1::Timer4Timer);
    for (QTimer* t : {Timer2, Timer3, Timer4}) t->setSingleShot(true);
    connect(Image1, &SourceView::resized, this, [this](QSize size) {
        view_.ImageWidth = std::max(1, size.width());
        view_.ImageHeight = std::max(1, size.height());
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
    if (browser_.State().RenderBusy || earlierPending) {
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

void TForm1::ScrollBarChanged() {
    captionPosition_ = view_.ScrollBar.Position;
    SetForm1Caption(qm::ScrollBarChanged(view_, browser_.State()));
    DrawBar();
    Timer2Timer();
}

void TForm1::ShowPicture(const Bitmap& picture) {
    Image1->SetPicture(picture);
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

void TForm1::BindViewOptions() {
    // Visibility switches change what the page shows: decode and lay it out again.
    for (QCheckBox* box : {CheckBox18, CheckBox19, CheckBox33, CheckBox2, CheckBox32, CheckBox9,
                           CheckBox10, CheckBox3, CheckBox17, CheckBox31, CheckBox8, CheckBox4,
                           CheckBox6, CheckBox5, CheckBox7, CheckBox21, CheckBox23, CheckBox26,
                           CheckBox28, CheckBox34, CheckBox20, CheckBox24})
        connect(box, &QCheckBox::toggled, this, [this] { OptionChanged(); });
    // Bold switches change only the layout.
    for (QCheckBox* box : {CheckBox11, CheckBox12, CheckBox13, CheckBox14, CheckBox15, CheckBox16,
                           CheckBox22, CheckBox27})
        connect(box, &QCheckBox::toggled, this, [this] {
            if (optionsMuted_) return;
            ReadViewOptions();
            RelayoutKeepingPosition();
        });
    for (ColourSwatch* swatch : {Panel2, Panel1, Panel3, Panel4, Panel5, Panel6, Panel7, Panel8, Panel23})
        connect(swatch, &ColourSwatch::clicked, this, [this, swatch] {
            QColor chosen = QColorDialog::getColor(ToQColor(swatch->Colour()), this);
            if (!chosen.isValid()) return;
            swatch->SetColour(FromQColor(chosen));
            ReadViewOptions();
            ApplyColors();
            Timer2Timer();
        });
    connect(ComboBox1, &QComboBox::currentTextChanged, this, [this] {
        if (optionsMuted_) return;
        ReadViewOptions();
        RelayoutKeepingPosition();
    });
    connect(ComboBox5, &QComboBox::currentTextChanged, this, [this] {
        if (optionsMuted_) return;
        ReadViewOptions();
        RelayoutKeepingPosition();
    });
    connect(ComboBox2, &QComboBox::currentTextChanged, this, [this] {
        if (optionsMuted_) return;
        ApplyFontSizeList();
        RelayoutKeepingPosition();
    });
    connect(ComboBox8, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        if (optionsMuted_) return;
        view_.PixelZoom = std::max(1, text.toInt());
        RelayoutKeepingPosition();
    });
    connect(ComboBox4, &QComboBox::currentIndexChanged, this, [this](int index) { ApplyTheme(index); });
    connect(Label4, &ClickLabel::clicked, this, [this] {
        ComboBox4->setCurrentIndex((ComboBox4->currentIndex() + 1) % ComboBox4->count());
    });
    auto preset = [this](int which) {
        // "- all", "+ all", "Def": which = 0, 1, 2.
        const std::pair<QCheckBox*, bool> defaults[] = {
            {CheckBox19, true}, {CheckBox33, false}, {CheckBox2, true},  {CheckBox32, false},
            {CheckBox9, true},  {CheckBox10, false}, {CheckBox3, true},  {CheckBox17, false},
            {CheckBox31, false}, {CheckBox8, false}, {CheckBox4, false}, {CheckBox6, false},
            {CheckBox5, false}, {CheckBox7, false},  {CheckBox21, true}, {CheckBox23, false},
            {CheckBox26, false}, {CheckBox28, false}};
        optionsMuted_ = true;
        for (auto [box, def] : defaults) box->setChecked(which == 2 ? def : which == 1);
        optionsMuted_ = false;
        OptionChanged();
    };
    connect(Panel35, &PanelButton::clicked, this, [preset] { preset(0); });
    connect(Panel36, &PanelButton::clicked, this, [preset] { preset(1); });
    connect(Panel37, &PanelButton::clicked, this, [preset] { preset(2); });
}

void TForm1::ReadViewOptions() {
    const std::pair<ColourSwatch*, ColorRole> swatches[] = {
        {Panel2, ColorRole::Back},       {Panel1, ColorRole::Text},   {Panel3, ColorRole::Links},
        {Panel4, ColorRole::Media},      {Panel5, ColorRole::Comments}, {Panel6, ColorRole::Scripts},
        {Panel7, ColorRole::Styles},     {Panel8, ColorRole::Forms},  {Panel23, ColorRole::Meta}};
    for (auto [swatch, role] : swatches) options_.Colors[static_cast<size_t>(role)] = swatch->Colour();
    const std::pair<QCheckBox*, ColorRole> bold[] = {
        {CheckBox11, ColorRole::Text},     {CheckBox12, ColorRole::Links},
        {CheckBox13, ColorRole::Media},    {CheckBox14, ColorRole::Comments},
        {CheckBox15, ColorRole::Scripts},  {CheckBox16, ColorRole::Styles},
        {CheckBox22, ColorRole::Forms},    {CheckBox27, ColorRole::Meta}};
    for (auto [box, role] : bold) options_.Bold[static_cast<size_t>(role)] = box->isChecked();
    options_.Back = CheckBox18->isChecked();
    options_.ShowText = CheckBox19->isChecked();
    options_.TopBorders = CheckBox33->isChecked();
    options_.Borders = CheckBox2->isChecked();
    options_.Accents = CheckBox32->isChecked();
    options_.Links = CheckBox9->isChecked();
    options_.Anchors = CheckBox10->isChecked();
    options_.Media = CheckBox3->isChecked();
    options_.Linked = CheckBox17->isChecked();
    options_.AllUrls = CheckBox31->isChecked();
    options_.Comments = CheckBox8->isChecked();
    options_.Scripts = CheckBox4->isChecked();
    options_.ScriptsCode = CheckBox6->isChecked();
    options_.Styles = CheckBox5->isChecked();
    options_.StylesCode = CheckBox7->isChecked();
    options_.Forms = CheckBox21->isChecked();
    options_.FormsCode = CheckBox23->isChecked();
    options_.Meta = CheckBox26->isChecked();
    options_.MetaCode = CheckBox28->isChecked();
    options_.Gaps = CheckBox34->isChecked();
    options_.Highlight = CheckBox20->isChecked();
    options_.Antialiasing = CheckBox24->isChecked();
    options_.FontName = FromQString(ComboBox1->currentText());
    options_.Charset = CharsetNumber(ComboBox5->currentText());
}

void TForm1::OptionChanged() {
    if (optionsMuted_) return;
    ReadViewOptions();
    RefreshUtf8MenuItem();
    PrepareSite();
    Timer2Timer();
}

void TForm1::RelayoutKeepingPosition() {
    double r = static_cast<double>(view_.ScrollY) / std::max(1, view_.ContentHeight);
    Timer3Timer();
    view_.ScrollY = static_cast<int32_t>(view_.ContentHeight * r);
    Timer2Timer();
}

void TForm1::ApplyFontSizeList() {
    ApplySizeListChoice(fonts_, view_.FontSize, ComboBox2->currentText().toInt());
}

void TForm1::ApplyTheme(int index) {
    if (index < 0 || index >= kThemeCount) return;
    const Theme& theme = kThemes[static_cast<size_t>(index)];
    double r = static_cast<double>(view_.ScrollY) / std::max(1, view_.ContentHeight);
    view_.RenderSuspended = true;
    optionsMuted_ = true;
    ColourSwatch* swatches[] = {Panel1, Panel2, Panel3, Panel4, Panel5, Panel6, Panel7, Panel8, Panel23};
    for (size_t i = 0; i < 9; ++i) swatches[i]->SetColour(theme.colours[i]);
    auto text = [](std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); };
    // A Windows font name finds its installed stand-in (a metric twin where there is one).
    int font = ComboBox1->findText(text(theme.fontName));
    if (font < 0) font = ComboBox1->findText(QFontInfo(QFont(text(theme.fontName))).family());
    if (font >= 0) ComboBox1->setCurrentIndex(font);
    if (!fonts_.BitmapFontActive) ComboBox2->setCurrentText(text(theme.fontSize));
    ComboBox8->setCurrentText(text(theme.zoom));
    fonts_.DosEncoding = theme.dosEncoding;
    DOS1->setChecked(theme.dosEncoding);
    Label11->setText(ToQString(EncodingLabelText(fonts_)));
    ComboBox5->setCurrentText(theme.dosEncoding ? "OEM_CHARSET" : "DEFAULT_CHARSET");
    CheckBox24->setChecked(theme.antialiasing);
    QCheckBox* bold[] = {CheckBox11, CheckBox12, CheckBox13, CheckBox14, CheckBox15, CheckBox16, CheckBox22, CheckBox27};
    for (size_t i = 0; i < 8; ++i) bold[i]->setChecked(theme.bold[i]);
    view_.PixelZoom = std::max(1, ComboBox8->currentText().toInt());
    ApplyFontSizeList();
    ReadViewOptions();
    ApplyColors();
    optionsMuted_ = false;
    view_.RenderSuspended = false;
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
    optionsMuted_ = true;
    ComboBox2->setCurrentText(QString::number(SizeListNumber(fonts_, view_.FontSize)));
    optionsMuted_ = false;
}

void TForm1::LoadBitmapFontNamed(const std::string& name, FontLoadRequest request) {
    FontSwitch result = LoadTVFfont(fonts_, name, request);
    if (!result.loaded) return;
    ApplyBitmapFontControls();
    if (result.rerender) {
        Timer3Timer();
        Timer2Timer();
    }
}

} // namespace qm
