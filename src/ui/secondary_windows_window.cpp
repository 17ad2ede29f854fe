#include "ui/secondary_windows_window.h"

namespace qm {

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm3");
    setModal(true);
    setWindowTitle("<FORM>");
}

TForm6::TForm6(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("TForm6");
}

} // namespace qm
