// quillmar-window: the windows of Quillmar. The quillmar command becomes this program when a
// window is wanted; it takes the same arguments.

#include <cstring>
#include <string>
#include <vector>

#include "platform/guarded_application.h"
#include "ui/about_window.h"
#include "ui/crash_window.h"
#include "ui/main_window.h"
#include "ui/secondary_windows_window.h"

int main(int argc, char** argv) {
    qm::GuardedApplication app(argc, argv);
    qm::GuardedApplication::setApplicationName("Quillmar");
    // The fresh process after a fatal signal shows its report only.
    if (argc == 3 && std::strcmp(argv[1], "--crash-report") == 0)
        return qm::RunFatalReport(argv[2]);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    // Created in this order and kept for the whole run; only the main window is shown.
    qm::TForm1 form1(args);
    qm::TForm2 form2(&form1);
    qm::TForm3 form3(&form1);
    qm::TForm4 form4(&form1);
    qm::TForm6 form6(&form1);
    form1.show();
    return app.exec();
}
