// quillmar-window: the windows of Quillmar. The quillmar command becomes this program when a
// window is wanted; it takes the same arguments.

#include <QApplication>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/image_mode.h"
#include "app/terminal_pump.h"
#include "platform/curl_transport.h"
#include "platform/guarded_application.h"
#include "platform/qt_text_rasterizer.h"
#include "ui/about_window.h"
#include "ui/crash_window.h"
#include "ui/form_editor_window.h"
#include "ui/main_window.h"

namespace {

// quillmar --image with a system font: the same export, drawn by the toolkit's fonts.
int RunImageWithFonts(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    qm::TerminalPump pump;
    qm::CurlTransport transport(pump);
    const std::string folder = QCoreApplication::applicationDirPath().toStdString() + "/";
    qm::CommandEnvironment environment{transport, pump, folder, qm::UserDataFolder()};
    qm::QtTextRasterizer rasterizer;
    return qm::RunImageMode(std::vector<std::string>(argv + 2, argv + argc), std::cerr,
                            environment, &rasterizer);
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--image") == 0) return RunImageWithFonts(argc, argv);
    qm::GuardedApplication app(argc, argv);
    qm::GuardedApplication::setApplicationName("Quillmar");
    // The desktop shell matches the windows to the installed desktop entry and its icon.
    qm::GuardedApplication::setDesktopFileName(QUILLMAR_APP_ID);
    // The fresh process after a fatal signal shows its report only.
    if (argc == 3 && std::strcmp(argv[1], "--crash-report") == 0)
        return qm::RunFatalReport(argv[2]);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    // Created in this order and kept for the whole run; only the main window is shown.
    qm::TForm1 form1(args);
    qm::TForm2 form2(&form1);
    qm::TForm3 form3(form1);
    form1.SetFormEditor(&form3);
    qm::TForm4 form4(&form1);
    form1.show();
    return app.exec();
}
