#pragma once
// The small dialog of "Save all linked files": the folder, the kinds and the extensions, shown
// from the browser's choices and written back to them when accepted.

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>

namespace qm {

class Browser;

class SaveLinkedDialog : public QDialog {
    Q_OBJECT

  public:
    SaveLinkedDialog(Browser& browser, QWidget* parent);
    // Shows the dialog; true, with the choices in the browser's state, when accepted.
    bool Ask();

  private:
    void ChooseFolder();

    Browser& browser_;
    QLineEdit* folder_ = nullptr;
    QCheckBox* media_ = nullptr;
    QCheckBox* linked_ = nullptr;
    QCheckBox* links_ = nullptr;
    QLineEdit* extensions_ = nullptr;
};

} // namespace qm
