#pragma once
// The windows created at start beside the main window. Each is filled by its own feature:
// the form editor and the program editor (the About window and the crash dialog have files
// of their own).

#include <QDialog>
#include <QWidget>

namespace qm {

class TForm3 : public QDialog {  // HTML form editor, modal
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
};

class TForm6 : public QWidget {  // program editor, not modal
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);
};

} // namespace qm
