#include "ui/secondary_windows_window.h"

namespace qm {

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm2");
    setModal(true);
    setFixedSize(522, 315);
    setWindowTitle("Quillmar");
}

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm3");
    setModal(true);
    setWindowTitle("<FORM>");
}

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm4");
    setModal(true);
    setWindowTitle("=(");
}

} // namespace qm
