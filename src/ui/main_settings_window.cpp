// The settings column and the rows above the view show the browser's settings: every control
// writes a user's change into the model and ShowSettings puts the model back into the controls.

#include <QFontDatabase>
#include <QSignalBlocker>

#include "base/single_line.h"
#include "state/appearance.h"
#include "ui/main_window.h"
#include "state/settings_file.h"
#include "state/themes.h"
#include "platform/qt_convert.h"

namespace qm {

namespace {
constexpr int kUiDisplayOption = 348;
} // namespace

std::vector<TForm1::SwitchBinding> TForm1::Switches() {
    BrowserState& state = browser_.State();
    ViewOptions& o = options_;
    DownloadOptions& d = browser_.Downloads();
    auto bold = [&o](ColorRole role) { return &o.Bold[static_cast<size_t>(role)]; };
    using E = SwitchEffect;
    return {
        {CheckBox1, &state.Utf8Decoding, E::Prepare}, {CheckBox18, &o.Back, E::Prepare},
        {CheckBox19, &o.ShowText, E::Prepare},        {CheckBox33, &o.TopBorders, E::Prepare},
        {CheckBox2, &o.Borders, E::Prepare},          {CheckBox32, &o.Accents, E::Prepare},
        {CheckBox9, &o.Links, E::Prepare},            {CheckBox10, &o.Anchors, E::Prepare},
        {CheckBox3, &o.Media, E::Prepare},            {CheckBox17, &o.Linked, E::Prepare},
        {CheckBox31, &o.AllUrls, E::Prepare},         {CheckBox36, &o.HiddenAddresses, E::Prepare},         {CheckBox8, &o.Comments, E::Prepare},
        {CheckBox4, &o.Scripts, E::Prepare},          {CheckBox6, &o.ScriptsCode, E::Prepare},
        {CheckBox5, &o.Styles, E::Prepare},           {CheckBox7, &o.StylesCode, E::Prepare},
        {CheckBox21, &o.Forms, E::Prepare},           {CheckBox23, &o.FormsCode, E::Prepare},
        {CheckBox26, &o.Meta, E::Prepare},            {CheckBox28, &o.MetaCode, E::Prepare},
        {CheckBox34, &o.Gaps, E::Prepare},            {CheckBox20, &o.Highlight, E::Prepare},
        {CheckBox24, &o.Antialiasing, E::Prepare},
        {CheckBox11, bold(ColorRole::Text), E::Relayout},
        {CheckBox12, bold(ColorRole::Links), E::Relayout},
        {CheckBox13, bold(ColorRole::Media), E::Relayout},
        {CheckBox14, bold(ColorRole::Comments), E::Relayout},
        {CheckBox15, bold(ColorRole::Scripts), E::Relayout},
        {CheckBox16, bold(ColorRole::Styles), E::Relayout},
        {CheckBox22, bold(ColorRole::Forms), E::Relayout},
        {CheckBox27, bold(ColorRole::Meta), E::Relayout},
        {CheckBox25, &d.recordHistory, E::None},      {CheckBox29, &d.sendReferer, E::None},
        {CheckBox30, &d.cookies, E::None},            {CheckBox35, &state.ShowScrollBar, E::ScrollBar},
    };
}

std::vector<std::pair<ColourSwatch*, ColorRole>> TForm1::Swatches() const {
    return {{Panel2, ColorRole::Back},       {Panel1, ColorRole::Text},    {Panel3, ColorRole::Links},
            {Panel4, ColorRole::Media},      {Panel5, ColorRole::Comments}, {Panel6, ColorRole::Scripts},
            {Panel7, ColorRole::Styles},     {Panel8, ColorRole::Forms},   {Panel23, ColorRole::Meta}};
}

FontLookup TForm1::InstalledFonts() const {
    return [](const std::string& name) {
        std::vector<std::string> families;
        for (const QString& family : QFontDatabase::families())
            families.push_back(FromQString(family));
        return InstalledStandIn(name, families);
    };
}

void TForm1::BindSettings() {
    // Connected first: the switch's own handler decodes the page again.
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { browser_.State().PageCharset.reset(); });
    for (const SwitchBinding& s : Switches())
        connect(s.box, &QCheckBox::toggled, this, [this, s](bool on) {
            *s.value = on;
            SwitchChanged(s.effect);
        });
    for (auto [swatch, role] : Swatches())
        connect(swatch, &ColourSwatch::clicked, this, [this, role = role] {
            uint32_t& colour = options_.Colors[static_cast<size_t>(role)];
            if (!dialogs_->AskColour(colour)) return;
            ShowSettings();
            ApplyColors();
            Timer2Timer();
        });
    connect(ComboBox1, &QComboBox::currentTextChanged, this, [this](const QString& name) {
        options_.FontName = FromQString(name);
        RelayoutKeepingPosition();
    });
    connect(ComboBox5, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;
        options_.Charset = kCharsetNames[static_cast<size_t>(index)].number;
        RelayoutKeepingPosition();
    });
    connect(ComboBox2, &QComboBox::currentTextChanged, this, [this](const QString& size) {
        ApplySizeListChoice(fonts_, view_.FontSize, size.toInt());
        RelayoutKeepingPosition();
    });
    connect(ComboBox8, &QComboBox::currentTextChanged, this, [this](const QString& zoom) {
        view_.PixelZoom = std::max(1, zoom.toInt());
        RelayoutKeepingPosition();
    });
    connect(ComboBox3, &QComboBox::currentTextChanged, this,
            [this](const QString& limit) { browser_.Downloads().blockLimit = limit.toInt(); });
    connect(ComboBox6, &QComboBox::currentIndexChanged, this, [this](int index) {
        ApplyUserAgentPreset(browser_, index);
        ShowSettings();
    });
    connect(Edit4, &QLineEdit::textEdited, this, [this](const QString& text) {
        const std::string typed = FromQString(text);
        browser_.Downloads().userAgent = SingleLine(typed);
        if (browser_.Downloads().userAgent == typed) return;
        const int caret = Edit4->cursorPosition();
        Edit4->setText(ToQString(browser_.Downloads().userAgent));
        Edit4->setCursorPosition(caret);
    });
    connect(ComboBox4, &QComboBox::currentIndexChanged, this,
            [this](int index) { browser_.ChooseTheme(index, InstalledFonts()); });
    connect(Label4, &ClickLabel::clicked, this, [this] {
        browser_.ChooseTheme((browser_.State().ThemeIndex + 1) % kThemeCount, InstalledFonts());
    });
    const std::pair<PanelButton*, DisplayPreset> presets[] = {
        {Panel35, DisplayPreset::None}, {Panel36, DisplayPreset::All}, {Panel37, DisplayPreset::Default}};
    for (auto [button, preset] : presets)
        connect(button, &PanelButton::clicked, this, [this, preset = preset] {
            ApplyDisplayPreset(browser_, preset);
            ShowSettings();
            SwitchChanged(SwitchEffect::Prepare);
        });
}

void TForm1::SwitchChanged(SwitchEffect effect) {
    if (optionsMuted_) return;
    if (effect != SwitchEffect::None) browser_.State().Recorder.Skip(kUiDisplayOption);
    switch (effect) {
    case SwitchEffect::Prepare: OptionChanged(); break;
    case SwitchEffect::Relayout: RelayoutKeepingPosition(); break;
    case SwitchEffect::ScrollBar: SettingsChanged(true); break;
    case SwitchEffect::None: break;
    }
}

void TForm1::ShowSettings() {
    const BrowserState& state = browser_.State();
    for (const SwitchBinding& s : Switches()) {
        const QSignalBlocker quiet(s.box);
        s.box->setChecked(*s.value);
    }
    for (auto [swatch, role] : Swatches()) swatch->SetColour(options_.Color(role));
    auto select = [](QComboBox* list, const QString& text) {
        const QSignalBlocker quiet(list);
        const int index = list->findText(text);
        if (index >= 0) list->setCurrentIndex(index);
    };
    select(ComboBox1, ToQString(options_.FontName));
    select(ComboBox2, QString::number(SizeListNumber(fonts_, view_.FontSize)));
    select(ComboBox8, QString::number(view_.PixelZoom));
    select(ComboBox3, QString::number(browser_.Downloads().blockLimit));
    for (auto [list, index] : {std::pair<QComboBox*, int>{ComboBox5, CharsetIndex(options_.Charset)},
                               std::pair{ComboBox4, state.ThemeIndex},
                               std::pair{ComboBox6, state.UserAgentPreset},
                               std::pair{ComboBox7, state.LanguageIndex}}) {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(index);
    }
    {
        const QSignalBlocker quiet(Edit4);
        Edit4->setText(ToQString(browser_.Downloads().userAgent));
    }
    DOS1->setChecked(fonts_.DosEncoding);
    RepaintViewMarks();
    N20->setChecked(state.ShowScrollBar);
    Label10->setText(ToQString(browser_.TrafficSaverLabelText()));
    RefreshUtf8MenuItem();
    FollowCharset1->setChecked(state.FollowPageCharset);
    RefreshTrafficSaverItem();
    for (FieldId field : {FieldId::Address, FieldId::Link, FieldId::File}) FieldChanged(field);
}

void TForm1::SettingsChanged(bool relayout) {
    const double r = static_cast<double>(view_.ScrollY) / std::max(1, view_.ContentHeight);
    view_.RenderSuspended = true;
    ShowSettings();
    ApplyBitmapFontControls();
    ApplyColors();
    ApplyScrollStrip();
    view_.RenderSuspended = false;
    if (relayout) Timer3Timer();
    view_.ScrollY = static_cast<int32_t>(view_.ContentHeight * r);
    Timer2Timer();
}

void TForm1::LanguageChanged() {
    qtTranslations_.Use(browser_.State().LanguageIndex);
    {
        const QSignalBlocker quiet(ComboBox7);
        ComboBox7->setCurrentIndex(browser_.State().LanguageIndex);
    }
    RepaintUI();
}

void TForm1::LoadSettings() {
    LoadQmIni(browser_, InstalledFonts());
    SettingsChanged(true);
}

} // namespace qm
