#include "ui/program_editor_window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>

#include "base/interfaces.h"
#include "platform/qt_convert.h"
#include "script/command_list.h"
#include "script/program_file.h"
#include "script/program_highlight.h"
#include "script/program_templates.h"
#include "state/browser.h"
#include "ui/program_highlighter.h"

namespace qm {
namespace {

constexpr QSize kDesignClient(529, 506);
constexpr int kHighlightDelayMs = 2000;

constexpr int kUiRunHint = 208;
constexpr int kUiProgramEditor = 206;
constexpr int kUiTemplate = 207;
constexpr int kUiCommand = 212;
constexpr int kUiAdd = 215;
constexpr int kUiLoadHint = 216;
constexpr int kUiSaveHint = 217;
constexpr int kUiSaveFailed = 218;
constexpr int kUiSaved = 219;
constexpr int kUiLoad = 229;
constexpr int kUiSave = 230;
constexpr int kUiRun = 231;
constexpr int kUiQuickLaunch = 236;
constexpr int kUiProgramNotRead = 280;
constexpr int kUiProgramRunning = 299;
constexpr int kUiRecord = 342;
constexpr int kUiRecordHint = 343;
constexpr int kUiStopRecording = 344;

constexpr const char* kProgramFilter = "QMP|*.qmp";

} // namespace

TForm6::TForm6(ProgramEditorLinks links, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), links_(std::move(links)),
      runner_(links_.targets), layout_(kDesignClient) {
    setObjectName("TForm6");
    QFont font("Liberation Sans");
    font.setPixelSize(11);
    setFont(font);
    resize(kDesignClient);
    BuildControls();
    SetProgram(InitialProgram());
    ApplyLanguage();
    qApp->installEventFilter(this);
}

TForm6::~TForm6() {
    qApp->removeEventFilter(this);
}

void TForm6::BuildControls() {
    auto label = [this](const char* name, QRect rect, unsigned anchors = kAnchorTopLeft) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        l->setTextFormat(Qt::PlainText); // the status line can quote a program's text
        layout_.Place(l, rect, anchors);
        return l;
    };
    Label9 = label("Label9", QRect(8, 10, 60, 16));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    layout_.Place(ComboBox1, QRect(70, 6, 220, 22));
    Label1 = label("Label1", QRect(421, 10, 100, 16), AnchorRight | AnchorTop);
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label3 = label("Label3", QRect(8, 34, 513, 16));
    for (int i = 0; i < 10; ++i) {
        auto* slot = new PanelButton(this, QString("Panel%1").arg(6 + i));
        layout_.Place(slot, QRect(8 + 48 * i, 52, 45, 33));
        SlotPanels[static_cast<size_t>(i)] = slot;
        connect(slot, &PanelButton::clicked, this, [this, i] { QuickLaunch(i); });
        connect(slot, &PanelButton::rightClicked, this, [this, i] { ClearSlot(i); });
        auto* key = label(nullptr, QRect(8 + 48 * i, 86, 45, 14));
        key->setText(QString("Alt+%1").arg((i + 1) % 10));
        key->setAlignment(Qt::AlignHCenter);
    }
    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName("RichEdit1");
    RichEdit1->setAcceptRichText(false);
    RichEdit1->setLineWrapMode(QTextEdit::NoWrap);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont mono("Courier New");
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPointSize(10);
    RichEdit1->setFont(mono);
    // Made while the text is empty, so the first colouring is the one Highlight asks for.
    highlighter_ = new ProgramHighlighter(RichEdit1->document());
    layout_.Place(RichEdit1, QRect(8, 104, 513, 302), kAnchorAll);
    Label2 = label("Label2", QRect(8, 410, 513, 30), AnchorLeft | AnchorRight | AnchorBottom);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label4 = label("Label4", QRect(8, 448, 60, 16), AnchorLeft | AnchorBottom);
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName("ComboBox2");
    for (int i = 0; i < kCommandListSize; ++i)
        ComboBox2->addItem(ToQString(std::string(CommandSyntax(i))));
    layout_.Place(ComboBox2, QRect(70, 444, 220, 22), AnchorLeft | AnchorBottom);
    auto button = [this](const char* name, const char* image, QRect rect, const char* glyph,
                         unsigned anchors) {
        auto* panel = new PanelButton(this, name, image);
        if (glyph) {
            panel->SetGlyph(QString::fromUtf8(glyph));
            // The icon stands left of the caption, not over it.
            panel->Icon()->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            panel->Icon()->setIndent(6);
        }
        layout_.Place(panel, rect, anchors);
        return panel;
    };
    Panel2 = button("Panel2", nullptr, QRect(296, 444, 80, 22), nullptr, AnchorLeft | AnchorBottom);
    Panel3 =
        button("Panel3", "Image3", QRect(8, 472, 130, 28), "\u21E9", AnchorLeft | AnchorBottom);
    Panel4 =
        button("Panel4", "Image4", QRect(144, 472, 130, 28), "\u21E7", AnchorLeft | AnchorBottom);
    Panel1 =
        button("Panel1", "Image1", QRect(391, 472, 130, 28), "\u25B6", AnchorRight | AnchorBottom);
    Panel5 =
        button("Panel5", "Image5", QRect(280, 472, 105, 28), "\u25CF", AnchorLeft | AnchorBottom);
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(kHighlightDelayMs);

    connect(ComboBox1, &QComboBox::activated, this, &TForm6::ChooseTemplate);
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this](int index) {
        ShowScriptStatus(CommandHelp(index, GetBrowser().State().LanguageIndex));
    });
    connect(Panel2, &PanelButton::clicked, this, &TForm6::AddCommand);
    connect(Panel3, &PanelButton::clicked, this, &TForm6::LoadProgram);
    connect(Panel4, &PanelButton::clicked, this, &TForm6::SaveProgram);
    connect(Panel1, &PanelButton::clicked, this, &TForm6::Run);
    connect(Panel5, &PanelButton::clicked, this, &TForm6::ToggleRecording);
    connect(RichEdit1, &QTextEdit::textChanged, this, &TForm6::TextEdited);
    connect(RichEdit1, &QTextEdit::cursorPositionChanged, this, &TForm6::CaretMoved);
    connect(Timer1, &QTimer::timeout, this, &TForm6::HighlightTimer);
}

// Keyboard preview: the window sees its keys before the focused control does.
bool TForm6::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::KeyPress && widget && widget->window() == this &&
        HandleEditorKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

bool TForm6::HandleEditorKey(QKeyEvent* key) {
    const auto mods =
        key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    const int code = key->key();
    if (mods == Qt::AltModifier && code >= Qt::Key_0 && code <= Qt::Key_9) {
        QuickLaunch((code - Qt::Key_0 + 9) % 10); // Alt+1 is the first slot, Alt+0 the last
        return true;
    }
    if (mods == Qt::ControlModifier && (code == Qt::Key_O || code == Qt::Key_S)) {
        if (code == Qt::Key_O)
            LoadProgram();
        else
            SaveProgram();
        return true;
    }
    if (mods != Qt::NoModifier) return false;
    switch (code) {
    case Qt::Key_F5:
        // F5 ends a recording, as in the main window; otherwise it runs the program.
        if (GetBrowser().State().Recorder.Recording())
            GetBrowser().StopRecording();
        else
            Run();
        return true;
    case Qt::Key_F2:
        setWindowState(windowState() ^ Qt::WindowMaximized);
        return true;
    case Qt::Key_Escape:
        hide();
        return true;
    case Qt::Key_F10:
        if (RichEdit1->hasFocus())
            ComboBox1->setFocus();
        else
            RichEdit1->setFocus();
        return true;
    default:
        return false;
    }
}

QString TForm6::Ui(int index) const {
    return ToQString(links_.targets.browser.Ui(index));
}

void TForm6::ApplyLanguage() {
    const int language = GetBrowser().State().LanguageIndex;
    setWindowTitle(Ui(kUiProgramEditor));
    Label9->setText(Ui(kUiTemplate));
    Label3->setText(Ui(kUiQuickLaunch));
    Label4->setText(Ui(kUiCommand));
    Panel2->SetCaption(Ui(kUiAdd));
    Panel3->SetCaption(Ui(kUiLoad));
    Panel3->SetHint(Ui(kUiLoadHint));
    Panel4->SetCaption(Ui(kUiSave));
    Panel4->SetHint(Ui(kUiSaveHint));
    Panel1->SetCaption(Ui(kUiRun));
    Panel1->SetHint(Ui(kUiRunHint));
    Panel5->SetHint(Ui(kUiRecordHint));
    RefreshRecordButton();
    const int chosen = ComboBox1->currentIndex();
    ComboBox1->clear();
    for (int i = 0; i < kTemplateCount; ++i)
        ComboBox1->addItem(ToQString(TemplateName(i, language)));
    ComboBox1->setCurrentIndex(chosen);
    CaretMoved();
    RefreshSlotCaptions();
}

void TForm6::ApplyColors() {
    const ViewOptions& options = GetBrowser().Options();
    const QColor back = ToQColor(options.Color(ColorRole::Back));
    const QColor text = ToQColor(options.Color(ColorRole::Text));
    QPalette pal = palette();
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        pal.setColor(role, back);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(role, text);
    setPalette(pal);
    for (PanelButton* button : findChildren<PanelButton*>())
        button->SetGlyphColour(text);
}

void TForm6::ShowEditor() {
    ApplyLanguage();
    ApplyColors();
    if (!shownBefore_) {
        shownBefore_ = true;
        if (QScreen* screen = QApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    Highlight();
    show();
    raise();
    activateWindow();
    RichEdit1->setFocus();
}

void TForm6::resizeEvent(QResizeEvent* event) {
    layout_.Apply(size());
    QWidget::resizeEvent(event);
}

std::vector<std::string> TForm6::ProgramLines() {
    return SplitProgramLines(FromQString(RichEdit1->toPlainText()));
}

void TForm6::ShowScriptStatus(const std::string& text) {
    Label2->setText(ToQString(text));
}

void TForm6::Run() {
    runner_.Run(*this);
}

void TForm6::StopRun() {
    runner_.Stop();
}

void TForm6::ToggleRecording() {
    Browser& browser = GetBrowser();
    if (browser.State().Recorder.Recording()) return browser.StopRecording();
    if (runner_.Running()) return ShowScriptStatus(browser.Ui(kUiProgramRunning));
    ShowEditor();
    browser.StartRecording([this](const std::string& line) { AppendProgramLine(line); });
}

void TForm6::RefreshRecordButton() {
    Panel5->SetCaption(Ui(GetBrowser().State().Recorder.Recording() ? kUiStopRecording : kUiRecord));
}

void TForm6::AppendProgramLine(const std::string& line) {
    QTextCursor cursor(RichEdit1->document());
    cursor.movePosition(QTextCursor::End);
    const QString text = RichEdit1->toPlainText();
    cursor.insertText((text.isEmpty() || text.endsWith('\n') ? "" : "\n") + ToQString(line));
    RichEdit1->setTextCursor(cursor);
    RichEdit1->ensureCursorVisible();
}

// A run reads the editor's lines again at every step, so another program loaded under it would
// go on from the same line number inside that one.
bool TForm6::SetProgram(const std::vector<std::string>& lines) {
    if (runner_.Running()) {
        ShowScriptStatus(GetBrowser().Ui(kUiProgramRunning));
        return false;
    }
    QString text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\n" : "") + ToQString(lines[i]);
    RichEdit1->setPlainText(text);
    return true;
}

void TForm6::ChooseTemplate(int index) {
    if (!SetProgram(TemplateLines(index, GetBrowser().State().LanguageIndex))) return;
    Highlight();
    RichEdit1->moveCursor(QTextCursor::Start);
    RichEdit1->ensureCursorVisible();
}

void TForm6::AddCommand() {
    const int index = ComboBox2->currentIndex();
    if (index < 0) return;
    QTextCursor cursor(RichEdit1->document());
    cursor.movePosition(QTextCursor::End);
    // A last line that is empty takes the command; otherwise it goes on a line of its own.
    if (!cursor.block().text().isEmpty()) cursor.insertBlock();
    cursor.insertText(ToQString(CommandLineToAdd(index)));
}

void TForm6::CaretMoved() {
    const QTextCursor cursor = RichEdit1->textCursor();
    Label1->setText(
        QString("%1:%2").arg(cursor.blockNumber() + 1).arg(cursor.positionInBlock() + 1));
    const int index = CommandIndexOfLine(FromQString(cursor.block().text()));
    if (index < 0) return;
    if (ComboBox2->currentIndex() != index)
        ComboBox2->setCurrentIndex(index);
    else
        ShowScriptStatus(CommandHelp(index, GetBrowser().State().LanguageIndex));
}

void TForm6::TextEdited() {
    if (!highlighting_) Timer1->start();
}

// Shift held puts the colouring off, so that it does not jump while a selection is made.
void TForm6::HighlightTimer() {
    if (QApplication::queryKeyboardModifiers() & Qt::ShiftModifier) return;
    Timer1->stop();
    Highlight();
}

// The text keeps the theme's Text colour from the palette; only the marks are formats.
void TForm6::Highlight() {
    highlighting_ = true;
    highlighter_->Recolour(ToQColor(GetBrowser().Options().Color(ColorRole::Media)));
    highlighting_ = false;
}

TForm6::Loaded TForm6::LoadInto(const std::string& path) {
    std::optional<std::vector<std::string>> lines = LoadProgramFile(path);
    if (!lines) return Loaded::Unreadable;
    if (!SetProgram(*lines)) return Loaded::Refused;
    Timer1->start();
    return Loaded::Yes;
}

void TForm6::LoadProgram() {
    const std::string path = links_.dialogs.AskOpenFile("<= QMP", kProgramFilter);
    if (path.empty()) return;
    const Loaded loaded = LoadInto(path);
    if (loaded == Loaded::Unreadable) ShowScriptStatus(GetBrowser().Ui(kUiProgramNotRead));
    if (loaded == Loaded::Yes) RichEdit1->setFocus();
}

void TForm6::SaveProgram() {
    const std::string chosen = links_.dialogs.AskSaveFile("QMP =>", kProgramFilter, {});
    if (chosen.empty()) return;
    const bool saved = SaveProgramFile(ProgramFileName(chosen), ProgramLines());
    ShowScriptStatus(GetBrowser().Ui(saved ? kUiSaved : kUiSaveFailed));
}

void TForm6::RefreshSlotCaptions() {
    const auto& paths = GetBrowser().State().QuickLaunch;
    // File names are UTF-8, unlike the program's own Windows-1251 text.
    for (size_t i = 0; i < SlotPanels.size(); ++i)
        SlotPanels[i]->SetCaption(QString::fromStdString(QuickLaunchCaption(paths[i])));
}

void TForm6::QuickLaunch(int slot) {
    if (slot < 0 || slot >= static_cast<int>(SlotPanels.size())) return;
    PanelButton* panel = SlotPanels[static_cast<size_t>(slot)];
    std::string& path = GetBrowser().State().QuickLaunch[static_cast<size_t>(slot)];
    panel->hide();
    GetBrowser().Pump().ProcessEvents();
    if (!path.empty()) {
        // A slot whose file is gone runs nothing.
        if (LoadInto(path) == Loaded::Yes) Run();
    } else {
        path = links_.dialogs.AskOpenFile("<= QMP", kProgramFilter);
        RefreshSlotCaptions();
    }
    panel->show();
}

void TForm6::ClearSlot(int slot) {
    if (slot < 0 || slot >= static_cast<int>(SlotPanels.size())) return;
    GetBrowser().State().QuickLaunch[static_cast<size_t>(slot)].clear();
    RefreshSlotCaptions();
}

} // namespace qm
