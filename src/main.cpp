// Quillmar: starts the windows, or a command-line mode.

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "app/main_window.h"
#include "app/secondary_windows_window.h"

namespace {

void PrintHelp() {
    std::puts("Usage: quillmar [ADDRESS | FILE]\n"
              "       quillmar --help\n"
              "\n"
              "Starts the browser and opens ADDRESS or FILE (the words of a path with spaces\n"
              "may be given as separate arguments).");
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        PrintHelp();
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillmar");
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
