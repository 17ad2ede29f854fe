#include "ui/crash_window.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <csignal>
#include <cstdio>

#include "base/file_io.h"
#include "platform/desktop_shell.h"
#include "platform/qt_convert.h"
#include "state/ui_strings.h"
#include "state/view_options.h"

namespace qm {
namespace {

constexpr const char* kMapFileName = "quillmar.map";

int DialogKeyCode(const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
        return CrashDialogKeys::kSpace;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return CrashDialogKeys::kEnter;
    case Qt::Key_Escape:
        return CrashDialogKeys::kEscape;
    default:
        return 0x10000 | event->key(); // never one of the dialog's keys
    }
}

bool IsDialogKey(int code) {
    return code == CrashDialogKeys::kSpace || code == CrashDialogKeys::kEnter ||
           code == CrashDialogKeys::kEscape;
}

} // namespace

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm4");
    setModal(true);
    setWindowTitle("=(");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                   Qt::WindowSystemMenuHint);
    setFixedSize(465, 341);
    QFont font;
    font.setFamilies({"Tahoma", "Liberation Sans", "DejaVu Sans"});
    font.setPointSize(8);
    setFont(font);
    setAutoFillBackground(true);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setGeometry(4, 4, 449, 289);
    Memo1->setReadOnly(true);
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setFrameShape(QFrame::Box);
    Memo1->installEventFilter(this);

    const std::pair<PanelButton**, std::pair<const char*, int>> buttons[] = {
        {&Panel21, {"Panel21", 4}}, {&Panel1, {"Panel1", 156}}, {&Panel2, {"Panel2", 308}}};
    for (auto [button, place] : buttons) {
        *button = new PanelButton(this, place.first);
        (*button)->setGeometry(place.second, 296, 145, 33);
    }
    connect(Panel21, &PanelButton::clicked, this, [this] { Act(CrashAction::Ignore); });
    connect(Panel1, &PanelButton::clicked, this, [this] { Act(CrashAction::Restart); });
    connect(Panel2, &PanelButton::clicked, this, [this] { Act(CrashAction::Exit); });
}

void TForm4::Fill(const std::vector<std::string>& report, int languageIndex, uint32_t back,
                  uint32_t text, bool ignoreOffered) {
    Panel21->SetCaption(ToQString(UiString(98, languageIndex)));
    Panel1->SetCaption(ToQString(UiString(99, languageIndex)));
    Panel2->SetCaption(ToQString(UiString(100, languageIndex)));
    setPalette(ThemePalette(palette(), back, text));
    for (PanelButton* button : {Panel21, Panel1, Panel2})
        button->setAutoFillBackground(true);
    QStringList lines;
    for (const std::string& line : report)
        lines << ToQString(line);
    Memo1->setPlainText(lines.join('\n'));
    Panel21->setVisible(ignoreOffered);
    keys_ = CrashDialogKeys(ignoreOffered);
    chosen_ = ignoreOffered ? CrashAction::Ignore : CrashAction::Exit;
    Memo1->setFocus();
}

void TForm4::Act(CrashAction action) {
    chosen_ = action;
    accept();
}

// Keys act on release, and only when pressed here: a key held down when the dialog came up
// repeats into it, so repeats are not presses. Every other key is recorded (it cancels a
// pending one) and goes on to the report, which selects, copies and scrolls with it.
bool TForm4::Key(QKeyEvent* event) {
    if (event->type() == QEvent::KeyPress && event->matches(QKeySequence::SelectAll)) {
        Memo1->selectAll();
        return true;
    }
    const int code = DialogKeyCode(event);
    if (!event->isAutoRepeat()) {
        if (event->type() == QEvent::KeyPress)
            keys_.KeyDown(code);
        else if (CrashAction action = keys_.KeyUp(code); action != CrashAction::None)
            Act(action);
    }
    return IsDialogKey(code);
}

bool TForm4::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Memo1 &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease))
        return Key(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

void TForm4::keyPressEvent(QKeyEvent* event) {
    if (!Key(event)) QDialog::keyPressEvent(event);
}

void TForm4::keyReleaseEvent(QKeyEvent* event) {
    if (!Key(event)) QDialog::keyReleaseEvent(event);
}

std::string CrashMapPath() {
    return (QCoreApplication::applicationDirPath() + '/' + kMapFileName).toStdString();
}

void ActOnCrashChoice(CrashAction action, Shell& shell) {
    if (action == CrashAction::Restart) shell.RestartProgram();
    if (action == CrashAction::Restart || action == CrashAction::Exit) QCoreApplication::quit();
}

int RunFatalReport(const std::string& recordPath) {
    // The crashed process handed over its signal mask.
    sigset_t fatal;
    sigemptyset(&fatal);
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        sigaddset(&fatal, signal);
    sigprocmask(SIG_UNBLOCK, &fatal, nullptr);

    std::optional<FatalRecord> record = ParseFatalRecord(GetFileToString(recordPath));
    std::remove(recordPath.c_str());
    FatalRecord shown = record.value_or(FatalRecord{});
    CrashFacts facts = FatalFacts(shown);
    if (!record) facts.message = UiString(kUiUnknownError, shown.languageIndex);
    TForm4 dialog;
    dialog.Fill(BuildCrashReport(facts, CrashMapPath(), shown.languageIndex), shown.languageIndex,
                shown.back, shown.text, false);
    dialog.exec();
    DesktopShell shell;
    if (dialog.Chosen() == CrashAction::Restart) shell.RestartProgram();
    return 0;
}

} // namespace qm
