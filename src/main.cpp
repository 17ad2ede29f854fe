// Quillmar: starts the windows, or a command-line mode.

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "app/dump_mode.h"
#include "app/main_window.h"
#include "app/secondary_windows_window.h"

namespace {

void PrintHelp() {
    std::puts("Usage: quillmar [ADDRESS | FILE]\n"
              "       quillmar --dump [--columns N] [--utf8] FILE\n"
              "       quillmar --help\n"
              "\n"
              "Starts the browser and opens ADDRESS or FILE (the words of a path with spaces\n"
              "may be given as separate arguments).\n"
              "\n"
              "--dump lays FILE out as the source view shows it, with the built-in 8x16 font\n"
              "at N columns (default 80) and the default display options, and prints it line\n"
              "by line as UTF-8 text. --utf8 decodes the page as UTF-8 (the F8 switch).");
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        PrintHelp();
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--dump") == 0) {
        std::vector<std::string> rest(argv + 2, argv + argc);
        return qm::RunDumpMode(rest, std::cout, std::cerr);
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
