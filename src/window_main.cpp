// quillmar-window: the windows of Quillmar. The quillmar command becomes this program when a
// window is wanted; it takes the same arguments.

#include <QApplication>
#include <string>
#include <vector>

#include "ui/main_window.h"
#include "ui/secondary_windows_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillmar");
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    // Created in this order and kept for the whole run; only the main window is shown. The
    // program editor is the main window's own.
    qm::TForm1 form1(args);
    qm::TForm2 form2(&form1);
    qm::TForm3 form3(&form1);
    qm::TForm4 form4(&form1);
    form1.show();
    return app.exec();
}
