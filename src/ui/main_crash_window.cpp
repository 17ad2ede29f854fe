// The main window's part in the crash report and the About window.

#include <QCoreApplication>
#include <QDir>

#include "base/version.h"
#include "platform/fatal_signal.h"
#include "platform/guarded_application.h"
#include "platform/program_image.h"
#include "platform/qt_convert.h"
#include "ui/about_window.h"
#include "ui/crash_window.h"
#include "ui/main_window.h"

namespace qm {

void TForm1::InstallCrashHandler() {
    if (GuardedApplication* app = GuardedApplication::Instance())
        app->SetErrorHandler([this](const CaughtError& error) { ShowCrashReport(error); });
    const std::string program = QCoreApplication::applicationFilePath().toStdString();
    if (program.empty()) return;
    const std::string record =
        QDir::temp()
            .filePath(QString("quillmar-crash-%1.txt").arg(QCoreApplication::applicationPid()))
            .toStdString();
    InstallFatalSignalHandler(record, program, {program, "--crash-report", record});
    SetFatalLook({&browser_.State().LanguageIndex,
                  &options_.Colors[static_cast<size_t>(ColorRole::Back)],
                  &options_.Colors[static_cast<size_t>(ColorRole::Text)]});
}

void TForm1::RemoveCrashHandler() {
    SetFatalLook({});
    if (GuardedApplication* app = GuardedApplication::Instance()) app->SetErrorHandler(nullptr);
}

void TForm1::ShowCrashReport(const CaughtError& error) {
    const int language = browser_.State().LanguageIndex;
    CrashFacts facts{error.known ? error.message : browser_.Ui(kUiUnknownError), error.sender,
                     error.address, CurrentProgramImage()};
    auto* dialog = findChild<TForm4*>();
    if (!dialog) dialog = new TForm4(this);
    dialog->Fill(BuildCrashReport(facts, CrashMapPath(), language), language,
                 options_.Color(ColorRole::Back), options_.Color(ColorRole::Text));
    dialog->exec();
    // An error while the window is being built may come before its shell.
    DesktopShell standIn;
    ActOnCrashChoice(dialog->Chosen(), shell_ ? *shell_ : standIn);
}

void TForm1::ShowAboutWindow() {
    auto* about = findChild<TForm2*>();
    if (!about) about = new TForm2(this);
    about->SetShell(shell_.get());
    connect(about, &TForm2::homePageChosen, this, &TForm1::OpenMakerHomePage, Qt::UniqueConnection);
    about->Prepare({GetMyVersion(), browser_.State().LanguageIndex, options_});
    about->exec();
}

void TForm1::OpenMakerHomePage() {
    browser_.SetField(FieldId::Address, kMakerHomePage);
    NavigateFromAddressBar();
}

} // namespace qm
