#include "ui/form_editor_window.h"

#include "ui/program_editor_window.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include "forms/form_send.h"
#include "platform/qt_convert.h"
#include "ui/main_window.h"

namespace qm {
namespace {

constexpr int kUiReady = 1;
constexpr int kUiPostData = 88;
constexpr int kUiMethod = 89;
constexpr int kUiUtf8 = 90;
constexpr int kUiSendPreview = 91;
constexpr int kUiSendNavigate = 92;
constexpr int kUiReparse = 93;
constexpr int kUiSendingButton = 94;
constexpr int kUiSubmit = 95;
constexpr int kUiAdvanced = 96;
constexpr int kUiCopyLink = 227;
constexpr int kUiCreateProgram = 228;
constexpr int kUiFormUrl = 277;
constexpr int kUiFormGet = 278;
constexpr int kUiFormPost = 279;

constexpr int kPanelWidth = 330;
constexpr int kTopRow = 30; // the two switches above the column and the panel

} // namespace

TForm3::TForm3(TForm1& main) : QDialog(&main), main_(main) {
    setObjectName("TForm3");
    setModal(true);
    setWindowTitle("<FORM>");
    resize(760, 540);
    CheckBox2 = new QCheckBox(this);
    CheckBox2->setObjectName("CheckBox2");
    CheckBox2->setGeometry(5, 5, 250, 20);
    CheckBox1 = new QCheckBox(this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setGeometry(260, 5, 400, 20);
    CheckBox1->setChecked(true);
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    column_ = new QWidget;
    ScrollBox1->setWidget(column_);
    BuildPanel();
    ConnectFields();
    RepaintCaptions();
    LayOut();
}

void TForm3::BuildPanel() {
    Panel2 = new QWidget(this);
    Panel2->setObjectName("Panel2");
    Panel2->hide();
    auto* box = new QVBoxLayout(Panel2);
    box->setContentsMargins(0, 0, 0, 0);
    const auto panel = [this, box](const char* name, const char* image, const QString& glyph) {
        auto* button = new PanelButton(Panel2, name, image);
        button->SetGlyph(glyph);
        button->setFixedHeight(30);
        box->addWidget(button);
        return button;
    };
    const auto label = [this, box](const char* name) {
        auto* text = new QLabel(Panel2);
        text->setTextFormat(Qt::PlainText);
        text->setObjectName(name);
        box->addWidget(text);
        return text;
    };
    Panel1 = panel("Panel1", "Image1", QString::fromUtf8("\u21BB"));
    Memo1 = new QPlainTextEdit(Panel2);
    Memo1->setObjectName("Memo1");
    box->addWidget(Memo1, 1);
    Label4 = label("Label4");
    ComboBox1 = new QComboBox(Panel2);
    ComboBox1->setObjectName("ComboBox1");
    box->addWidget(ComboBox1);
    Label1 = label("Label1");
    Edit1 = new QLineEdit(Panel2);
    Edit1->setObjectName("Edit1");
    box->addWidget(Edit1);
    Label2 = label("Label2");
    Edit2 = new QLineEdit(Panel2);
    Edit2->setObjectName("Edit2");
    box->addWidget(Edit2);
    Label3 = label("Label3");
    auto* methods = new QHBoxLayout;
    RadioButton1 = new QRadioButton(Panel2);
    RadioButton1->setObjectName("RadioButton1");
    RadioButton2 = new QRadioButton(Panel2);
    RadioButton2->setObjectName("RadioButton2");
    methods->addWidget(RadioButton1);
    methods->addWidget(RadioButton2);
    box->addLayout(methods);
    Panel10 = panel("Panel10", "Image3", QString::fromUtf8("\u25C9"));
    Panel11 = panel("Panel11", "Image4", QString::fromUtf8("\u279C"));
    Panel3 = panel("Panel3", "Image5", QString::fromUtf8("\u21D7"));
    Panel4 = panel("Panel4", "Image2", QString::fromUtf8("\u270E"));
}

void TForm3::ConnectFields() {
    connect(CheckBox2, &QCheckBox::toggled, this, [this](bool on) {
        editor_.Advanced = on;
        LayOut();
    });
    connect(CheckBox1, &QCheckBox::toggled, this, [this](bool on) { editor_.EncodeUtf8 = on; });
    connect(Edit1, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!showing_) editor_.Address = FromQString(text);
    });
    connect(Edit2, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!showing_) editor_.PostData = FromQString(text);
    });
    connect(RadioButton2, &QRadioButton::toggled, this, [this](bool on) {
        if (!showing_) editor_.SendAsPost = on;
    });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!showing_) editor_.SubmitIndex = index;
    });
    connect(Panel1, &PanelButton::clicked, this, [this] { Reparse(); });
    connect(Panel10, &PanelButton::clicked, this, [this] { Send(DownloadMode::PagePreview); });
    connect(Panel11, &PanelButton::clicked, this, [this] { Send(DownloadMode::Page); });
    connect(Panel3, &PanelButton::clicked, this, [this] { CopyAsLink(); });
    connect(Panel4, &PanelButton::clicked, this, [this] { CreateProgram(); });
}

QString TForm3::Ui(int index) const {
    return ToQString(main_.browser().Ui(index));
}

void TForm3::RepaintCaptions() {
    CheckBox2->setText(Ui(kUiAdvanced));
    CheckBox1->setText(Ui(kUiUtf8));
    Label4->setText(Ui(kUiSendingButton));
    Panel1->SetCaption(Ui(kUiReparse));
    Label1->setText(Ui(kUiFormUrl));
    Label2->setText(Ui(kUiPostData));
    Label3->setText(Ui(kUiMethod));
    RadioButton1->setText(Ui(kUiFormGet));
    RadioButton2->setText(Ui(kUiFormPost));
    Panel3->SetCaption(Ui(kUiCopyLink));
    Panel4->SetCaption(Ui(kUiCreateProgram));
    Panel10->SetCaption(Ui(kUiSendPreview));
    Panel11->SetCaption(Ui(kUiSendNavigate));
}

// The main window's colours and font, as its theme has them now.
void TForm3::ApplyColours() {
    setPalette(main_.palette());
    setFont(main_.font());
    const QColor text = main_.palette().color(QPalette::WindowText);
    for (PanelButton* button : findChildren<PanelButton*>())
        button->SetGlyphColour(text);
    const QPalette boxes = main_.CheckBox1->palette();
    for (QCheckBox* box : findChildren<QCheckBox*>())
        box->setPalette(boxes);
    // Flat fields and radio buttons on the window's own colour vanish on some themes: they
    // are framed in the text colour (a radio's outline follows the window colour).
    QPalette radios = boxes;
    radios.setColor(QPalette::Window, text);
    for (QRadioButton* radio : findChildren<QRadioButton*>())
        radio->setPalette(radios);
    FrameFields();
}

void TForm3::FrameFields() {
    const QPalette& colours = main_.palette();
    const QString look =
        QString("QLineEdit, QPlainTextEdit { border: 1px solid %1; background: %2; color: %1; }")
            .arg(colours.color(QPalette::WindowText).name(), colours.color(QPalette::Window).name());
    for (QLineEdit* field : findChildren<QLineEdit*>())
        field->setStyleSheet(look);
    for (QPlainTextEdit* memo : findChildren<QPlainTextEdit*>())
        memo->setStyleSheet(look);
}

void TForm3::LayOut() {
    const int width = std::max(0, contentsRect().width());
    const int height = std::max(0, contentsRect().height() - kTopRow);
    const int panel = CheckBox2->isChecked() ? kPanelWidth : 0;
    Panel2->setVisible(panel > 0);
    ScrollBox1->setGeometry(0, kTopRow, std::max(0, width - panel - 20), height);
    Panel2->setGeometry(width - kPanelWidth - 5, kTopRow, kPanelWidth, height - 5);
    // The scroll area's own viewport is resized only once the window shows; a scroll bar's
    // width is kept free so the controls do not move when one appears.
    const int columnWidth =
        ScrollBox1->width() - ScrollBox1->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    int bottom = 0;
    for (size_t e = 0; e < controls_.size(); ++e)
        for (size_t m = 0; m < controls_[e].size(); ++m) {
            const FormMember& member = editor_.FormElements[e].members[m];
            QWidget* control = controls_[e][m];
            if (member.kind != FormKind::Label)
                control->setGeometry(FormColumn::kLeft, member.top,
                                     std::max(20, columnWidth - FormColumn::kRightMargin),
                                     member.height);
            bottom = std::max(bottom, member.top + member.height + FormColumn::kGap);
        }
    column_->resize(columnWidth, bottom);
}

void TForm3::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayOut();
}

void TForm3::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier) {
        setWindowState(windowState() ^ Qt::WindowMaximized);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm3::OpenForm(const std::string& formSource, const std::string& baseUrl) {
    editor_.Open(formSource, baseUrl, main_.browser().State().LanguageIndex);
    // The old controls index the old form's members: they go before anything can lay them out.
    RebuildControls();
    CheckBox2->setChecked(false);
    ShowFormEditor(baseUrl);
}

void TForm3::ShowFromMenu() {
    ShowFormEditor(editor_.FormEditorURL);
}

void TForm3::ShowFormEditor(const std::string& url) {
    RepaintCaptions();
    ApplyColours();
    ShowFields();
    BrowserState& state = main_.browser().State();
    editor_.Shown(state, url);
    exec();
    editor_.Closed(state);
}

void TForm3::Reparse() {
    editor_.ProcessForm(main_.browser().State().BaseURL, main_.browser().State().LanguageIndex);
    RebuildControls();
}

QWidget* TForm3::Control(size_t element, size_t member) const {
    if (element >= controls_.size() || member >= controls_[element].size()) return nullptr;
    return controls_[element][member];
}

void TForm3::RebuildControls() {
    for (auto& element : controls_)
        for (QWidget* control : element)
            delete control;
    controls_.assign(editor_.FormElements.size(), {});
    for (size_t e = 0; e < controls_.size(); ++e)
        for (size_t m = 0; m < editor_.FormElements[e].members.size(); ++m)
            controls_[e].push_back(NewControl(e, m));
    ShowFields();
    FrameFields();
    LayOut();
    ScrollBox1->verticalScrollBar()->setValue(0);
}

QWidget* TForm3::NewControl(size_t e, size_t m) {
    const FormMember& member = editor_.FormElements[e].members[m];
    const QString value = ToQString(member.value);
    QWidget* control = nullptr;
    switch (member.kind) {
    case FormKind::Label: {
        auto* label = new QLabel(column_);
        label->setTextFormat(Qt::PlainText); // a caption from the page is never markup
        label->setText(value);
        label->move(FormColumn::kLeft, member.top);
        label->adjustSize();
        control = label;
        break;
    }
    case FormKind::Edit: {
        auto* edit = new QLineEdit(value, column_);
        edit->setFrame(false);
        if (member.look == EditLook::Password) edit->setEchoMode(QLineEdit::Password);
        edit->setVisible(member.look != EditLook::Hidden);
        connect(edit, &QLineEdit::textEdited, this,
                [this, e, m](const QString& text) { editor_.SetText(e, m, FromQString(text)); });
        control = edit;
        break;
    }
    case FormKind::Memo: {
        auto* memo = new QPlainTextEdit(ToQStringLines(member.value), column_);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        connect(memo, &QPlainTextEdit::textChanged, this, [this, memo, e, m] {
            editor_.SetText(e, m, FromQStringLines(memo->toPlainText()));
        });
        control = memo;
        break;
    }
    case FormKind::Checkbox:
    case FormKind::Radio: {
        auto* box = new QCheckBox(column_);
        box->setChecked(member.selected);
        connect(box, &QCheckBox::clicked, this, [this, e, m](bool checked) {
            if (editor_.FormElements[e].members[m].kind == FormKind::Radio)
                editor_.CheckBoxClick(e, m);
            else
                editor_.SetChecked(e, m, checked);
            ShowChecks(e);
        });
        control = box;
        break;
    }
    case FormKind::Button: {
        auto* button = new PanelButton(column_, QString());
        button->SetCaption(member.value.empty() ? Ui(kUiSubmit) : value);
        connect(button, &PanelButton::clicked, this, [this, e, m] {
            if (editor_.SubmitClick(e, m) == AfterSubmit::SendNow)
                Send(DownloadMode::Page);
            else
                ShowFields();
        });
        control = button;
        break;
    }
    }
    control->setEnabled(member.enabled || member.kind == FormKind::Label);
    return control;
}

void TForm3::ShowChecks(size_t element) {
    const auto& members = editor_.FormElements[element].members;
    for (size_t m = 0; m < members.size(); ++m)
        if (auto* box = qobject_cast<QCheckBox*>(controls_[element][m]))
            box->setChecked(members[m].selected);
}

// The request fields, the method, the form's lines and the button list from the model.
void TForm3::ShowFields() {
    showing_ = true;
    Edit1->setText(ToQString(editor_.Address));
    Edit2->setText(ToQString(editor_.PostData));
    (editor_.SendAsPost ? RadioButton2 : RadioButton1)->setChecked(true);
    CheckBox1->setChecked(editor_.EncodeUtf8);
    Memo1->setPlainText(ToQStringLines(editor_.LinesText()));
    ComboBox1->clear();
    for (const std::string& item : editor_.SubmitButtons)
        ComboBox1->addItem(ToQString(item));
    ComboBox1->setCurrentIndex(editor_.SubmitIndex);
    showing_ = false;
}

void TForm3::Send(DownloadMode mode) {
    SendFormRequest(editor_.Request(), mode, main_.browser(), main_.downloader(), main_.goAction(),
                    main_);
    accept();
}

void TForm3::CopyAsLink() {
    clipboard_.SetText(RequestAsLink(editor_.Request()));
    Panel3->SetCaption(Ui(kUiReady));
}

void TForm3::CreateProgram() {
    const std::vector<std::string> lines =
        DataSendingProgram(main_.browser().State().BaseURL, editor_.Request());
    accept();
    TForm6& programs = main_.programEditor();
    // Shown first, so that showing does not replace the message of a refused program.
    programs.ShowEditor();
    if (programs.SetProgram(lines)) programs.Highlight();
}

} // namespace qm
