#pragma once
// TForm4, the crash dialog: the report of an error, and Ignore, Restart and Exit.

#include <QDialog>
#include <QPlainTextEdit>
#include <string>
#include <vector>

#include "state/crash_report.h"
#include "ui/panel_button_widget.h"

namespace qm {

class Shell;

class TForm4 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm4(QWidget* parent = nullptr);

    // A new report in the language and the main window's colours (0x00BBGGRR). After a
    // fatal signal the program cannot go on: Ignore is not offered.
    void Fill(const std::vector<std::string>& report, int languageIndex, uint32_t back,
              uint32_t text, bool ignoreOffered = true);
    // What closed the dialog; a close by the window frame is Ignore, or Exit where Ignore is
    // not offered.
    CrashAction Chosen() const { return chosen_; }

    QPlainTextEdit* Memo1 = nullptr;
    PanelButton *Panel21 = nullptr, *Panel1 = nullptr, *Panel2 = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

  private:
    bool Key(QKeyEvent* event);
    void Act(CrashAction action);

    CrashDialogKeys keys_;
    CrashAction chosen_ = CrashAction::Ignore;
};

// The map file beside the executable.
std::string CrashMapPath();

// Does what the user chose in the dialog: Restart starts the program again through the
// shell, Restart and Exit end the application.
void ActOnCrashChoice(CrashAction action, Shell& shell);

// The fresh process after a fatal signal: shows the report of the record file, which it
// removes, and returns the exit status.
int RunFatalReport(const std::string& recordPath);

} // namespace qm
