#pragma once
// TForm3, the form editor: the controls of the FormEditor's elements in one scrolling column,
// and the advanced panel with the request fields and the send actions. It shows the editor's
// state and forwards input to it; sending goes through the main window's downloader.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <vector>

#include "forms/form_editor.h"
#include "net/downloader.h"
#include "platform/qt_clipboard.h"
#include "ui/panel_button_widget.h"

namespace qm {

class TForm1;

class TForm3 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm3(TForm1& main);

    FormEditor& editor() { return editor_; }

    // A click on a form block: the block's text parsed afresh, then the editor shown.
    void OpenForm(const std::string& formSource, const std::string& baseUrl);
    // The menu item: the last form as it was left.
    void ShowFromMenu();
    // Modal; while shown, the page that held the form is the Referer of its requests.
    void ShowFormEditor(const std::string& url);

    // The generated control of a member (QLabel, QLineEdit, QPlainTextEdit, QCheckBox or
    // PanelButton).
    QWidget* Control(size_t element, size_t member) const;

    QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    QWidget* Panel2 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr;
    QRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr;
    PanelButton *Panel1 = nullptr, *Panel3 = nullptr, *Panel4 = nullptr, *Panel10 = nullptr,
                *Panel11 = nullptr;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void BuildPanel();
    void ConnectFields();
    void RepaintCaptions();
    void ApplyColours();
    void FrameFields();
    void LayOut();
    void RebuildControls();
    QWidget* NewControl(size_t element, size_t member);
    void ShowFields();
    void ShowChecks(size_t element);
    void Reparse();
    void Send(DownloadMode mode);
    void CopyAsLink();
    void CreateProgram();
    QString Ui(int index) const;

    TForm1& main_;
    FormEditor editor_;
    QtClipboard clipboard_;
    QWidget* column_ = nullptr; // the scrolled parent of the generated controls
    std::vector<std::vector<QWidget*>> controls_;
    bool showing_ = false; // the controls are being filled from the model
};

} // namespace qm
