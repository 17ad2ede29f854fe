#pragma once
// The windows created at start beside the main window. Each is filled by its own feature:
// the About window and the crash dialog. The form editor and the program editor have their own
// files.

#include <QDialog>
#include <QWidget>

namespace qm {

class TForm2 : public QDialog {  // About window, modal
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
};

class TForm4 : public QDialog {  // crash dialog
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
};

} // namespace qm
