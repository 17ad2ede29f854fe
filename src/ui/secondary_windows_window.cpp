#include "ui/secondary_windows_window.h"

namespace qm {

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm2");
    setModal(true);
    setFixedSize(522, 315);
    setWindowTitle("Quillmar");
}

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm4");
    setModal(true);
    setWindowTitle("=(");
}

} // namespace qm
